#!/usr/bin/env python3
"""A loopback origin for the download tests: serves one gzip file on a free
port of 127.0.0.1 and prints the port on stdout. The path picks how it
misbehaves (see Handler.do_GET); every request is logged as one line to
--log. It ends by itself after --seconds."""
import argparse, email.utils, gzip, http.server, os, ssl, sys, threading, time, urllib.parse

LAST_MODIFIED = 1796551200  # Sun, 06 Dec 2026 10:00:00 GMT
# MPCORB texts, compressed: with MPC's header and two sections (3 orbit lines), a subset file's orbit lines
# alone (2, the last without a line break), a header followed by no orbit line.
_ORBITS = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "mpcorb-sample.dat"), "rb").read()
_HEADER = b"MINOR PLANET CENTER ORBIT DATABASE (MPCORB)\n\nFree text.\n" + b"-" * 160 + b"\n"
MPCORB = {"mpcorb": gzip.compress(_HEADER + _ORBITS + b"\n" + _ORBITS[:203], mtime=0),
          "mpcorb-subset": gzip.compress(_ORBITS[:-1], mtime=0),
          "mpcorb-header-only": gzip.compress(_HEADER + b"\n", mtime=0)}
HTML = b"<!DOCTYPE html><html><body>The file has moved.</body></html>\n"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def log(self, status, sent):
        h = self.headers
        with open(self.server.log, "a") as f:
            f.write(f"{self.path} range={h.get('Range', '-')} if-range={h.get('If-Range', '-')} "
                    f"ims={h.get('If-Modified-Since', '-')} -> {status} {sent}\n")

    def reply(self, status, body=b"", headers=(), send=None, stall=False, length=None, slow=False):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        data = body if send is None else body[:send]
        try:
            # Slowly: 4 KiB pieces 40 ms apart, so that a download lasts a few seconds.
            piece = 4096 if slow else max(len(data), 1)
            for at in range(0, len(data), piece):
                if at > 0:
                    time.sleep(0.04)
                self.wfile.write(data[at:at + piece])
                self.wfile.flush()
            if stall:
                time.sleep(30)
        except OSError:
            pass
        self.log(status, len(data))
        if send is not None:
            self.close_connection = True

    def do_GET(self):
        # /[nolm/][norange/][slow/][badrange/][cut/N/|stall/N/|longer/|huge/]astorb.dat.gz, /status/N,
        # /redirect/N/..., /to?url=U, /html, /damaged, /truncated, /notastorb, /mpcorb/..., /mpcorb-subset/...,
        # /mpcorb-header-only/...
        parts = urllib.parse.urlsplit(self.path)
        words = parts.path.strip("/").split("/")
        body, lm = self.server.body, LAST_MODIFIED
        if words[0] == "status":
            return self.reply(int(words[1]), HTML, [("Content-Type", "text/html")])
        if words[0] == "redirect":
            n = int(words[1])
            rest = "/".join(words[2:])
            target = f"/redirect/{n - 1}/{rest}" if n > 1 else "/" + rest
            return self.reply(302, b"", [("Location", target)])
        if words[0] == "to":
            return self.reply(302, b"", [("Location", urllib.parse.parse_qs(parts.query)["url"][0])])
        if words[0] == "html":
            return self.reply(200, HTML, [("Content-Type", "text/html"), ("Last-Modified", self.date(lm))])
        if words[0] == "damaged":
            body = bytearray(body)
            body[len(body) // 2] ^= 0xFF
        elif words[0] == "truncated":
            body = body[:len(body) - 9]
        elif words[0] == "notastorb":
            body = gzip.compress(b"Not an orbit\n", mtime=0)
        elif words[0] in MPCORB:
            body = MPCORB[words[0]]
        flags = set(words)
        headers = [("Content-Type", "application/gzip"), ("Accept-Ranges", "bytes")]
        if "nolm" not in flags:
            headers.append(("Last-Modified", self.date(lm)))
            ims = self.headers.get("If-Modified-Since")
            if ims and email.utils.parsedate_to_datetime(ims).timestamp() >= lm:
                return self.reply(304, b"", headers)
        status, whole = 200, len(body)
        rng = self.headers.get("Range")
        if rng and "norange" not in flags and self.headers.get("If-Range") in (None, self.date(lm)):
            start = int(rng.split("=")[1].rstrip("-"))
            if start >= whole:
                return self.reply(416, b"", [("Content-Range", f"bytes */{whole}")])
            if "badrange" in flags:  # the whole file, as if another range had been asked for
                start = 0
            status, body = 206, body[start:]
            headers.append(("Content-Range", f"bytes {start}-{whole - 1}/{whole}"))
        send = stall = None
        if "cut" in flags or "stall" in flags:
            send = int(words[words.index("cut" if "cut" in flags else "stall") + 1])
            stall = "stall" in flags
        if "huge" in flags:  # announces one byte more than 1 GiB
            return self.reply(status, body, headers, send=len(body), length=(1 << 30) + 1)
        if "longer" in flags:
            return self.longer(status, body, headers)
        self.reply(status, body, headers, send=send, stall=stall, slow="slow" in flags)

    def longer(self, status, body, headers):
        # Announces the body, then sends more than it announced.
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body + b"\0" * 4096)
        self.close_connection = True
        self.log(status, len(body) + 4096)

    @staticmethod
    def date(seconds):
        return email.utils.formatdate(seconds, usegmt=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--file", required=True, help="the gzip file to serve")
    ap.add_argument("--log", default=os.devnull)
    ap.add_argument("--cert", help="PEM certificate and key: serve HTTPS")
    ap.add_argument("--seconds", type=float, default=300, help="ends by itself after this long")
    args = ap.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.handle_error = lambda request, address: None  # a client that hangs up is no news
    server.daemon_threads = True
    with open(args.file, "rb") as f:
        server.body = f.read()
    server.log = args.log
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Timer(args.seconds, os._exit, [0]).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
