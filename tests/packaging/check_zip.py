#!/usr/bin/env python3
"""Checks a package with Python's own zip reader against the folder it was made from.

Usage: check_zip.py PACKAGE FOLDER
Every file below FOLDER must be a member (named by its relative path, "/"
between levels, Latin-1), with the same bytes, and nothing else may be in the
package: no folder entries, no extra members. Exits 0 when all holds, 1 otherwise.
"""
import os
import sys
import zipfile


def main():
    package, folder = sys.argv[1], sys.argv[2]
    expected = {}
    for root, _dirs, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, folder).replace(os.sep, "/")
            with open(path, "rb") as f:
                expected[rel] = f.read()
    problems = []
    with zipfile.ZipFile(package) as z:
        bad = z.testzip()
        if bad is not None:
            problems.append("bad CRC or data in " + bad)
        seen = set()
        for info in z.infolist():
            # zipfile decodes names without the UTF-8 flag as code page 437.
            name = info.filename.encode("cp437").decode("latin-1")
            if info.is_dir():
                problems.append("folder entry " + name)
                continue
            seen.add(name)
            if name not in expected:
                problems.append("unexpected member " + name)
            elif z.read(info) != expected[name]:
                problems.append("different bytes in " + name)
        for name in expected:
            if name not in seen:
                problems.append("missing member " + name)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
