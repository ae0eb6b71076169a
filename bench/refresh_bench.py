#!/usr/bin/env python3
"""refresh_bench.py CLI SOURCE SCRATCH REPEAT: the best of REPEAT interleaved
runs of `wc -l SOURCE`, of one `orbivane-cli convert` of the source's last 100
lines, and of `orbivane-cli refresh` of ten catalogs whose filters (100 lines
each) end at a tenth, two tenths, ... and the last line of the source; the
ratios of the refresh to the conversion (the target: at most 1.5, the source
read once for all ten) and of each to `wc -l`. Each refreshed catalog is
checked byte for byte against a conversion of its filter."""
import filecmp, os, shutil, subprocess, sys, time

cli, source, scratch, repeat = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
lines = sum(1 for _ in open(source, "rb"))
work = os.path.join(scratch, "refresh")
shutil.rmtree(work, ignore_errors=True)
os.makedirs(os.path.join(work, "direct"))


def filter_of(k):
    last = lines * k // 10
    return f"{last - 99}-{last}"


# The history: each catalog converted once, a copy of it kept to compare with.
for k in range(1, 11):
    catalog = os.path.join(work, f"c{k}.slc")
    subprocess.run([cli, "convert", "--source", source, "--output", catalog, "--filter", filter_of(k),
                    "--workdir", work], stdout=subprocess.DEVNULL, check=True)
    shutil.copy(catalog, os.path.join(work, "direct", f"c{k}.slc"))
    os.truncate(catalog, 0)  # the refresh must write it again

jobs = [
    ("wc -l", ["wc", "-l", source]),
    ("convert, the last 100 lines", [cli, "convert", "--source", source, "--output", os.path.join(scratch, "one.slc"),
                                     "--filter", filter_of(10), "--workdir", scratch]),
    ("refresh, ten catalogs", [cli, "refresh", "--source", source, "--workdir", work]),
]
best = {label: 1e30 for label, _ in jobs}
subprocess.run(["cat", source], stdout=subprocess.DEVNULL, check=True)  # warm the page cache
for _ in range(repeat):
    for label, argv in jobs:
        start = time.monotonic()
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
        best[label] = min(best[label], time.monotonic() - start)

same = all(filecmp.cmp(os.path.join(work, f"c{k}.slc"), os.path.join(work, "direct", f"c{k}.slc"), shallow=False)
           for k in range(1, 11))
wc, one, refresh = best["wc -l"], best["convert, the last 100 lines"], best["refresh, ten catalogs"]
print(f"{lines:,} lines ({source}); best of {repeat}, interleaved; {os.cpu_count()} cores\n")
print(f"{'command':32} {'seconds':>8} {'/ wc -l':>8}")
for label, _ in jobs:
    print(f"{label:32} {best[label]:8.3f} {best[label] / wc:8.2f}")
print(f"\nrefresh of ten / one conversion: {refresh / one:.2f} (target: at most 1.5)")
print("every refreshed catalog is identical to its conversion" if same else "note: a refreshed catalog differs")
sys.exit(0 if same else 1)
