#!/usr/bin/env python3
"""fetch_bench.py CLI FILE.gz SCRATCH REPEAT: the best of REPEAT interleaved
runs of `orbivane-cli fetch` and of `curl -s -o F URL && orbivane-cli count
--source F`, both from the loopback origin serving FILE.gz, and the peak
memory of fetch."""
import os, subprocess, sys, time

cli, served, scratch, repeat = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
origin_script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "http_origin.py")
origin = subprocess.Popen([sys.executable, origin_script, "--file", served, "--seconds", "900"],
                          stdout=subprocess.PIPE, text=True)
try:
    url = f"http://127.0.0.1:{int(origin.stdout.readline())}/astorb.dat.gz"
    target = os.path.join(scratch, "fetched.dat.gz")
    fetch = [cli, "fetch", "--url", url, "--output", target]
    baseline = ["sh", "-c", f'curl -s -o "$1" "{url}" && "{cli}" count --source "$1" >/dev/null', "-", target]
    best = {"fetch": (1e30, 0), "curl + count": (1e30, 0)}

    def run(name, argv):
        for path in (target, target + ".part"):
            if os.path.exists(path):
                os.remove(path)  # else fetch would get a 304
        start = time.monotonic()
        proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.monotonic() - start
        if status != 0:
            sys.exit(f"bench: {name} failed")
        best[name] = (min(best[name][0], seconds), max(best[name][1], usage.ru_maxrss))

    for _ in range(repeat):
        run("fetch", fetch)
        run("curl + count", baseline)
    size = os.path.getsize(served)
    (f, rss), (c, _) = best["fetch"], best["curl + count"]
    print(f"{size:,} bytes served; best of {repeat}")
    print(f"curl -s -o F URL && orbivane-cli count --source F   {c:.3f} s   (the anchor)")
    print(f"orbivane-cli fetch                                  {f:.3f} s   ratio {f / c:.2f}   (target at most 1.0)")
    print(f"peak memory of orbivane-cli fetch                   {rss / 1024:.1f} MiB   (target under 16 MiB)")
finally:
    origin.terminate()
    origin.wait(timeout=10)
