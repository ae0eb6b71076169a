#!/usr/bin/env python3
"""Writes the notices of the libraries the Windows programs are linked with statically, taken from the
machine-readable copyright files of the Debian packages their sources and headers come from: the paragraphs
of the files that go into the programs, and the text of each licence they name. Fails when a licence's
text is missing, so that a changed copyright file cannot leave a notice out unseen.
   python3 tools/third_party_notices.py OUT"""
import re
import sys

DOC = "/usr/share/doc/{}/copyright"
# (library, Debian package whose copyright file describes it, prefixes of the Files entries built into the
# programs ("*" is the paragraph of the whole source), prefixes of those that are not).
LIBRARIES = [
    ("ERFA (the Earth's position and the calendar)", "liberfa1", ["*"], []),
    ("wxWidgets (the window)", "libwxbase3.2-1", ["*"], []),
    ("libpng (the window's images)", "libpng16-16", ["*"], []),
    ("zlib (compressed sources)", "libz-mingw-w64-dev", ["*"], []),
    ("winpthreads (threads of the mingw-w64 runtime)", "mingw-w64-x86-64-dev", ["mingw-w64-libraries/winpthreads/"],
     ["mingw-w64-libraries/winpthreads/tests_pthread/"]),
]


def paragraphs(text):
    for block in re.split(r"\n\s*\n", text.strip()):
        fields, name = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + line
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = value.strip()
        yield block, fields


def chosen(files, prefixes, left_out):
    return any((entry == "*" if prefix == "*" else entry.startswith(prefix))
               and not any(entry.startswith(out) for out in left_out)
               for entry in files.split() for prefix in prefixes)


def notice(package, prefixes, left_out):
    with open(DOC.format(package), encoding="utf-8") as f:
        parts = list(paragraphs(f.read()))
    kept, licences, texts = [], [], {}
    for block, fields in parts:
        if "Files" in fields and chosen(fields["Files"], prefixes, left_out):
            kept.append(block)
            name = fields.get("License", "").split("\n")[0].strip()
            licences.append(name)
            if "\n" in fields.get("License", ""):
                texts[name.lower()] = None
        elif "Files" not in fields and "License" in fields:
            texts.setdefault(fields["License"].split("\n")[0].strip().lower(), block)
    if not kept:
        sys.exit(f"third_party_notices.py: no paragraph of {DOC.format(package)} matches {prefixes}")
    for name in dict.fromkeys(licences):
        if name.lower() not in texts:
            sys.exit(f"third_party_notices.py: {DOC.format(package)} has no text for the licence {name}")
        if texts[name.lower()]:
            kept.append(texts[name.lower()])
    return "\n\n".join(kept)


def main():
    out = ["Orbivane for Windows includes the following libraries, linked into orbivane.exe and",
           "orbivane-cli.exe. Their copyright notices and licences follow, as Debian's packages of their",
           "sources give them. The GCC runtime is included under the GCC Runtime Library Exception.", ""]
    for title, package, prefixes, left_out in LIBRARIES:
        out += ["=" * 78, title, "=" * 78, "", notice(package, prefixes, left_out), ""]
    with open(sys.argv[1], "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(out))


main()
