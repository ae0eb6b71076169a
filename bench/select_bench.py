#!/usr/bin/env python3
"""select_bench.py CLI SOURCE SCRATCH REPEAT: the best of REPEAT interleaved
runs of `wc -l SOURCE` and of `orbivane-cli select` runs on SOURCE (the worst
case once), each with its time, its processor time, its peak memory and its
cost per line, and the ratios to `wc -l`. The source's epochs are of
2026-05-01, so the windows start a month later."""
import os, subprocess, sys, time

cli, source, scratch, repeat = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
lines = sum(1 for _ in open(source, "rb"))


def select(*criteria):
    return [cli, "select", "--source", source, "--output", os.path.join(scratch, "select.slc"),
            "--workdir", scratch, *criteria]


jobs = [  # label, command, runs, target
    ("wc -l", ["wc", "-l", source], repeat, ""),
    ("select --h-max 12 (no sky)", select("--h-max", "12"), repeat, ""),
    ("select V<=13, 90 days, elongation 60", select("--brighter-than", "13", "--from", "2026-06-01", "--to",
                                                     "2026-08-29", "--elongation", "60"), repeat, "at most 5"),
    ("the same on one core", ["taskset", "-c", "0"] + select("--brighter-than", "13", "--from", "2026-06-01",
                                                             "--to", "2026-08-29", "--elongation", "60"), repeat, ""),
    ("worst: select V<=25, 365 days", select("--brighter-than", "25", "--from", "2026-06-01", "--to",
                                             "2027-05-31"), 1, "reported"),
]
best = {label: (1e30, 0.0, 0) for label, *_ in jobs}


def run(label, argv):
    # The peak memory from GNU time, which measures its child alone (a child of this process would count the
    # interpreter's pages it started with).
    peak = os.path.join(scratch, "peak")
    start = time.monotonic()
    proc = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak, *argv], stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.monotonic() - start
    if status != 0:
        sys.exit(f"bench: {label} failed")
    old = best[label]
    cpu = usage.ru_utime + usage.ru_stime
    with open(peak) as f:
        rss = int(f.read().split()[-1])
    best[label] = (min(old[0], seconds), cpu if seconds < old[0] else old[1], max(old[2], rss))


subprocess.run(["cat", source], stdout=subprocess.DEVNULL, check=True)  # warm the page cache
for round in range(repeat):
    for label, argv, runs, _ in jobs:
        if round < runs:
            run(label, argv)

wc = best["wc -l"][0]
print(f"{lines:,} lines ({source}); best of {repeat} (the worst case: 1 run); {os.cpu_count()} cores\n")
print(f"{'command':40} {'seconds':>8} {'CPU s':>7} {'us/line':>8} {'CPU us/line':>11} {'peak MiB':>9} "
      f"{'/ wc -l':>8}  target")
for label, _, _, target in jobs:
    seconds, cpu, rss = best[label]
    print(f"{label:40} {seconds:8.3f} {cpu:7.2f} {seconds / lines * 1e6:8.3f} {cpu / lines * 1e6:11.3f} "
          f"{rss / 1024:9.1f} {seconds / wc:8.2f}  {target}")
print("\nPeak memory target: at most 64 MiB.")
