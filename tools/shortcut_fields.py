#!/usr/bin/env python3
"""Prints the target and the working folder of a Windows shortcut (.lnk), as
the Shell Link format stores them: the target in the link information's local
base path, the working folder among the string data."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 20)[0]
pos = 0x4C
if flags & 0x01:  # HasLinkTargetIDList
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
target = ""
if flags & 0x02:  # HasLinkInfo
    size, _, info_flags, _, base = struct.unpack_from("<IIIII", data, pos)
    if info_flags & 0x01:  # VolumeIDAndLocalBasePath
        target = data[pos + base:data.index(b"\0", pos + base)].decode("latin-1")
    pos += size
strings = {}
wide = flags & 0x80  # IsUnicode
for bit, name in ((0x04, "name"), (0x08, "relative path"), (0x10, "working folder"), (0x20, "arguments"),
                  (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, pos)[0]
        length = count * (2 if wide else 1)
        strings[name] = data[pos + 2:pos + 2 + length].decode("utf-16-le" if wide else "latin-1").rstrip("\0")
        pos += 2 + length
print("target=" + target)
print("working folder=" + strings.get("working folder", ""))
