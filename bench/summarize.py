#!/usr/bin/env python3
"""Prints the benchmark's table from the reports that scripts/bench left.

    summarize.py RESULTS CASE...

Seconds are the work itself: the floor's and the engine's own timing of
their copy loop and install run; for the NSIS installers the launcher's
wall time less the median of an empty NSIS installer's (NSIS start-up
under Wine). "process s" is the launcher's wall time of the whole process;
for setup.exe -s (unattended) it is also its seconds, start-up included.
A case "Nover" installs the N files of case N over an earlier installation;
with both run, the cost of the backups (every replaced file kept until the
run commits) is printed as the difference.
"""
import glob
import math
import os
import statistics
import sys

CONTENDERS = ["floor", "engine", "setup-s", "setup-sums", "nsis-file",
              "nsis-copy"]
FILES = {"large": 5}


def read_values(path):
    values = {}
    try:
        with open(path) as handle:
            for line in handle:
                key, _, value = line.strip().partition("=")
                if key:
                    values[key] = value
    except OSError:
        pass
    return values


def runs_of(results, case, name):
    pattern = os.path.join(results, "%s-%s-*.launch" % (case, name))
    out = []
    for launch_path in sorted(glob.glob(pattern)):
        base = launch_path[:-len(".launch")]
        launch = read_values(launch_path)
        report = read_values(base + ".report")
        try:
            with open(base + ".count") as handle:
                count = int(handle.read().strip() or 0)
        except (OSError, ValueError):
            count = -1
        out.append({"launch": launch, "report": report, "count": count})
    return out


def median_or_none(values):
    return statistics.median(values) if values else None


def summarize_case(results, case):
    nsis_start = median_or_none(
        [float(r["launch"]["wall_ms"])
         for r in runs_of(results, case, "nsis-empty")
         if "wall_ms" in r["launch"]]) or 0.0
    rows = {}
    for name in CONTENDERS:
        work, wall, peak, problems = [], [], [], []
        for run in runs_of(results, case, name):
            launch, report = run["launch"], run["report"]
            if "wall_ms" not in launch:
                problems.append("no launch report")
                continue
            if launch.get("timed_out") == "1" or launch.get("exit") not in ("0", None):
                problems.append("exit %s" % launch.get("exit"))
            if run["count"] != files_of(case):
                problems.append("%d files arrived" % run["count"])
            wall.append(float(launch["wall_ms"]))
            peak.append(int(launch.get("peak_kb", 0)))
            if name in ("setup-s", "setup-sums"):
                work.append(float(launch["wall_ms"]))
            elif name in ("floor", "engine"):
                if "run_ms" in report:
                    work.append(float(report["run_ms"]))
                else:
                    problems.append("no run time")
            else:
                work.append(max(0.0, float(launch["wall_ms"]) - nsis_start))
        rows[name] = {
            "work": median_or_none(work), "wall": median_or_none(wall),
            "peak": max(peak) if peak else None, "runs": len(work),
            "problems": sorted(set(problems)),
        }
    return rows


def files_of(case):
    if case in FILES:
        return FILES[case]
    count = case[:-len("over")] if case.endswith("over") else case
    return int(count) if count.isdigit() else -1


def seconds(ms):
    return "-" if ms is None else "%.3f" % (ms / 1000.0)


def read_profile(path):
    """The profile's totals and its rows (name, ms, calls)."""
    totals, rows = {}, []
    with open(path) as handle:
        for line in handle:
            parts = line.strip().split("|")
            if len(parts) == 3:
                rows.append((parts[0], float(parts[1]), int(parts[2])))
            else:
                key, _, value = line.strip().partition("=")
                totals[key] = value
    return totals, rows


def print_profile_rows(rows, whole_ms, rest_name):
    total = 0.0
    for name, ms, calls in rows:
        if calls == 0:
            continue
        total += ms
        share = 100.0 * ms / whole_ms if whole_ms else 0.0
        print("  %-52s %9.3f s %5.1f%% %8d calls" % (name, ms / 1000, share, calls))
    print("  %-52s %9.3f s" % (rest_name, max(0.0, whole_ms - total) / 1000))


def print_profile(results, case, floor_ms):
    path = os.path.join(results, "%s-profile.txt" % case)
    if not os.path.exists(path):
        return
    profile, rows = read_profile(path)
    run = read_values(os.path.join(results, "%s-profile.report" % case))
    run_ms = float(run.get("run_ms", "0") or 0)
    print()
    print("Where the engine's run goes, %s files (install run %.3f s, "
          "calls timed where the program makes them):" % (case, run_ms / 1000))
    print_profile_rows(rows, run_ms, "everything else (our own code, the dialog)")
    span = float(profile.get("copy_span_ms", "0") or 0)
    if span and floor_ms:
        print("  the copying: first copy to the end of the last      %9.3f s "
              "(%.2f x the floor's median)" % (span / 1000, span / floor_ms))


def print_setup_profile(results, case, process_ms):
    """setup.exe -s timed the same way, from its first static constructor
    to its exit; what the process takes besides is Wine starting and
    ending it."""
    path = os.path.join(results, "%s-setup-profile.txt" % case)
    if not os.path.exists(path):
        return
    profile, rows = read_profile(path)
    program_ms = float(profile.get("program_ms", "0") or 0)
    print()
    print("Where setup.exe -s goes, %s files (program %.3f s of a median "
          "process %s s):" % (case, program_ms / 1000, seconds(process_ms)))
    print_profile_rows(rows, program_ms, "everything else (our own code, the "
                       "shell link's methods)")


def print_ratios(table):
    """The goal: setup.exe -s, whole process, against NSIS with the files
    embedded, whole process."""
    print()
    print("setup.exe -s / NSIS with embedded files (process seconds, medians):")
    for case, rows in table.items():
        ours, theirs = rows["setup-s"]["wall"], rows["nsis-file"]["wall"]
        if ours is None or not theirs:
            continue
        print("  %-8s %8s s / %8s s = %.2f" % (
            case, seconds(ours), seconds(theirs), ours / theirs))
    print()
    print("What the media's checksum list costs: setup.exe -s with MEDIA.SUM "
          "against without (process seconds, medians):")
    for case, rows in table.items():
        plain, checked = rows["setup-s"]["wall"], rows["setup-sums"]["wall"]
        if plain and checked:
            print("  %-8s %8s s / %8s s = %+.1f%%" % (
                case, seconds(checked), seconds(plain),
                100.0 * (checked - plain) / plain))


def main():
    results, cases = sys.argv[1], sys.argv[2:]
    table = {case: summarize_case(results, case) for case in cases}
    header = "%-10s %6s %10s %9s %10s %9s %6s %s" % (
        "contender", "files", "median s", "x floor", "process s",
        "peak MiB", "runs", "growth 100->999 (x time / x files)")
    print(header)
    print("-" * len(header))
    for case in cases:
        rows = table[case]
        floor = rows["floor"]["work"]
        for name in CONTENDERS:
            row = rows[name]
            ratio = ("%.2f" % (row["work"] / floor)
                     if row["work"] is not None and floor else "-")
            growth = ""
            if case == "999" and "100" in table:
                small = table["100"][name]["work"]
                if small and row["work"]:
                    factor = row["work"] / small
                    growth = "%.1f / 9.99 (exponent %.2f)" % (
                        factor, math.log(factor) / math.log(9.99))
            peak = "-" if row["peak"] is None else "%.1f" % (row["peak"] / 1024)
            files = files_of(case)
            if case.endswith("over"):
                files = "%d*" % files
            line = "%-10s %6s %10s %9s %10s %9s %6d %s" % (
                name, files, seconds(row["work"]), ratio, seconds(row["wall"]),
                peak, row["runs"], growth)
            if row["problems"]:
                line += "  [" + "; ".join(row["problems"]) + "]"
            print(line)
    if any(case.endswith("over") for case in cases):
        print("* installed over an earlier installation of the same files")
    print_ratios(table)
    print_backup_cost(table)
    for case in cases:
        print_profile(results, case, table[case]["floor"]["work"])
        print_setup_profile(results, case, table[case]["setup-s"]["wall"])
    return 0


def print_backup_cost(table):
    """What installing over an earlier installation adds to installing
    into an empty folder: the backups, and the floor's plain overwrite for
    comparison."""
    for case in table:
        if not case.endswith("over") or case[:-len("over")] not in table:
            continue
        empty, over = table[case[:-len("over")]], table[case]
        print()
        print("Over an existing installation (%s files): what the backups "
              "cost" % case[:-len("over")])
        for name in ("floor", "engine", "setup-s"):
            before, after = empty[name]["work"], over[name]["work"]
            if before is None or after is None:
                continue
            print("  %-10s %8s s into an empty folder, %8s s over the earlier "
                  "files: %+.3f s (%+.1f%%)" % (
                      name, seconds(before), seconds(after),
                      (after - before) / 1000.0,
                      100.0 * (after - before) / before if before else 0.0))


if __name__ == "__main__":
    sys.exit(main())
