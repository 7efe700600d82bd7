#!/usr/bin/env python3
"""Damages a presentation inside its content.xml, for salvage_and_open.sh.

    damage_content.py IN.odp OUT.odp KIND [AT]

KIND is one of
  cut        the file ends at AT (0..1) of content.xml's compressed data
  zero       1 KiB of content.xml's data from AT is zeroed
  flip       one bit of content.xml's data at AT is flipped
  header     content.xml's local header (and name) is zeroed
  garbage+cut    517 bytes of garbage in front, then cut at AT
  header+nocd    header zeroed and the central directory cut off
  zero+nocd      zeroed 1 KiB at AT and the central directory cut off
  flip+garbage   a flipped bit at AT and 517 bytes of garbage in front
The intact file is read with Python's zipfile only to find where content.xml is.
"""
import random
import struct
import sys
import zipfile


def main():
    src, out, kind = sys.argv[1], sys.argv[2], sys.argv[3]
    at = float(sys.argv[4]) if len(sys.argv) > 4 else 0.5
    data = bytearray(open(src, "rb").read())
    z = zipfile.ZipFile(src)
    info = z.getinfo("content.xml")
    h = info.header_offset
    n, e = struct.unpack("<HH", data[h + 26:h + 30])
    start = h + 30 + n + e
    end = start + info.compress_size
    pos = start + int((end - start) * at)
    cd = data.rfind(b"PK\x01\x02", 0)
    first_cd = min(i for i in range(len(data) - 4) if data[i:i + 4] == b"PK\x01\x02") if cd >= 0 else len(data)
    parts = kind.split("+")
    if "flip" in parts:
        data[pos] ^= 1 << random.Random(pos).randrange(8)
    if "zero" in parts:
        data[pos:pos + 1024] = bytes(len(data[pos:pos + 1024]))
    if "header" in parts:
        data[h:h + 30 + n] = bytes(30 + n)
    if "nocd" in parts:
        data = data[:first_cd]
    if "cut" in parts:
        data = data[:pos]
    if "garbage" in parts:
        rnd = random.Random(517)
        data = bytearray(bytes(rnd.randrange(256) for _ in range(517)).replace(b"P", b"Q")) + data
    open(out, "wb").write(bytes(data))


if __name__ == "__main__":
    main()
