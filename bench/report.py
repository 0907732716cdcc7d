#!/usr/bin/env python3
"""Rewrites the generated sections of bench/README.md from the files bench/run.sh leaves in
bench/data/results: the machine, the per-case table, the whole-process table and the goals.

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
    if x >= 100:
        return f"{x:,.0f}×"
    if x >= 10:
        return f"{x:.1f}×"
    return f"{x:.2f}×"


def load_benchmarks(path):
    data = json.loads(read(path))
    medians = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].replace("/manual_time", "")
        side, case = name.split("/", 1)
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        medians.setdefault(case, {})[side] = {
            "us": b["real_time"] * scale,
            "bytes": b.get("bytes"),
            "bound_ns": b.get("bound_ns"),
        }
    return data["context"], medians


CASE_TITLES = [
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
    ("cold/first_search", "First search on a new screen / new connection"),
]


def machine_section(context, args):
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
    check = (read(os.path.join(args.results, "check.txt"), "") or "").strip()
    sizes = []
    for name in ("mroll.cor", "mroll.ext", "mroll.tre"):
        path = os.path.join(args.roll, name)
        if os.path.exists(path):
            sizes.append(f"{name} {os.path.getsize(path) / 1e6:,.1f} MB")
    sqlite_path = args.roll.rstrip("/") + ".sqlite"
    if os.path.exists(sqlite_path):
        sizes.append(f"SQLite copy {os.path.getsize(sqlite_path) / 1e6:,.1f} MB")
    bandwidth = float(context.get("read_bandwidth_bytes_per_second", "0"))
    load = (read("/proc/loadavg", "") or "").split()[:3]
    lines = [
        f"- CPU: {cpu}, {context.get('num_cpus', '?')} cores at {context.get('mhz_per_cpu', '?')} MHz "
        f"(shared with other work: load average {' '.join(load)} when the report was written)",
        f"- Memory: {mem}; single-thread read bandwidth measured in the run: {bandwidth / 1e9:.1f} GB/s",
        f"- System: {platform.platform()}; {gcc[0] if gcc else 'g++'}; RelWithDebInfo build",
        "- Libraries: " + "; ".join(versions.splitlines()),
        f"- Roll: `rollkit generate --entries {int(args.entries):,} --seed {args.seed}`, built with "
        f"`rollkit build`: {', '.join(sizes)}",
    ]
    if check:
        lines.append(f"- `rollkit check`: {check}")
    return "\n".join(lines)


def cases_section(context, medians, notes):
    rows = [
        "| Case | Searched | Engine | SQLite | SQLite ÷ engine | Engine reads | Bound | Engine ÷ bound |",
        "|---|---|---:|---:|---:|---:|---:|---:|",
    ]
    for case, title in CASE_TITLES:
        m = medians.get(case)
        if not m or "engine" not in m or "sqlite" not in m:
            continue
        e, s = m["engine"], m["sqlite"]
        bound_us = (e["bound_ns"] or 0) / 1000
        rows.append(
            f"| {title} | {notes.get(case, '')} | {us(e['us'])} | {us(s['us'])} | {ratio(s['us'] / e['us'])} "
            f"| {int(e['bytes'] or 0):,} B | {us(bound_us)} | {ratio(e['us'] / bound_us) if bound_us else '-'} |"
        )
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


def whole_section(args, p, small_p):
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
    rows.append(f"| `rollkit search {small_p.get('common', '?')}` on the 100,000-entry roll "
                f"({int(small_p.get('common_count', 0)):,} entries) | - | {mb(kb(r, 'rollkit-small'))} |")

    v = hyperfine(os.path.join(r, "hyperfine-viewer.json"))
    if v:
        paints = [float(x) for x in (read(os.path.join(r, "first-paint.ms"), "") or "").split()]
        first = f"; first paint {statistics.median(paints):.0f} ms after main()" if paints else ""
        pages = (read(os.path.join(r, "viewer-pages.txt"), "") or "").strip()
        rows.append(f"| Viewer start-up to the first painted window, then quit (offscreen{first}) | "
                    f"{wall(v.get('startup'))} | {mb(kb(r, 'viewer-idle'))} idle |")
        rows.append(f"| Viewer after paging through {p.get('common', '?')} ({pages}) | - | "
                    f"{mb(kb(r, 'viewer-paged'))} |")
    else:
        rows.append("| Viewer start-up to the first painted window | viewer not built yet | viewer not built yet |")
        rows.append("| Viewer after paging through the most common surname | - | viewer not built yet |")
    return "\n".join(rows)


def goals_section(args, medians, p):
    r = args.results
    rows = ["| Goal | Measured | Met |", "|---|---|---|"]

    def yes(ok):
        return "yes" if ok else "**no**"

    searches = [c for c, _ in CASE_TITLES if c.startswith("search/") and c in medians]
    slower = [c for c in searches if medians[c]["engine"]["us"] > medians[c]["sqlite"]["us"]]
    rows.append(
        f"| Every search case at least as fast as SQLite's | engine faster in {len(searches) - len(slower)} of "
        f"{len(searches)}" + (f"; slower: {', '.join(slower)}" if slower else "") + f" | {yes(not slower)} |")
    surname = [c for c in searches if c.startswith("search/surname/")]
    worst = max((medians[c]["engine"]["us"] for c in surname), default=0)
    rows.append(f"| Surname-only first page under 100 µs warm | slowest {us(worst)} | {yes(worst < 100)} |")
    for c in [c for c in searches if c.startswith("search/given/")]:
        e = medians[c]["engine"]
        x = e["us"] / ((e["bound_ns"] or 1) / 1000)
        rows.append(f"| Given-name search of the most common surname within 3× its bound ({c.split('/')[-1]}) | "
                    f"{ratio(x)} | {yes(x <= 3)} |")
    full, small = kb(r, "rollkit-common"), kb(r, "rollkit-small")
    if full is not None and small is not None:
        rows.append(f"| `rollkit search` peak memory independent of the roll's size and under 16 MB | "
                    f"{mb(full)} on {int(args.entries):,} entries, {mb(small)} on 100,000 | "
                    f"{yes(max(full, small) < 16 * 1024 and abs(full - small) < 1024)} |")
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

    context, medians = load_benchmarks(os.path.join(args.results, "bench.json"))
    notes = {k[len("case:"):]: v for k, v in context.items() if k.startswith("case:")}
    p = picks(os.path.join(args.results, "picks.tsv"))
    small_p = picks(os.path.join(args.results, "picks-small.tsv"))

    text = read(args.readme)
    text = replace_section(text, "machine", machine_section(context, args))
    text = replace_section(text, "cases", cases_section(context, medians, notes))
    text = replace_section(text, "whole", whole_section(args, p, small_p))
    text = replace_section(text, "goals", goals_section(args, medians, p))
    with open(args.readme, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
