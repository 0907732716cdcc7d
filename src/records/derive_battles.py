#!/usr/bin/env python3
"""Derives the unit and battle tables from the park service's files in data/nps (see its README.md).

    derive_battles.py --data DIR --output nps_tables_data.cc

writes, as C++ arrays (records/nps_tables.h):
  - every unit of nps_units.csv, sorted by its code, with its name as the list gives it, its side,
    its short form where derive_units.py can make one, and its battles;
  - the texts a unit text is looked up by: the unit's short form ("3 OH INF"), its name in plain
    words ("3rd Ohio Infantry") and its name in the list ("3rd Regiment, Ohio Infantry"), sorted
    by their keys, each text normalised as UnitKey (unit_key.h) normalises a typed one;
  - the battles that some unit is linked to, in date order, and each unit's links to them.

Where the two battle files describe one battle differently, one rule holds for every battle (the
README of data/nps says it): nps_battles.csv, the record the unit links belong to, gives the name,
the dates, the state, the coordinates and the result in words; cwsac_battles.csv gives what only it
has: other names, counties, the campaign in words and the description. Where its name differs from
the chosen one only in letter case, its capitals are taken ("Fort McAllister I"); where it differs
otherwise, it is kept among the other names ("Manassas, First"), unless it is the chosen name
without its numeral ("Lexington" for "Lexington I"), which names two battles.
"""
import argparse
import csv
import os
import re
import sys

from derive_units import Deriver, write_table

ORDINAL_TOKEN = re.compile(r"([0-9]+)(?:ST|ND|RD|TH|D)")
ISO_DATE = re.compile(r"([0-9]{4})-([0-9]{2})-([0-9]{2})")
DECIMAL = re.compile(r"-?[0-9]{1,3}(?:\.[0-9]+)?")
NUMERAL = re.compile(r" (?:I|II|III|IV)$")
MAX_KEY = 160  # bytes of a normalised key; unit_key.h's kMaxUnitKey
# The texts a unit is found by, as NpsKeyKind numbers them: its short form, its name in plain words
# and its name in the list.
KEY_KINDS = ("short", "plain", "name")


def unit_key(text):
    """A unit text as lookups compare it; the same rule as UnitKey in src/records/unit_key.cc."""
    upper = "".join(c.upper() if "a" <= c <= "z" else c for c in text)
    upper = upper.replace(".", "")
    for blank in ",\t":
        upper = upper.replace(blank, " ")
    tokens = []
    for token in upper.split(" "):
        if not token:
            continue
        m = ORDINAL_TOKEN.fullmatch(token)
        tokens.append(m.group(1) if m else token)
    return " ".join(tokens)


def blanks_normalised(text):
    return " ".join(text.split())


def read_rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f))


def c_string(text):
    """A C++ string literal of UTF-8 text: octal escapes for every byte outside printable ASCII."""
    out = ['"']
    for byte in text.encode("utf-8"):
        c = chr(byte)
        if c in '"\\':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif 0x20 <= byte < 0x7F and c != "?":
            out.append(c)
        else:
            out.append(f"\\{byte:03o}")
    out.append('"')
    return "".join(out)


def iso_date(text, where):
    m = ISO_DATE.fullmatch(text)
    if not m or not 1 <= int(m.group(2)) <= 12 or not 1 <= int(m.group(3)) <= 31:
        raise ValueError(f"{where}: not a date: {text!r}")
    return int(m.group(1)) * 10000 + int(m.group(2)) * 100 + int(m.group(3))


def coordinate(text, limit, where):
    if not DECIMAL.fullmatch(text) or abs(float(text)) > limit:
        raise ValueError(f"{where}: not a coordinate: {text!r}")
    return text


def battle_name(nps_name, cwsac_name):
    """(name, the other spelling to keep among the other names or "")."""
    cwsac_name = blanks_normalised(cwsac_name)
    if cwsac_name == nps_name:
        return nps_name, ""
    if cwsac_name.lower() == nps_name.lower():
        return cwsac_name, ""
    if cwsac_name.lower() == NUMERAL.sub("", nps_name).lower():
        return nps_name, ""
    return nps_name, cwsac_name


# Places are named as genealogists name them now: the states and territories of the battles by
# their present names. cwss_state_names.csv names territories as they were and lacks three.
PRESENT_STATE_NAMES = {"ND": "North Dakota", "ID": "Idaho", "OK": "Oklahoma"}


def present_state_names(deriver):
    names = {code: re.sub(r" Territory$", "", name) for code, name in deriver.states.items()}
    names.update(PRESENT_STATE_NAMES)
    return names


def battle_place(counties, state, state_names):
    """ "Fairfax County, Virginia": the first county the source names in the battle's own state
    (else its first county), with the state's name; the state alone without a county."""
    parts = [p.strip() for p in counties.split(";") if p.strip()]
    named = [re.fullmatch(r"(.+), ([A-Z]{2})", p) for p in parts]
    named = [m for m in named if m and m.group(2) in state_names]
    if not named:
        return state_names[state]
    m = next((m for m in named if m.group(2) == state), named[0])
    return f"{m.group(1)}, {state_names[m.group(2)]}"


def link_note(row):
    """What the source notes on a link, mostly the part of the unit that fought ("Battery "F"",
    "Detachment", "2 companies"), sometimes when it joined ("From June 12th"); "" for none."""
    if row["comment"].strip():
        return blanks_normalised(row["comment"])
    for column, one, many in (("companies", "company", "companies"), ("batteries", "battery", "batteries")):
        if row[column].isdigit() and int(row[column]) > 0:
            count = int(row[column])
            return f"{count} {one if count == 1 else many}"
    if row["detachment"] == "1":
        return "Detachment"
    if row["section"] == "1":
        return "Section"
    return ""


def derive(data_dir):
    deriver = Deriver(data_dir)
    units = sorted(read_rows(os.path.join(data_dir, "nps_units.csv")), key=lambda r: r["unit_code"].encode("ascii"))
    unit_index = {}
    for i, row in enumerate(units):
        if row["unit_code"] in unit_index:
            raise ValueError(f"nps_units.csv: unit {row['unit_code']} twice")
        if row["belligerent"] not in ("US", "Confederate"):
            raise ValueError(f"nps_units.csv: {row['unit_code']}: side {row['belligerent']!r}")
        unit_index[row["unit_code"]] = i

    nps = {r["cwsac_id"]: r for r in read_rows(os.path.join(data_dir, "nps_battles.csv"))}
    cwsac = {r["battle"]: r for r in read_rows(os.path.join(data_dir, "cwsac_battles.csv"))}
    links = read_rows(os.path.join(data_dir, "nps_battle_units.csv"))

    state_names = present_state_names(deriver)
    linked = set()
    for row in links:
        if row["unit_code"] not in unit_index:
            raise ValueError(f"nps_battle_units.csv: unit {row['unit_code']} is not in nps_units.csv")
        if row["cwsac_id"] not in nps or row["cwsac_id"] not in cwsac:
            raise ValueError(f"nps_battle_units.csv: battle {row['cwsac_id']} is not in both battle files")
        linked.add(row["cwsac_id"])

    battles = []
    for battle_id in linked:
        n, c = nps[battle_id], cwsac[battle_id]
        where = f"nps_battles.csv: {battle_id}"
        name, other_spelling = battle_name(blanks_normalised(n["battle_name"]), c["battle_name"])
        others = [blanks_normalised(o) for o in c["other_names"].split(";") if o.strip()]
        if other_spelling and other_spelling not in others:
            others.insert(0, other_spelling)
        start, end = iso_date(n["start_date"], where), iso_date(n["end_date"], where)
        if end < start:
            raise ValueError(f"{where}: ends before it starts")
        state = n["state"].strip()
        if state not in state_names:
            raise ValueError(f"{where}: no name for the state {state!r}")
        battles.append({
            "id": battle_id,
            "name": name,
            "other_names": "; ".join(others),
            "state": state,
            "locations": blanks_normalised(c["locations"]),
            "place": battle_place(c["locations"], state, state_names),
            "campaign": blanks_normalised(c["campaign"]),
            "result": blanks_normalised(n["results_text"]),
            "description": "\n\n".join(blanks_normalised(p) for p in re.split(r"\r?\n\s*\r?\n", c["description"])
                                       if p.strip()),
            "start": start,
            "end": end,
            "lat": coordinate(n["lat"], 90, where),
            "long": coordinate(n["long"], 180, where),
        })
    battles.sort(key=lambda b: (b["start"], b["end"], b["id"]))
    battle_index = {b["id"]: i for i, b in enumerate(battles)}

    # Each unit's links in date order; one link per battle (the source has no pair twice).
    by_unit = [[] for _ in units]
    for row in links:
        entry = (battle_index[row["cwsac_id"]], link_note(row))
        unit_links = by_unit[unit_index[row["unit_code"]]]
        if any(b == entry[0] for b, _ in unit_links):
            raise ValueError(f"nps_battle_units.csv: {row['unit_code']} in {row['cwsac_id']} twice")
        unit_links.append(entry)
    for unit_links in by_unit:
        unit_links.sort()

    # A unit is found by each of its texts (KEY_KINDS); a text whose key another text of the unit
    # already gives is not listed twice.
    keys = []
    derived_units = []
    for i, row in enumerate(units):
        derived = deriver.derive(row)
        derived_units.append(derived)
        texts = {"name": row["unit_name"], "short": derived.short if derived else "",
                 "plain": derived.name if derived else ""}
        seen = set()
        for kind in KEY_KINDS:
            if not texts[kind]:
                continue
            key = unit_key(texts[kind])
            if not key or len(key.encode("utf-8")) > MAX_KEY:
                raise ValueError(f"nps_units.csv: {row['unit_code']}: no usable key in {texts[kind]!r}")
            if key not in seen:
                seen.add(key)
                keys.append((key, i, kind))
    keys.sort(key=lambda k: (k[0].encode("utf-8"), k[1]))
    return units, derived_units, by_unit, battles, keys


class TextPool:
    """Every text of the tables once, NUL-ended, in one array: rows hold offsets into it, so the
    tables need no pointer (and no relocation) per text."""

    def __init__(self):
        self.offsets = {}
        self.texts = []
        self.size = 0

    def add(self, text):
        if text not in self.offsets:
            self.offsets[text] = self.size
            self.texts.append(text)
            self.size += len(text.encode("utf-8")) + 1
        return self.offsets[text]

    def lines(self):
        return [f"    {c_string(t)[:-1]}\\000\"" for t in self.texts]


def table(units, derived_units, by_unit, battles, keys):
    pool = TextPool()
    pool.add("")
    unit_lines, key_lines, battle_lines, link_lines = [], [], [], []
    first = 0
    for row, derived, unit_links in zip(units, derived_units, by_unit):
        side = "C" if row["belligerent"] == "Confederate" else "U"
        short, plain = (derived.short, derived.name) if derived else ("", "")
        unit_lines.append(f"    {{{pool.add(row['unit_code'])}, {pool.add(row['unit_name'])}, {pool.add(short)}, "
                          f"{pool.add(plain)}, '{side}', {first}, {len(unit_links)}}},")
        first += len(unit_links)
    key_lines = [f"    {{{unit}, {KEY_KINDS.index(kind)}}}," for _, unit, kind in keys]
    for b in battles:
        fields = [str(pool.add(b[k])) for k in ("id", "name", "other_names", "state", "locations", "place",
                                                "campaign", "result", "description", "lat", "long")]
        battle_lines.append(f"    {{{', '.join(fields)}, {b['start']}, {b['end']}}},")
    for unit_links in by_unit:
        link_lines += [f"    {{{battle}, {pool.add(note)}}}," for battle, note in unit_links]

    def array(row_type, name, comment, rows, count_name):
        return ["", f"// {comment}", f"const {row_type} {name}[] = {{"] + rows + [
            "};", f"const std::size_t {count_name} = sizeof({name}) / sizeof({name}[0]);"]

    lines = ["// Generated by src/records/derive_battles.py from data/nps (see data/nps/README.md). "
             "Do not edit.",
             '#include "records/nps_tables.h"']
    lines += array("NpsUnitRow", "kNpsUnits", "Sorted by code, byte by byte.", unit_lines, "kNpsUnitCount")
    lines += array("NpsUnitKey", "kNpsUnitKeys",
                   "Sorted by the key of the text each names (UnitKey), byte by byte, then by unit.",
                   key_lines, "kNpsUnitKeyCount")
    lines += array("NpsBattleRow", "kNpsBattles", "In date order: start, end, identifier.", battle_lines,
                   "kNpsBattleCount")
    lines += array("NpsBattleLink", "kNpsBattleLinks",
                   "Grouped by unit in the order of kNpsUnits, each unit's in date order.", link_lines,
                   "kNpsBattleLinkCount")
    for side, name in (("Confederate", "Confederate"), ("US", "Union")):
        of_side = [i for i, row in enumerate(units) if row["belligerent"] == side]
        with_battles = sum(1 for i in of_side if by_unit[i])
        lines += [f"const std::size_t kNps{name}Units = {len(of_side)};",
                  f"const std::size_t kNps{name}UnitsWithBattles = {with_battles};"]
    lines += ["", "// The texts the rows point at by offset.",
              "const char kNpsText[] ="]
    lines += pool.lines()
    lines += ["    ;", f"const std::size_t kNpsTextSize = {pool.size};"]
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True, help="directory of the park service's files")
    parser.add_argument("--output", required=True, metavar="FILE", help="the C++ file to write")
    args = parser.parse_args()

    write_table(args.output, table(*derive(args.data)))


if __name__ == "__main__":
    try:
        main()
    except (OSError, KeyError, ValueError) as error:
        print(f"derive_battles.py: {error}", file=sys.stderr)
        sys.exit(1)
