#!/usr/bin/env python3
"""Derives the unit tables from the park service's unit list in data/nps (see its README.md).

One derivation, two tables, both made at build time:
    derive_units.py --data DIR --generator units_data.cc
        the unit list rollkit's entry generator draws from: short form and side, in list order;
    derive_units.py --data DIR --decoder unit_table_data.cc
        the decoding table of src/records: short form, name in plain words and the sides that
        have a unit of that short form, sorted by short form.

A unit with a number (regiment, battalion, battery) or a commander's name, and an arm we can
abbreviate, is rewritten in the short form of a muster roll: "6th Regiment, Missouri Infantry"
becomes "6 MO INF", "Caper's Battalion, Georgia Infantry" becomes "CAPER'S BN GA INF". Its name in
plain words is composed from the same parts, in the words of the category tables and the state
names: "6th Missouri Infantry", "Caper's Battalion, Georgia Infantry". Any other unit is left out.
"""
import argparse
import csv
import os
import re
import sys
from dataclasses import dataclass

# The arms we abbreviate: (function code, designation code) -> abbreviation. The plain words come from
# the category tables (function, then designation), unless WORDS_OVERRIDE names them.
FUNC = {"I": "INF", "C": "CAV", "A": "ART", "S": "SS", "E": "ENG"}
DESIGNATED_FUNC = {"H": "HVY ART", "L": "LT ART"}   # artillery only
DESIGNATION_ALONE = {"M": "MIL", "R": "RES", "S": "ST TROOPS", "G": "HOME GUARD",
                     "Y": "ST MIL", "E": "ENR MIL", "J": "JR RES", "Z": "SR RES"}
# The park service's name for the designation column of its units table.
DESIGNATION_COLUMN = "special"
MOUNTED = "T"                                     # designation code of mounted infantry
# The designation "S" stands for every kind of state force; its rows here are the state troops.
WORDS_OVERRIDE = {"ST TROOPS": "State Troops"}

# National organisations: state code -> (abbreviation, words in a unit's name, arms whose words
# the organisation's name already says).
NATIONAL = {
    "UR": ("US", "United States", ()),
    "US": ("USCT", "United States Colored", ()),
    "UV": ("US VOL", "United States Volunteer", ()),
    "VR": ("VRC", "Veteran Reserve Corps", ("RES",)),
    "CS": ("CS", "Confederate", ()),
}
# Typing slips of cwss_state_names.csv.
STATE_NAME_FIXES = {"Nebraska Terrritory": "Nebraska Territory",
                    "District Of Columbia": "District of Columbia"}
USCT_ARMS = ("INF", "CAV", "HVY ART", "LT ART")
TYPE_PREFIX = {"R": "", "B": "BN ", "Y": "BTRY "}   # regiments carry no type word
COMMANDER = re.compile(r"([A-Z][a-z]+'s?) (Company|Battalion|Battery|Regiment)\b")


@dataclass(frozen=True)
class Unit:
    short: str   # "25 BTRY OH LT ART"
    name: str    # "25th Battery, Ohio Light Artillery"
    side: str    # "U" or "C"


def read_table(path, key, value):
    with open(path, newline="", encoding="utf-8") as f:
        return {row[key]: row[value] for row in csv.DictReader(f)}


def plain(description):
    """The category description without its parenthesised qualifications."""
    return re.sub(r"\s*\([^)]*\)", "", description).strip()


def ordinal(number):
    if 10 <= number % 100 <= 13:
        return f"{number}th"
    return f"{number}" + {1: "st", 2: "nd", 3: "rd"}.get(number % 10, "th")


class Deriver:
    def __init__(self, data_dir):
        self.types = read_table(os.path.join(data_dir, "nps_unit_categories_type.csv"),
                                "abbr", "description")
        self.funcs = read_table(os.path.join(data_dir, "nps_unit_categories_function.csv"),
                                "abbr", "description")
        self.designations = read_table(os.path.join(data_dir, "nps_unit_categories_designation.csv"),
                                       "abbr", "description")
        states = read_table(os.path.join(data_dir, "cwss_state_names.csv"), "abbr", "name")
        self.states = {code: STATE_NAME_FIXES.get(name.strip(), name.strip())
                       for code, name in states.items()}

    def arm(self, func, designation):
        """(abbreviation, plain words) of a unit's arm, or None."""
        if func in FUNC:
            if func == "A" and designation in DESIGNATED_FUNC:
                return DESIGNATED_FUNC[designation], plain(self.designations[designation])
            if func == "I" and designation == MOUNTED:
                return "MTD INF", plain(self.designations[designation]) + " " + plain(self.funcs[func])
            return FUNC[func], plain(self.funcs[func])
        if not func and designation in DESIGNATION_ALONE:
            abbreviation = DESIGNATION_ALONE[designation]
            return abbreviation, WORDS_OVERRIDE.get(abbreviation, plain(self.designations[designation]))
        return None

    def derive(self, row):
        """The row's unit in short form and plain words, or None when it is left out."""
        kind = row["type"]
        arm = self.arm(row["func"], row[DESIGNATION_COLUMN])
        if arm is None:
            return None
        arm_short, arm_words = arm
        state = row["state"]
        if state in NATIONAL:
            state_short, state_words, absorbed = NATIONAL[state]
            if arm_short in absorbed:
                arm_words = ""
        else:
            state_short, state_words = state, self.states[state]
        if state_short == "USCT":
            if "Colored" not in row["unit_name"] or arm_short not in USCT_ARMS:
                return None
        prefix = TYPE_PREFIX.get(kind)
        if prefix is None:
            return None
        if row["ordinal"].isdigit():
            number = int(row["ordinal"])
            head_short, head_words = str(number), ordinal(number)
        else:
            m = COMMANDER.match(row["unit_name"])
            if not m:
                return None
            head_short, head_words = m.group(1).upper(), m.group(1)
        type_words = "" if kind == "R" else " " + self.types[kind] + ","
        short = f"{head_short} {prefix}{state_short} {arm_short}"
        name = " ".join(f"{head_words}{type_words} {state_words} {arm_words}".split())
        side = "C" if row["belligerent"] == "Confederate" else "U"
        return Unit(short, name, side)

    def units(self, units_csv):
        """Every derived unit once per side, in the list's order."""
        seen = set()
        with open(units_csv, newline="", encoding="utf-8") as f:
            for row in csv.DictReader(f):
                unit = self.derive(row)
                if unit is None or (unit.short, unit.side) in seen:
                    continue
                seen.add((unit.short, unit.side))
                yield unit


def c_string(text):
    if not text.isascii() or any(c in text for c in '"\\') or not text.isprintable():
        raise ValueError(f"unit text needs escaping: {text!r}")
    return f'"{text}"'


def generator_table(units):
    lines = ["// Generated by src/records/derive_units.py from data/nps (see data/nps/README.md). "
             "Do not edit.",
             '#include "tools/rollkit/names_data.h"',
             "",
             "const UnitName kUnits[] = {"]
    lines += [f"    {{{c_string(u.short)}, '{u.side}'}}," for u in units]
    lines += ["};", "const std::size_t kUnitCount = sizeof(kUnits) / sizeof(kUnits[0]);"]
    return lines


def decoder_table(units):
    by_short = {}
    for u in units:
        name, sides = by_short.get(u.short, (u.name, ""))
        if name != u.name:
            raise ValueError(f"{u.short}: two names, {name!r} and {u.name!r}")
        by_short[u.short] = (name, sides + u.side)
    lines = ["// Generated by src/records/derive_units.py from data/nps (see data/nps/README.md). "
             "Do not edit.",
             '#include "records/unit_table.h"',
             "",
             "// Sorted by short form, byte by byte.",
             "const UnitTableRow kUnitTable[] = {"]
    for short in sorted(by_short, key=lambda s: s.encode("ascii")):
        name, sides = by_short[short]
        side = sides if len(sides) == 1 else "B"
        lines.append(f"    {{{c_string(short)}, {c_string(name)}, '{side}'}},")
    lines += ["};", "const std::size_t kUnitTableSize = sizeof(kUnitTable) / sizeof(kUnitTable[0]);"]
    return lines


def write_table(path, lines):
    """Writes the lines beside `path` and renames them into place, so that a failed run never
    leaves half a table."""
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True, help="directory of the unit list's files")
    output = parser.add_mutually_exclusive_group(required=True)
    output.add_argument("--generator", metavar="FILE", help="write rollkit's generator table")
    output.add_argument("--decoder", metavar="FILE", help="write the decoding table")
    args = parser.parse_args()

    units = list(Deriver(args.data).units(os.path.join(args.data, "nps_units.csv")))
    path = args.generator or args.decoder
    write_table(path, generator_table(units) if args.generator else decoder_table(units))


if __name__ == "__main__":
    try:
        main()
    except (OSError, KeyError, ValueError) as error:
        print(f"derive_units.py: {error}", file=sys.stderr)
        sys.exit(1)
