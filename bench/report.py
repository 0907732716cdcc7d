#!/usr/bin/env python3
"""Rewrites the generated sections of bench/README.md from the files bench/run.sh leaves in
bench/data/results: the machine, the warm cases (rounds of bench-warm-N.json), the cold cases,
the viewer's search latency, the whole-process table, the set-up a user pays once (the companion
index's build, the SQLite copies' loads) and the goals.

Each section sits between "<!-- BEGIN name -->" and "<!-- END name -->" lines; the text around
them is left as it is."""

import argparse
import json
import os
import platform
import re
import statistics
import subprocess
import sys

KB_PER_MB = 1024


def read(path, default=None):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return default


def command_output(args):
    try:
        return subprocess.run(args, capture_output=True, text=True, check=False).stdout.strip()
    except OSError:
        return ""


def picks(path):
    out = {}
    for line in (read(path, "") or "").splitlines():
        if "\t" in line:
            key, value = line.split("\t", 1)
            out[key] = value
    return out


def us(seconds_or_us):
    value = seconds_or_us
    if value >= 1000:
        return f"{value / 1000:,.1f} ms" if value >= 10000 else f"{value / 1000:.2f} ms"
    if value >= 100:
        return f"{value:,.0f} µs"
    if value >= 10:
        return f"{value:.1f} µs"
    return f"{value:.2f} µs"


def ratio(x):
    if x < 0.1:
        return f"{x:.3f}×" if x >= 0.001 else f"{x:.1e}×"
    if x >= 100:
        return f"{x:,.0f}×"
    if x >= 10:
        return f"{x:.1f}×"
    return f"{x:.2f}×"


def load_benchmarks(path):
    """The context and, per case and side, the median run's time in µs and its counters."""
    data = json.loads(read(path))
    medians = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = re.sub(r"/(iterations:\d+|repeats:\d+|manual_time)", "", b["run_name"])
        side, case = name.split("/", 1)
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        entry = {k: v for k, v in b.items() if isinstance(v, (int, float))}
        entry["us"] = b["real_time"] * scale
        medians.setdefault(case, {})[side] = entry
    return data["context"], medians


def load_percentile(path, aggregate, key=None):
    """Per case of a viewer run, the given aggregate of its wall time (or of counter `key`) in µs."""
    data = read(path)
    if not data:
        return {}
    out = {}
    for b in json.loads(data)["benchmarks"]:
        if b.get("aggregate_name") != aggregate:
            continue
        name = re.sub(r"/(iterations:\d+|repeats:\d+|manual_time)", "", b["run_name"])
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        out[name.split("/", 1)[1]] = b[key] if key else b["real_time"] * scale
    return out


class Rounds:
    """The warm runs: per case and side the median over the rounds, and per-round ratios."""

    def __init__(self, runs):
        self.runs = runs  # [(context, medians)]

    def has(self, case, side):
        return any(side in m.get(case, {}) for _, m in self.runs)

    def value(self, case, side, key="us"):
        values = [m[case][side][key] for _, m in self.runs if side in m.get(case, {}) and key in m[case][side]]
        return statistics.median(values) if values else None

    def ratios(self, case, side):
        """side ÷ engine, one per round."""
        return [m[case][side]["us"] / m[case]["engine"]["us"] for _, m in self.runs
                if side in m.get(case, {}) and "engine" in m.get(case, {})]

    def context(self, key):
        values = [float(c[key]) for c, _ in self.runs if key in c]
        return statistics.median(values) if values else 0.0


WARM_TITLES = [
    ("search/surname/single", "Surname search, first page: surname of one entry"),
    ("search/surname/median", "Surname search, first page: surname of the median entry"),
    ("search/surname/most_common", "Surname search, first page: most common surname"),
    ("search/given/one_letter", "Given-name search, first page: most common surname, one letter"),
    ("search/given/common", "Given-name search, first page: most common surname, common given name"),
    ("search/given/no_match", "Given-name search, first page: most common surname, no match"),
    ("page/next/range", "Next page, surname search"),
    ("page/previous/range", "Previous page, surname search"),
    ("page/next/filtered", "Next page, given-name search"),
    ("page/previous/filtered", "Previous page, given-name search"),
    ("detail/row", "Detail text of a row (More Info)"),
    ("new_screen/first_search", "First search on a new screen / new connection, files cached"),
]
COLD_TITLES = [
    ("cold/first_search", "First search after start-up, files evicted"),
    ("cold/first_given_search", "First given-name search after start-up, files evicted"),
    ("cold/detail", "More Info after the files were evicted"),
]


# The repository the report belongs to: the paths it writes are relative to it, so that the
# report says the same whichever machine or checkout ran the suite.
REPOSITORY = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def repository_relative(text, *paths):
    """`text` with each of `paths` (as given, absolute and resolved) written relative to the repository."""
    for path in paths:
        for form in sorted({path, os.path.abspath(path), os.path.realpath(path)}, key=len, reverse=True):
            form = form.rstrip("/")
            if form and os.path.isabs(form):
                text = text.replace(form, os.path.relpath(form, REPOSITORY))
    return text


def machine_section(rounds, args):
    cpu = ""
    for line in (read("/proc/cpuinfo", "") or "").splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    mem = ""
    for line in (read("/proc/meminfo", "") or "").splitlines():
        if line.startswith("MemTotal"):
            mem = f"{int(line.split()[1]) / 1024 / 1024:.0f} GB"
    versions = command_output(["dpkg-query", "-W", "-f", "${Package} ${Version}\\n", "libsqlite3-0",
                               "libbenchmark1debian", "qt6-base-dev", "libc6"])
    gcc = command_output(["g++", "--version"]).splitlines()
    check = repository_relative((read(os.path.join(args.results, "check.txt"), "") or "").strip(), args.roll)
    sizes = []
    for name in ("mroll.cor", "mroll.ext", "mroll.tre"):
        path = os.path.join(args.roll, name)
        if os.path.exists(path):
            sizes.append(f"{name} {os.path.getsize(path) / 1e6:,.1f} MB")
    for schema in ("naive", "tuned"):
        path = args.roll.rstrip("/") + f".{schema}.sqlite"
        if os.path.exists(path):
            sizes.append(f"SQLite copy, {schema} schema {os.path.getsize(path) / 1e6:,.1f} MB")
    context = rounds.runs[0][0] if rounds.runs else {}
    load = (read("/proc/loadavg", "") or "").split()[:3]
    lines = [
        f"- CPU: {cpu}, {context.get('num_cpus', '?')} cores at {context.get('mhz_per_cpu', '?')} MHz "
        f"(shared with other work: load average {' '.join(load)} when the report was written)",
        f"- Memory: {mem}; measured in the run (medians over {len(rounds.runs)} rounds): 64 MiB read from the page cache "
        f"(the fastest of one `pread` and runs of 64 KiB to 1 MiB) {rounds.context('cached_read_bytes_per_second') / 1e9:.2f} GB/s; an `open` and `close` "
        f"of the marker file {rounds.context('marker_open_close_ns') / 1000:.2f} µs (both in CPU time, as the "
        f"warm cases); the warm cases' wall-clock time was {wall_factor(rounds):.1f} times their CPU time "
        "(median over cases and sides): the machine's other work",
        f"- System: {platform.platform()}; {gcc[0] if gcc else 'g++'}; RelWithDebInfo build",
        "- Libraries: " + "; ".join(versions.splitlines()),
        f"- Roll: `rollkit generate --entries {int(args.entries):,} --seed {args.seed}`, built with "
        f"`rollkit build`: {', '.join(sizes)}",
    ]
    if check:
        lines.append(f"- `rollkit check`: {check}")
    return "\n".join(lines)


def wall_factor(rounds):
    factors = [entry["wall_us"] / entry["us"] for _, m in rounds.runs for sides in m.values()
               for entry in sides.values() if entry.get("wall_us") and entry.get("us")]
    return statistics.median(factors) if factors else 0.0


def ratio_range(values):
    if not values:
        return "-"
    text = ratio(statistics.median(values))
    if len(values) > 1:
        text += f" ({ratio(min(values)).rstrip('×')}–{ratio(max(values))})"
    return text


def side_time(rounds, case, side, missing="-"):
    return us(rounds.value(case, side)) if rounds.has(case, side) else missing


def side_ratio(rounds, case, side):
    return ratio_range(rounds.ratios(case, side)) if rounds.has(case, side) else "-"


def cases_section(rounds, notes):
    rows = [
        "| Case | Searched | Engine | Engine, companion | SQLite, naive | SQLite, tuned | SQLite, aggregates | "
        "naive ÷ engine | tuned ÷ engine (rounds) | aggregates ÷ engine (rounds) | aggregates ÷ companion (rounds) | "
        "Answer needs | Bound | Engine ÷ bound | companion ÷ bound | Engine afterwards |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for case, title in WARM_TITLES:
        if not all(rounds.has(case, side) for side in ("engine", "naive", "tuned")):
            continue
        e = rounds.value(case, "engine")
        bound_ns = rounds.value(case, "engine", "bound_ns") or 0
        needs = rounds.value(case, "engine", "bytes") or 0
        bound_us = bound_ns / 1000
        rows.append(
            f"| {title} | {notes.get(case, '')} | {us(e)} | {side_time(rounds, case, 'companion')} | "
            f"{us(rounds.value(case, 'naive'))} | "
            f"{us(rounds.value(case, 'tuned'))} | {side_time(rounds, case, 'aggregates')} | "
            f"{ratio_range(rounds.ratios(case, 'naive'))} | {ratio_range(rounds.ratios(case, 'tuned'))} | "
            f"{side_ratio(rounds, case, 'aggregates')} | {companion_ratio(rounds, case)} | {int(needs):,} B | "
            f"{us(bound_us)} | {ratio(e / bound_us) if bound_us else '-'} | {companion_bound(rounds, case, bound_us)} | "
            f"{settled(rounds.value(case, 'engine', 'settle_us'))} |")
    rows += ["", CASES_BOUND]
    return "\n".join(rows)


def companion_ratio(rounds, case):
    """The peer with aggregates ÷ the engine with its companion, per round."""
    if not (rounds.has(case, "companion") and rounds.has(case, "aggregates")):
        return "-"
    return ratio_range(ratios_over(rounds, case, "aggregates", "companion"))


def companion_bound(rounds, case, bound_us):
    if not (bound_us and rounds.has(case, "companion")):
        return "-"
    return ratio(rounds.value(case, "companion") / bound_us)


# What the bound charges, said under each table it stands in.
CASES_BOUND = (
    "The bound charges the index nodes of the surname's lookup, the slots and whole lines of the rows "
    "shown (of the row More Info shows), and for a given name the slots a bisection of the surname's "
    "run must look at to find each end of the matches when the run's names are in order (the count is "
    "the distance between the ends), every slot of the run when they are not; each byte at the page "
    "cache's measured speed, plus the disk check's cost.")
FIND_BOUND = (
    "The bound charges what the best structure either side keeps must read, from the engine's own "
    "answer: sounds like, a bisection of the distinct Soundex codes and the code's stored total; "
    "a wildcard, two bisections of the sorted keys to its fixed start, then two stored prefix sums "
    "when the rest is one `*` (`*` alone: the roll's stored total) or every key that begins with the "
    "start when it is not; a filter, the surname's lookup and a stored count and list of the entries "
    "that pass (the peer and the companion keep them for a side over a surname; for a state's page "
    "and a unit text "
    "neither side does, so the bound is below what either can read); similar spelling, which no "
    "structure answers, every surname of the roll once. Each then adds the page: its rows' slots and "
    "lines and the record and surname of each key its rows name; each byte at the page cache's "
    "measured speed, plus the disk check's cost.")


# The Find cases and their goals (µs, warm, engine): the catalogue once per opened roll, each
# first page, a filter over the most common surname, a unit filter over the whole roll.
FIND_CASES = [
    ("find/catalogue", "Surname catalogue of a freshly opened roll", 150_000),
    ("find/soundex", "Sounds like (Soundex), first page", 50_000),
    ("find/similar", "Similar spelling, first page", 50_000),
    ("find/wildcard/one_letter", "Wildcard `SM?TH*`, first page", 50_000),
    ("find/wildcard/initial", "Wildcard `S*`, first page", 50_000),
    ("find/wildcard/all", "Wildcard `*`, first page", 50_000),
    ("find/filter/side", "Side filter over the most common surname", 50_000),
    ("find/filter/state", "State filter over the most common surname", 50_000),
    ("find/filter/unit", "Unit filter over the whole roll", 1_000_000),
]


def find_section(rounds, notes):
    rows = [
        "| Case | Searched | Goal | Engine | Engine, companion | SQLite, naive | SQLite, tuned | SQLite, aggregates | "
        "naive ÷ engine | tuned ÷ engine (rounds) | aggregates ÷ engine (rounds) | aggregates ÷ companion (rounds) | "
        "Answer needs | Bound | Engine ÷ bound | companion ÷ bound |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for case, title, goal in FIND_CASES:
        if not rounds.has(case, "engine"):
            continue
        e = rounds.value(case, "engine")
        bound_us = (rounds.value(case, "engine", "bound_ns") or 0) / 1000
        needs = rounds.value(case, "engine", "bytes")
        rows.append(
            f"| {title} | {notes.get(case, '')} | {us(goal)} | {us(e)} | {side_time(rounds, case, 'companion')} | "
            f"{side_time(rounds, case, 'naive', 'nothing to build')} | {side_time(rounds, case, 'tuned', 'nothing to build')} | "
            f"{side_time(rounds, case, 'aggregates', 'nothing to build')} | {side_ratio(rounds, case, 'naive')} | "
            f"{side_ratio(rounds, case, 'tuned')} | {side_ratio(rounds, case, 'aggregates')} | "
            f"{companion_ratio(rounds, case)} | "
            f"{f'{int(needs):,} B' if needs is not None else '-'} | {us(bound_us) if bound_us else '-'} | "
            f"{ratio(e / bound_us) if bound_us else '-'} | {companion_bound(rounds, case, bound_us)} |")
    rows += ["", FIND_BOUND]
    return "\n".join(rows)


# The roster cases and their goals (µs, warm): with the companion, the first page of the largest
# unit's roster; without it (the scan), the whole answer.
ROSTER_CASES = [
    ("roster/unit/first_page", "Roster of the largest unit, first page", 20_000, 1_000_000),
    ("roster/unit/whole_list", "Roster of the largest unit, every row with its line", None, None),
    ("roster/company/first_page", "Roster of its largest company, first page", 20_000, 1_000_000),
    ("roster/company/whole_list", "Roster of its largest company, every row with its line", None, None),
]


def ratios_over(rounds, case, side, base):
    """side ÷ base, one per round."""
    return [m[case][side]["us"] / m[case][base]["us"] for _, m in rounds.runs
            if side in m.get(case, {}) and base in m.get(case, {})]


def roster_section(rounds, notes):
    rows = [
        "| Case | Asked | Engine, companion | Engine, scan | SQLite, tuned | SQLite, aggregates | "
        "tuned ÷ companion | aggregates ÷ companion | tuned ÷ scan | aggregates ÷ scan | Answer needs | Bound | "
        "companion ÷ bound | scan ÷ bound |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for case, title, companion_goal, scan_goal in ROSTER_CASES:
        if not rounds.has(case, "engine"):
            continue
        scan = rounds.value(case, "engine")
        quick = rounds.value(case, "companion") if rounds.has(case, "companion") else None
        bound_us = (rounds.value(case, "engine", "bound_ns") or 0) / 1000
        needs = rounds.value(case, "engine", "bytes") or 0
        goal = ""
        if companion_goal and quick is not None:
            goal += f" (goal {us(companion_goal)}: {'met' if quick < companion_goal else '**missed**'})"
        scan_text = us(scan)
        if scan_goal:
            scan_text += f" (goal {us(scan_goal)}: {'met' if scan < scan_goal else '**missed**'})"
        rows.append(
            f"| {title} | {notes.get(case, '')} | {us(quick) + goal if quick is not None else '-'} | {scan_text} | "
            f"{side_time(rounds, case, 'tuned')} | {side_time(rounds, case, 'aggregates')} | "
            f"{ratio_range(ratios_over(rounds, case, 'tuned', 'companion'))} | "
            f"{ratio_range(ratios_over(rounds, case, 'aggregates', 'companion'))} | "
            f"{side_ratio(rounds, case, 'tuned')} | {side_ratio(rounds, case, 'aggregates')} | "
            f"{int(needs):,} B | {us(bound_us)} | {ratio(quick / bound_us) if quick and bound_us else '-'} | "
            f"{ratio(scan / bound_us) if bound_us else '-'} |")
    if len(rows) == 2:
        return "No roster case in this report."
    return "\n".join(rows)


def settled(value):
    # Under a microsecond is the cost of reading the clock twice: nothing was left to do.
    return us(value) if value and value >= 1 else "-"


def cold_section(path, notes):
    data = read(path)
    if not data:
        return "No cold run in this report."
    _, medians = load_benchmarks(path)
    rows = [
        "| Case | Searched | Engine | SQLite, naive | SQLite, tuned | SQLite, aggregates | naive ÷ engine | "
        "tuned ÷ engine | aggregates ÷ engine | Left cached after eviction |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for case, title in COLD_TITLES:
        m = medians.get(case, {})
        if not all(side in m for side in ("engine", "naive", "tuned")):
            continue
        e = m["engine"]["us"]
        sides = [side for side in ("engine", "naive", "tuned", "aggregates") if side in m]
        left = max(int(m[side].get("resident_after_eviction", 0)) for side in sides)
        agg = m.get("aggregates")
        rows.append(f"| {title} | {notes.get(case, '')} | {us(e)} | {us(m['naive']['us'])} | {us(m['tuned']['us'])} "
                    f"| {us(agg['us']) if agg else '-'} | {ratio(m['naive']['us'] / e)} | {ratio(m['tuned']['us'] / e)} "
                    f"| {ratio(agg['us'] / e) if agg else '-'} | {left:,} B |")
    return "\n".join(rows)


def load_seconds(results, schema):
    """The seconds a load_sqlite run took, from its own line, or None."""
    text = read(os.path.join(results, f"load-{schema}.txt"), "") or ""
    found = re.search(r" in ([0-9.]+) s", text)
    return float(found.group(1)) if found else None


def companion_build(results):
    """rollkit index's figures: wall seconds, peak kB, bytes, share of the roll."""
    text = read(os.path.join(results, "companion-index.txt"), "") or ""
    built = re.search(r"built in ([0-9.]+) s: .*?, ([0-9.]+) MB \(([0-9.]+)% of the roll", text)
    if not built:
        return None
    return {"seconds": float(built.group(1)), "mb": float(built.group(2)), "share": float(built.group(3)),
            "peak_kb": kb(results, "companion")}


def setup_section(args):
    r = args.results
    rows = ["| Set-up a user pays once | Time | Peak memory | Size |", "|---|---:|---:|---:|"]
    c = companion_build(r)
    if c:
        rows.append(f"| Companion index (`rollkit index`, files cached) | {c['seconds']:.2f} s | {mb(c['peak_kb'])} | "
                    f"{c['mb']:,.1f} MB ({c['share']:.1f}% of the roll) |")
    else:
        rows.append("| Companion index (`rollkit index`) | not built | - | - |")
    for schema, label in (("tuned", "SQLite copy, tuned schema"), ("keys", "its key catalogue"),
                          ("aggregates", "its aggregates"), ("roster", "its roster columns and aggregates")):
        seconds = load_seconds(r, schema)
        path = args.roll.rstrip("/") + f".{schema}.sqlite"
        size = f"{os.path.getsize(path) / 1e6:,.1f} MB" if os.path.exists(path) else "-"
        rows.append(f"| {label} (`load_sqlite {schema}`) | {f'{seconds:,.1f} s' if seconds is not None else '-'} | - | {size} |")
    return "\n".join(rows)


def viewer_section(path, notes):
    medians = load_percentile(path, "median")
    p99 = load_percentile(path, "p99")
    if not medians:
        return "The viewer was not built for this report."
    cpu_median = load_percentile(path, "median", "cpu_us")
    cpu_p99 = load_percentile(path, "p99", "cpu_us")
    ready_median = load_percentile(path, "median", "ready_us")
    ready_p99 = load_percentile(path, "p99", "ready_us")
    rows = ["| Case | Searched | Page painted: median | 99th percentile | Within one frame (16 ms) | GUI thread's "
            "CPU time: median | its 99th percentile | Takes input again: median | its 99th percentile |",
            "|---|---|---:|---:|---|---:|---:|---:|---:|"]
    for case, title in WARM_TITLES:
        if case in medians:
            rows.append(f"| {title} | {notes.get(case, '')} | {us(medians[case])} | {us(p99.get(case, 0))} | "
                        f"{'yes' if p99.get(case, 1e9) < 16000 else '**no**'} | {us(cpu_median.get(case, 0))} | "
                        f"{us(cpu_p99.get(case, 0))} | {us(ready_median.get(case, 0))} | "
                        f"{us(ready_p99.get(case, 0))} |")
    return "\n".join(rows)


def hyperfine(path):
    data = read(path)
    if not data:
        return {}
    return {r["command"]: r for r in json.loads(data)["results"]}


def kb(results, name):
    text = (read(os.path.join(results, f"peak-{name}.kb"), "") or "").strip()
    return int(text) if text.isdigit() else None


def mb(kbytes):
    return f"{kbytes / KB_PER_MB:.1f} MB" if kbytes is not None else "-"


def plain_process(args, rounds):
    """SMITH J's given-name search in a plain rollkit process and in the benchmark's, each as what
    it costs over a search of the surname of one entry (wall time, its records written; the
    processes use the companion the run built): (plain µs, in-process µs, hyperfine results), or
    None when either was not measured."""
    h = hyperfine(os.path.join(args.results, "hyperfine-rollkit-show.json"))
    if "show_single" not in h or "show_one_letter" not in h:
        return None
    side = "companion" if rounds.has("search/given/one_letter", "companion") else "engine"

    def cost(case):
        wall = rounds.value(case, side, "wall_us")
        return None if wall is None else wall + (rounds.value(case, side, "settle_us") or 0)

    letter, single = cost("search/given/one_letter"), cost("search/surname/single")
    if letter is None or single is None:
        return None
    plain = (h["show_one_letter"]["median"] - h["show_single"]["median"]) * 1e6
    return plain, letter - single, h


def whole_section(args, p, small_p, rounds):
    r = args.results
    h = hyperfine(os.path.join(r, "hyperfine-rollkit.json"))
    rows = ["| Process | Median wall time | Peak memory |", "|---|---:|---:|"]

    def wall(res):
        return f"{res['median'] * 1000:.1f} ms ± {res['stddev'] * 1000:.1f}" if res else "-"

    labels = [
        ("single", f"`rollkit search {p.get('single', '?')}` (1 entry)", None),
        ("median", f"`rollkit search {p.get('median', '?')}` (median entry's surname)", None),
        ("common", f"`rollkit search {p.get('common', '?')}` ({int(p.get('common_count', 0)):,} entries, every page written out)",
         "rollkit-common"),
        ("common_given", f"`rollkit search --given {p.get('given', '?')} {p.get('common', '?')}`", "rollkit-common-given"),
    ]
    for key, label, peak in labels:
        rows.append(f"| {label} | {wall(h.get(key))} | {mb(kb(r, peak)) if peak else '-'} |")
    plain = plain_process(args, rounds)
    if plain:
        costs, h2 = plain[:2], plain[2]
        rows.append(f"| `rollkit show {p.get('single', '?')} 0` | {wall(h2['show_single'])} | - |")
        rows.append(f"| `rollkit show --given {p.get('one_letter', '?')} {p.get('common', '?')} 0` | "
                    f"{wall(h2['show_one_letter'])} | - |")
        rows.append(f"| The given-name search in a plain process: the difference of the two above (in the "
                    f"benchmark's process, search and records written, less the one-entry surname's: "
                    f"{us(costs[1])}) | {us(costs[0])} | - |")
    rows.append(f"| `rollkit search {small_p.get('common', '?')}` on the 100,000-entry roll "
                f"({int(small_p.get('common_count', 0)):,} entries) | - | {mb(kb(r, 'rollkit-small'))} |")
    for kind, command in (("csv", "search --format csv '*'"), ("json", "search --format json '*'"),
                          ("pull", "pull-list '*'")):
        rows.append(f"| `rollkit {command}` (every entry) | - | {mb(kb(r, 'export-rollkit-' + kind))} |")

    v = hyperfine(os.path.join(r, "hyperfine-viewer.json"))
    if v:
        paints = [float(x) for x in (read(os.path.join(r, "first-paint.ms"), "") or "").split()]
        first = f"; first paint {statistics.median(paints):.0f} ms after main()" if paints else ""
        pages = (read(os.path.join(r, "viewer-pages.txt"), "") or "").strip()
        rows.append(f"| Viewer start-up to the first painted window, then quit (offscreen{first}) | "
                    f"{wall(v.get('startup'))} | {mb(kb(r, 'viewer-idle'))} idle |")
        rows.append(f"| Viewer after paging through {p.get('common', '?')} ({pages}) | - | "
                    f"{mb(kb(r, 'viewer-paged'))} |")
        for kind, what in (("csv", "Export Results as CSV"), ("json", "Export Results as JSON"),
                           ("gedcom", "Save All Results as GEDCOM"), ("pull", "Microfilm Pull List")):
            rows.append(f"| Viewer: {what} of `*` (every entry) | - | {mb(kb(r, 'export-viewer-' + kind))} |")
        rows.append(f"| Viewer: Print of {p.get('common', '?')} to PDF | - | {mb(kb(r, 'export-viewer-pdf'))} |")
    else:
        rows.append("| Viewer start-up to the first painted window | viewer not built yet | viewer not built yet |")
        rows.append("| Viewer after paging through the most common surname | - | viewer not built yet |")
    return "\n".join(rows)


def goals_section(args, rounds, p):
    r = args.results
    rows = ["| Goal | Measured | Met |", "|---|---|---|"]

    def yes(ok):
        return "yes" if ok else "**no**"

    searches = [c for c, _ in WARM_TITLES if c.startswith("search/") and rounds.has(c, "engine")]
    for side, label in (("aggregates", "the SQLite peer with aggregates"), ("tuned", "the tuned SQLite"),
                        ("naive", "the naive SQLite")):
        if not any(rounds.has(c, side) for c in searches):
            continue
        slower = [(c, statistics.median(rounds.ratios(c, side))) for c in searches if rounds.ratios(c, side)]
        slower = [(c, x) for c, x in slower if x < 1]
        text = f"engine faster in {len(searches) - len(slower)} of {len(searches)}"
        if slower:
            text += "; slower: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in slower)
        rows.append(f"| Every search case at least as fast as {label} | {text} | {yes(not slower)} |")
    surname = [c for c in searches if c.startswith("search/surname/")]
    worst = max((rounds.value(c, "engine") for c in surname), default=0)
    rows.append(f"| Surname-only first page under 100 µs warm | slowest {us(worst)} | {yes(worst < 100)} |")
    for c in [c for c in searches if c.startswith("search/given/")]:
        bound = (rounds.value(c, "engine", "bound_ns") or 1) / 1000
        x = rounds.value(c, "engine") / bound
        rows.append(f"| Given-name search of the most common surname within 3× its bound ({c.split('/')[-1]}) | "
                    f"{ratio(x)} | {yes(x <= 3)} |")
    p99 = load_percentile(os.path.join(r, "viewer-latency.json"), "p99")
    if p99:
        worst_case = max(p99, key=p99.get)
        rows.append(f"| Viewer: every search from Enter to painted screen under 16 ms at the 99th percentile | "
                    f"slowest {us(p99[worst_case])} ({worst_case.split('/', 1)[1]}) | {yes(p99[worst_case] < 16000)} |")
    full, small = kb(r, "rollkit-common"), kb(r, "rollkit-small")
    if full is not None and small is not None:
        rows.append(f"| `rollkit search` peak memory independent of the roll's size and under 16 MB | "
                    f"{mb(full)} on {int(args.entries):,} entries, {mb(small)} on 100,000 | "
                    f"{yes(max(full, small) < 16 * 1024 and abs(full - small) < 1024)} |")
    exports = {name: kb(r, name) for name in
               [f"export-rollkit-{k}" for k in ("csv", "json", "pull")] +
               [f"export-viewer-{k}" for k in ("csv", "json", "gedcom", "pull", "pdf")]}
    measured = {name: value for name, value in exports.items() if value is not None}
    if measured:
        worst = max(measured, key=measured.get)
        rows.append(f"| Every export of `*` under 64 MB peak (print: the most common surname) | highest {mb(measured[worst])} "
                    f"({worst.split('-', 1)[1]}), {len(measured)} of {len(exports)} measured | "
                    f"{yes(measured[worst] < 64 * 1024)} |")
    for case, title, goal in FIND_CASES:
        if rounds.has(case, "engine"):
            e = rounds.value(case, "engine")
            rows.append(f"| Find: {title.lower()} under {us(goal)} warm | {us(e)} | {yes(e < goal)} |")
    bounded = [(c, rounds.value(c, "engine") / (rounds.value(c, "engine", "bound_ns") / 1000))
               for c, _, _ in FIND_CASES if rounds.has(c, "engine") and rounds.value(c, "engine", "bound_ns")]
    if bounded:
        over = [(c, x) for c, x in bounded if x > 3]
        text = f"{len(bounded) - len(over)} of {len(bounded)} within"
        if over:
            text += "; over: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in over)
        rows.append(f"| Every Find case within 3× its bound | {text} | {yes(not over)} |")
    find = [c for c, _, _ in FIND_CASES if rounds.has(c, "tuned")]
    slower = [(c, statistics.median(rounds.ratios(c, "tuned"))) for c in find if rounds.ratios(c, "tuned")]
    slower = [(c, x) for c, x in slower if x < 1]
    if find:
        text = f"engine faster in {len(find) - len(slower)} of {len(find)}"
        if slower:
            text += "; slower: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in slower)
        rows.append(f"| Every Find case at least as fast as the tuned SQLite | {text} | {yes(not slower)} |")
    agg_find = [c for c, _, _ in FIND_CASES if rounds.has(c, "aggregates")]
    if agg_find:
        slower = [(c, statistics.median(rounds.ratios(c, "aggregates"))) for c in agg_find if rounds.ratios(c, "aggregates")]
        slower = [(c, x) for c, x in slower if x < 1]
        text = f"engine faster in {len(agg_find) - len(slower)} of {len(agg_find)}"
        if slower:
            text += "; slower: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in slower)
        rows.append(f"| Every Find case at least as fast as the SQLite peer with aggregates | {text} | {yes(not slower)} |")
    # With the companion present, against the peer with aggregates and the bound.
    quick = ([c for c, _ in WARM_TITLES if c.startswith("search/")] + [c for c, _, _ in FIND_CASES] +
             [c for c, _, _, _ in ROSTER_CASES])
    quick = [c for c in quick if rounds.has(c, "companion") and rounds.has(c, "aggregates")]
    if quick:
        behind = [(c, statistics.median(ratios_over(rounds, c, "aggregates", "companion"))) for c in quick]
        behind = [(c, x) for c, x in behind if x < 1]
        text = f"engine with its companion faster in {len(quick) - len(behind)} of {len(quick)}"
        if behind:
            text += "; slower: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in behind)
        rows.append(f"| With the companion: every search, Find and roster case at least as fast as the SQLite "
                    f"peer with aggregates | {text} | {yes(not behind)} |")
        bounded = [(c, rounds.value(c, "companion") / (rounds.value(c, "engine", "bound_ns") / 1000))
                   for c in quick if rounds.value(c, "engine", "bound_ns")]
        over = [(c, x) for c, x in bounded if x > 3]
        text = f"{len(bounded) - len(over)} of {len(bounded)} within"
        if over:
            text += "; over: " + ", ".join(f"{c.split('/', 1)[1]} ({ratio(x)})" for c, x in over)
        rows.append(f"| With the companion: every search, Find and roster case within 3× its bound | {text} | "
                    f"{yes(not over)} |")
    c = companion_build(r)
    if c:
        rows.append(f"| Companion index built under 5 s, files cached | {c['seconds']:.2f} s | {yes(c['seconds'] < 5)} |")
        if c["peak_kb"] is not None:
            rows.append(f"| Companion index built in under 256 MB | {mb(c['peak_kb'])} | {yes(c['peak_kb'] < 256 * 1024)} |")
        rows.append(f"| Companion index under 15% of the roll's size | {c['share']:.1f}% | {yes(c['share'] < 15)} |")
    plain = plain_process(args, rounds)
    if plain:
        x = plain[0] / plain[1] if plain[1] > 0 else float("inf")
        rows.append(f"| {p.get('common', '?')} {p.get('one_letter', '?')} in a plain rollkit process within 1.5× "
                    f"of the benchmark's process (each over the one-entry surname, records written) | "
                    f"{us(plain[0])} against {us(plain[1])}: {ratio(x)} | {yes(x <= 1.5)} |")
    paged = kb(r, "viewer-paged")
    if paged is not None:
        rows.append(f"| Viewer under 80 MB after paging | {mb(paged)} | {yes(paged < 80 * 1024)} |")
    else:
        rows.append("| Viewer under 80 MB after paging | viewer not built yet | - |")
    return "\n".join(rows)


def replace_section(text, name, body):
    pattern = re.compile(rf"(<!-- BEGIN {name} -->\n).*?(<!-- END {name} -->)", re.S)
    if not pattern.search(text):
        sys.exit(f"report.py: README has no section {name}")
    return pattern.sub(lambda m: m.group(1) + body + "\n" + m.group(2), text)


def main():
    parser = argparse.ArgumentParser()
    for flag in ("--results", "--roll", "--small", "--entries", "--seed", "--readme"):
        parser.add_argument(flag, required=True)
    args = parser.parse_args()

    warm = sorted(f for f in os.listdir(args.results) if re.fullmatch(r"bench-warm-\d+\.json", f))
    if not warm:
        sys.exit("report.py: no warm run in " + args.results)
    rounds = Rounds([load_benchmarks(os.path.join(args.results, f)) for f in warm])
    context = rounds.runs[0][0]
    notes = {k[len("case:"):]: v for k, v in context.items() if k.startswith("case:")}
    p = picks(os.path.join(args.results, "picks.tsv"))
    small_p = picks(os.path.join(args.results, "picks-small.tsv"))

    text = read(args.readme)
    text = replace_section(text, "machine", machine_section(rounds, args))
    text = replace_section(text, "cases", cases_section(rounds, notes))
    text = replace_section(text, "find", find_section(rounds, notes))
    text = replace_section(text, "roster", roster_section(rounds, notes))
    text = replace_section(text, "cold", cold_section(os.path.join(args.results, "bench-cold.json"), notes))
    text = replace_section(text, "viewer", viewer_section(os.path.join(args.results, "viewer-latency.json"), notes))
    text = replace_section(text, "whole", whole_section(args, p, small_p, rounds))
    text = replace_section(text, "setup", setup_section(args))
    text = replace_section(text, "goals", goals_section(args, rounds, p))
    with open(args.readme, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
