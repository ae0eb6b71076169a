#!/usr/bin/env python3
"""mpcorb_bench.py CLI SOURCE ENTRIES SCRATCH REPEAT: the best of REPEAT interleaved runs of `wc -l SOURCE`,
`igzip -dc SOURCE.gz | wc -l` and `orbivane-cli convert` of the last 100 entries of SOURCE and of SOURCE.gz, and
the ratios of each conversion to its baseline; the two catalogs must be identical."""
import filecmp, os, subprocess, sys, time

cli, source, entries, scratch, repeat = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
last100 = f"{entries - 99}-{entries}"


def convert(path, out):
    return [cli, "convert", "--source", path, "--output", os.path.join(scratch, out), "--filter", last100,
            "--workdir", scratch]


jobs = [
    ("wc -l", ["wc", "-l", source]),
    ("convert, last 100 entries", convert(source, "mpcorb.slc")),
    ("igzip -dc | wc -l", ["sh", "-c", f"igzip -dc '{source}.gz' | wc -l"]),
    ("convert .gz, last 100 entries", convert(source + ".gz", "mpcorb-gz.slc")),
]
best = {label: 1e30 for label, _ in jobs}
for path in (source, source + ".gz"):  # warm the page cache
    subprocess.run(["cat", path], stdout=subprocess.DEVNULL, check=True)
for _ in range(repeat):
    for label, argv in jobs:
        start = time.monotonic()
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
        best[label] = min(best[label], time.monotonic() - start)
print(f"{'run':32} {'seconds':>8} {'ratio':>6}")
for label, baseline in (("wc -l", None), ("convert, last 100 entries", "wc -l"), ("igzip -dc | wc -l", None),
                        ("convert .gz, last 100 entries", "igzip -dc | wc -l")):
    ratio = f"{best[label] / best[baseline]:.2f}" if baseline else "1"
    print(f"{label:32} {best[label]:8.3f} {ratio:>6}")
same = filecmp.cmp(os.path.join(scratch, "mpcorb.slc"), os.path.join(scratch, "mpcorb-gz.slc"), shallow=False)
records = open(os.path.join(scratch, "mpcorb.slc"), "rb").read().count(b"\r\n") + 1
print(f"{records} records; the .gz catalog is {'identical to' if same else 'DIFFERENT from'} the plain one")
