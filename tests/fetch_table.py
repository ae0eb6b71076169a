#!/usr/bin/env python3
"""The download table: every case runs `orbivane-cli fetch` (or the command
given with --cli, e.g. "wine orbivane-cli.exe") against the loopback origin
and compares the message, the target's bytes, the part file and the ranges
the origin was asked for. --https adds the TLS cases (needs openssl)."""
import argparse, email.utils, gzip, os, random, resource, signal, socket, stat, subprocess, sys, tempfile, time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from http_origin import LAST_MODIFIED as LM, MPCORB  # noqa: E402

DL = "Downloaded astorb.dat.gz: {size} bytes, {lines} lines"
NO = 'Cannot download "{url}": '
OLD = b"an older astorb.dat.gz\n"
RESUMES = "; the next download resumes there"
NOT_A_FILE = 'Cannot replace ASTORB file "astorb.dat.gz": it is {}, not a file'

# name, steps [(url, exit code, message[, N: Ctrl+C once the part file holds N bytes | "background": the next steps
# run while this one works, once its part file is there; it is checked last])], then what is checked afterwards (an
# exit code below 0: the death by that signal, which a shell reports as 128 + the signal): target ("new", "old" or
# None), its time "mtime" and permissions "mode", part (its size; None for none), "ranges" and "ims", the Range and
# If-Modified-Since headers of each request of the file ("-" for none; not checked when absent). A message ending
# in "..." is a prefix. Set-up: "target0" (old or new, with its modification time "tmtime", a day before
# Last-Modified unless given, and its permissions "tmode"; or "folder", "fifo", "device"), "link" (the target is a
# link to a file of that name in another folder), "part0" (size or "all", modification time).


def refused(name, url, why, **more):
    """A case whose one download is refused: the old target stays (and no part is left, unless given)."""
    return dict(name=name, target0="old", steps=[(url, 1, NO + why)], target="old", **more)


CASES = [
    dict(name="whole file, Last-Modified as its time", steps=[("{http}/astorb.dat.gz", 0, DL)], target="new",
         ranges=["-"], mtime=LM),
    dict(name="304 leaves the newest as it is", target0="new", tmtime=LM,
         steps=[("{http}/astorb.dat.gz", 0, "astorb.dat.gz is already the newest, of 2026-12-06")], target="new",
         ranges=["-"]),
    dict(name="an older target is replaced", target0="old", tmtime=LM - 86400,
         steps=[("{http}/astorb.dat.gz", 0, DL)], target="new", mtime=LM),
    dict(name="no Last-Modified: whole every time", target0="new", tmtime=LM,
         steps=[("{http}/nolm/astorb.dat.gz", 0, DL)], target="new"),
    dict(name="cut, then resumed", target0="old",
         steps=[("{http}/cut/5000/astorb.dat.gz", 1, NO + "the connection broke after 5,000 bytes" + RESUMES),
                ("{http}/astorb.dat.gz", 0, DL)], target="new", ranges=["-", "bytes=5000-"]),
    dict(name="cut twice, resumed twice",
         steps=[("{http}/cut/5000/astorb.dat.gz", 1, NO + "the connection broke after 5,000 bytes" + RESUMES),
                ("{http}/cut/9000/astorb.dat.gz", 1, NO + "the connection broke after 14,000 bytes" + RESUMES),
                ("{http}/astorb.dat.gz", 0, DL)], target="new", ranges=["-", "bytes=5000-", "bytes=14000-"]),
    dict(name="cut part kept, the server ignores Range",
         steps=[("{http}/cut/5000/astorb.dat.gz", 1, NO + "the connection broke after 5,000 bytes" + RESUMES),
                ("{http}/norange/astorb.dat.gz", 0, DL)], target="new", ranges=["-", "bytes=5000-"]),
    refused("cut without Last-Modified keeps nothing", "{http}/nolm/cut/5000/astorb.dat.gz",
            "the connection broke after 5,000 bytes"),
    dict(name="part of an older file: If-Range gets the whole", part0=(5000, LM - 86400),
         steps=[("{http}/astorb.dat.gz", 0, DL)], target="new", ranges=["bytes=5000-"]),
    dict(name="part as long as the file: 416 starts over", part0=("all", LM),
         steps=[("{http}/astorb.dat.gz", 0, DL)], target="new", ranges=["bytes={size}-", "-"]),
    refused("stall keeps the part", "{http}/stall/5000/astorb.dat.gz", "no data for 1 s, after 5,000 bytes" + RESUMES,
            part=5000),
    refused("404", "{http}/status/404", "404 Not Found"),
    dict(name="500 keeps the part", part0=(5000, LM),
         steps=[("{http}/status/500", 1, NO + "500 Internal Server Error")], part=5000),
    dict(name="5 redirects followed", steps=[("{http}/redirect/5/astorb.dat.gz", 0, DL)], target="new"),
    refused("6 redirects refused", "{http}/redirect/6/astorb.dat.gz", "more than 5 redirects"),
    refused("HTML page with 200", "{http}/html", "it is an HTML page, not gzip data"),
    refused("damaged gzip", "{http}/damaged", "the compressed data is damaged"),
    refused("gzip cut short, sent whole", "{http}/truncated", "the compressed data ends too soon"),
    refused("first line not an ASTORB line", "{http}/notastorb", "its first line is not an ASTORB line"),
    refused("more than 1 GiB announced", "{http}/huge/astorb.dat.gz", "the file is larger than 1 GiB"),
    # An answer that cannot be used leaves a part that passed its check as it was.
    refused("more than 1 GiB announced for the rest keeps the part", "{http}/huge/astorb.dat.gz",
            "the file is larger than 1 GiB", part0=(5000, LM), part=5000),
    refused("another range than asked keeps the part", "{http}/badrange/astorb.dat.gz",
            "the server sent another range than the one asked for (bytes 0-{last}/{bytes})", part0=(5000, LM),
            part=5000, ranges=["bytes=5000-"]),
    # One download owns its part file: a second one into the same file leaves everything to it.
    dict(name="a second download into the same file is refused", target0="old",
         steps=[("{http}/slow/astorb.dat.gz", 0, DL, "background"),
                ("{http}/astorb.dat.gz", 1, NO + 'another download into "astorb.dat.gz" is under way')],
         target="new", ranges=["-"], mtime=LM),
    # What is not a file is never replaced by one, and nothing is asked for it.
    dict(name="a folder, even with a newer time", target0="folder", tmtime=LM,
         steps=[("{http}/astorb.dat.gz", 1, NOT_A_FILE.format("a folder"))], ranges=[]),
    dict(name="a FIFO", posix=True, target0="fifo", steps=[("{http}/astorb.dat.gz", 1, NOT_A_FILE.format("a FIFO"))],
         ranges=[]),
    dict(name="a device", posix=True, target0="device",
         steps=[("{http}/astorb.dat.gz", 1, NOT_A_FILE.format("a device"))], ranges=[]),
    dict(name="a file its owner may not write", target0="old", tmode=0o444, target="old", ranges=[],
         steps=[("{http}/astorb.dat.gz", 1, 'Cannot replace ASTORB file "astorb.dat.gz": Permission denied')]),
    # A link is written through: the file it points to is replaced, keeps its permissions, and its time is asked.
    dict(name="a link to an older file", posix=True, target0="old", tmode=0o600, link="real.gz",
         steps=[("{http}/astorb.dat.gz", 0, DL)], target="new", mtime=LM, mode=0o600, ims=[LM - 86400]),
    dict(name="Ctrl+C keeps the part", posix=True, target0="old",
         steps=[("{http}/stall/5000/astorb.dat.gz", -signal.SIGINT,
                 'The download of "{url}" was cancelled' + RESUMES, 5000)], target="old", part=5000),
    dict(name="body longer than announced", steps=[("{http}/longer/astorb.dat.gz", 0, DL)], target="new"),
    # MPCORB: the whole-file check takes its header and subset files; the Total is its orbit lines.
    dict(name="MPCORB with its header, --source mpcorb into MPCORB.DAT.gz", source="mpcorb",
         steps=[("{http}/mpcorb/MPCORB.DAT.gz", 0, "Downloaded MPCORB.DAT.gz: {mpcorb} bytes, 3 lines")],
         target="mpcorb", mtime=LM),
    dict(name="an MPCORB subset file", steps=[("{http}/mpcorb-subset/NEA.txt.gz", 0, DL.format(
         size="{mpcorb-subset}", lines="2"))], target="mpcorb-subset"),
    refused("an MPCORB header followed by no orbit line", "{http}/mpcorb-header-only/MPCORB.DAT.gz",
            "its first line is not an ASTORB line"),
    dict(name="MPCORB's target is named so", source="mpcorb", target0="folder", tmtime=LM,
         steps=[("{http}/mpcorb/MPCORB.DAT.gz", 1,
                 'Cannot replace MPCORB file "MPCORB.DAT.gz": it is a folder, not a file')], ranges=[]),
    refused("connection refused", "http://127.0.0.1:{closed}/astorb.dat.gz",
            "the connection was refused, or the host cannot be reached"),
    dict(name="not an http address",
         steps=[("ftp://127.0.0.1/astorb.dat.gz", 1, NO + "only http:// and https:// addresses can be downloaded")]),
    dict(name="a folder that is not there", posix=True, output="missing/astorb.dat.gz",
         steps=[("{http}/astorb.dat.gz", 1,
                 'Cannot create part file "missing/astorb.dat.gz.part": No such file or directory')]),
    dict(name="disk full while writing the part", posix=True, fsize=20000, target0="old", target="old",
         steps=[("{http}/astorb.dat.gz", 1, 'Cannot write part file "astorb.dat.gz.part": File too large')]),
    dict(name="https, trusted", https=True, cacert=True, steps=[("{https}/astorb.dat.gz", 0, DL)], target="new"),
    refused("https, untrusted certificate", "{https}/astorb.dat.gz", "the secure connection failed (...", https=True),
    refused("https, name mismatch", "https://localhost:{httpsport}/astorb.dat.gz", "the secure connection failed (...",
            https=True, cacert=True),
    refused("https redirect to http refused", "{https}/to?url={http_q}", "a redirect from https to http was refused",
            https=True, cacert=True),
    refused("http to https to http refused", "{http}/to?url={https_to_http_q}",
            "a redirect from https to http was refused", https=True, cacert=True),
    refused("a redirect to ftp refused", "{http}/to?url=ftp%3A//127.0.0.1/astorb.dat.gz",
            "a redirect to an address that is not http or https was refused"),
    refused("a redirect to a file refused", "{http}/to?url=file%3A///etc/hostname",
            "a redirect to an address that is not http or https was refused"),
    refused("https redirect to ftp refused", "{https}/to?url=ftp%3A//127.0.0.1/astorb.dat.gz",
            "a redirect to an address that is not http or https was refused", https=True, cacert=True),
]


def served_file(path):
    # Two members: the sample's lines, then lines that do not compress away.
    with open(os.path.join(HERE, "data", "astorb-current-sample.dat"), "rb") as f:
        first = f.read()
    rnd = random.Random(17)
    rest = b"".join(rnd.randbytes(40).hex().encode() + b"\n" for _ in range(4000))
    data = gzip.compress(first, mtime=0) + gzip.compress(rest, mtime=0)
    with open(path, "wb") as f:
        f.write(data)
    return data, first.count(b"\n") + rest.count(b"\n")


def make_certificates(folder):
    # A throw-away CA and a server certificate for 127.0.0.1 signed by it.
    def run(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
        "-subj", "/CN=Orbivane test CA")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
        "-subj", "/CN=127.0.0.1")
    with open(os.path.join(folder, "san.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-out", "server.pem", "-days", "2", "-extfile", "san.ext")
    with open(os.path.join(folder, "server.pem"), "a") as pem, open(os.path.join(folder, "server.key")) as key:
        pem.write(key.read())
    return os.path.join(folder, "ca.pem"), os.path.join(folder, "server.pem")


def start_origin(body, log, cert=None):
    args = [sys.executable, os.path.join(HERE, "http_origin.py"), "--file", body, "--log", log, "--seconds", "240"]
    origin = subprocess.Popen(args + (["--cert", cert] if cert else []), stdout=subprocess.PIPE, text=True)
    return origin, int(origin.stdout.readline())


def full_disk(size):
    # Writes past `size` bytes fail (EFBIG), as on a full disk.
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def make_target(case, target, data):
    kind = case["target0"]
    if kind == "folder":
        os.mkdir(target)
    elif kind == "fifo":
        os.mkfifo(target)
    elif kind == "device":  # as /dev/null is
        os.mknod(target, stat.S_IFCHR | 0o666, os.makedev(1, 3))
    else:
        with open(target, "wb") as f:
            f.write(OLD if kind == "old" else data)
        os.chmod(target, case.get("tmode", 0o644))
    mtime = case.get("tmtime", LM - 86400)
    os.utime(target, (mtime, mtime))


def wait_for(done, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not done():
        time.sleep(0.01)


def ended(run, url, code, expected, interrupt_at=None, part=None):
    """Waits for a step (Ctrl+C once the part holds interrupt_at bytes) and returns what is wrong with its end."""
    try:
        if interrupt_at is not None:
            wait_for(lambda: run.poll() is not None or os.path.exists(part) and os.path.getsize(part) >= interrupt_at)
            run.send_signal(signal.SIGINT)
        # Each step ends within seconds: the origin's stall lasts 30.
        out, err = run.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        run.kill()
        out, err = run.communicate()
        err += " (still running after 20 s)"
    text = (out + err).strip()
    matches = text.startswith(expected[:-3]) if expected.endswith("...") else text == expected
    if run.returncode != code or not matches:
        return [f"{url}\n  Expected: exit {code}, {expected}\n  Got:      exit {run.returncode}, {text}"]
    return []


def run_case(case, cli, work, data, lines, ca, urls, log):
    folder = tempfile.mkdtemp(prefix="case-", dir=work)
    output = "MPCORB.DAT.gz" if case.get("source") == "mpcorb" else case.get("output", "astorb.dat.gz")
    target = os.path.join(folder, output)
    written = target
    if case.get("link"):
        os.mkdir(os.path.join(folder, "real"))
        written = os.path.join(folder, "real", case["link"])
        os.symlink(os.path.join("real", case["link"]), target)
    if case.get("target0"):
        try:
            make_target(case, written, data)
        except PermissionError:  # a device node needs a privilege that a container may not give
            return None
    if case.get("part0"):
        size, mtime = case["part0"]
        with open(target + ".part", "wb") as f:
            f.write(data if size == "all" else data[:size])
        os.utime(target + ".part", (mtime, mtime))
    open(log, "w").close()
    fields = dict(urls, size=f"{len(data):,}", lines=f"{lines:,}", bytes=len(data), last=len(data) - 1,
                  **{name: f"{len(body):,}" for name, body in MPCORB.items()})
    problems = []
    background = None
    for url, code, message, *mode in case["steps"]:
        url = url.format(**fields)
        expected = message.format(url=url, **fields)
        # With --source mpcorb the output is MPCORB's own name.
        command = cli + ["fetch", "--url", url] + (
            ["--source", "mpcorb"] if case.get("source") == "mpcorb" else ["--output", output])
        if case.get("cacert"):
            command += ["--cacert", ca]
        env = dict(os.environ, ORBIVANE_STALL_SECONDS="9" if mode else "1")
        run = subprocess.Popen(command, cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               preexec_fn=(lambda: full_disk(case["fsize"])) if "fsize" in case else None)
        if mode == ["background"]:
            background = (run, url, code, expected)
            wait_for(lambda: os.path.exists(written + ".part"), 5)
            continue
        problems += ended(run, url, code, expected, mode[0] if mode else None, written + ".part")
    if background:
        problems += ended(*background)
    bytes_of = {"new": data, "old": OLD, None: None, **MPCORB}
    have = open(written, "rb").read() if os.path.isfile(written) else None
    if "target" in case and have != bytes_of[case["target"]]:
        problems.append(f"target: expected {case['target']}, got {len(have) if have else 'none'} bytes")
    if case.get("link") and not os.path.islink(target):
        problems.append("the link was replaced by a file")
    if "mtime" in case and os.path.exists(written) and int(os.stat(written).st_mtime) != case["mtime"]:
        problems.append(f"target time: expected {case['mtime']}, got {int(os.stat(written).st_mtime)}")
    if "mode" in case and stat.S_IMODE(os.stat(written).st_mode) != case["mode"]:
        problems.append(f"permissions: expected {case['mode']:o}, got {stat.S_IMODE(os.stat(written).st_mode):o}")
    if case.get("target0") in ("folder", "fifo", "device") and stat.S_IFMT(os.lstat(target).st_mode) != {
            "folder": stat.S_IFDIR, "fifo": stat.S_IFIFO, "device": stat.S_IFCHR}[case["target0"]]:
        problems.append(f"the {case['target0']} was replaced")
    part = written + ".part"
    have = open(part, "rb").read() if os.path.exists(part) else None
    want = case.get("part")
    if have != (None if want is None else data[:want]) or (case.get("link") and os.path.exists(target + ".part")):
        problems.append(f"part: expected {want}, got {None if have is None else len(have)} bytes")
    requests = [line for line in open(log) if "/astorb.dat.gz" in line or "/MPCORB.DAT.gz" in line]
    for key, field, form in (("ranges", " range=", lambda r: r.format(size=len(data))),
                             ("ims", " ims=", lambda t: email.utils.formatdate(t, usegmt=True))):
        if key in case:
            got = [line.split(field)[1].split(" -> ")[0].split(" if-range=")[0] for line in requests]
            want = [form(r) for r in case[key]]
            if got != want:
                problems.append(f"{key} asked: expected {want}, got {got}")
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", nargs="+", required=True, help="the command that runs orbivane-cli")
    ap.add_argument("--https", action="store_true", help="also the TLS cases")
    ap.add_argument("--no-posix", action="store_true", help="leave out the cases with POSIX messages")
    ap.add_argument("--system-trust", action="store_true",
                    help="only the TLS cases without a CA of their own (WinHTTP trusts the system's store only)")
    ap.add_argument("-k", help="only the cases whose name holds this")
    args = ap.parse_args()
    work = tempfile.mkdtemp(prefix="fetch-table-")
    body, log = os.path.join(work, "served.gz"), os.path.join(work, "requests.log")
    data, lines = served_file(body)
    origins = []
    try:
        origin, port = start_origin(body, log)
        origins.append(origin)
        http = f"http://127.0.0.1:{port}"
        urls = dict(http=http, closed=closed_port(), http_q=urllib.parse.quote(http + "/astorb.dat.gz"))
        ca = None
        if args.https:
            ca, cert = make_certificates(work)
            origin, sport = start_origin(body, log, cert)
            origins.append(origin)
            https = f"https://127.0.0.1:{sport}"
            inner = https + "/to?url=" + urls["http_q"]
            urls.update(https=https, httpsport=sport, https_to_http_q=urllib.parse.quote(inner))
        passed = failed = 0
        for case in CASES:
            if (case.get("https") and not args.https) or (case.get("posix") and args.no_posix) or \
                    (case.get("cacert") and args.system_trust):
                continue
            if args.k and args.k not in case["name"]:
                continue
            problems = run_case(case, args.cli, work, data, lines, ca, urls, log)
            if problems is None:
                print("skip " + case["name"])
                continue
            print(("ok   " if not problems else "FAIL ") + case["name"])
            for p in problems:
                print("  " + p)
            passed += not problems
            failed += bool(problems)
        print(f"{passed} passed, {failed} failed")
        return 1 if failed else 0
    finally:
        for origin in origins:
            origin.terminate()
            origin.wait(timeout=10)


if __name__ == "__main__":
    sys.exit(main())
