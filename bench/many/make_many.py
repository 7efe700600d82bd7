#!/usr/bin/env python3
"""Writes a presentation folder of N small members, the shape of a deck with
many embedded objects: every object is a folder with its content.xml,
styles.xml and meta.xml beside a replacement picture, and the deck has its
own content.xml, styles.xml, meta.xml and manifest.

Usage: make_many.py FOLDER N"""
import os
import random
import sys

folder, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(count)


def xml(root, n):
    body = "".join(
        f'<text:p text:style-name="P{i % 31}">Object text {i} {rng.random():.6f}</text:p>\n'
        for i in range(n))
    return f'<?xml version="1.0" encoding="UTF-8"?>\n<{root}>{body}</{root}>\n'


def write(rel, data):
    path = os.path.join(folder, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


write("mimetype", "application/vnd.oasis.opendocument.presentation")
write("content.xml", xml("office:document-content", 400))
write("styles.xml", xml("office:document-styles", 200))
write("meta.xml", xml("office:document-meta", 5))
written = 4
objects = 0
while written < count - 1:
    objects += 1
    name = f"Object {objects}"
    for part, root, n in (("content.xml", "office:document-content", 20),
                          ("styles.xml", "office:document-styles", 10),
                          ("meta.xml", "office:document-meta", 2)):
        if written >= count - 1:
            break
        write(f"{name}/{part}", xml(root, n))
        written += 1
    if written < count - 1:
        # A replacement picture: bytes that compress poorly, like a real one.
        write(f"ObjectReplacements/{name}", bytes(rng.getrandbits(8) for _ in range(1500)))
        written += 1
write("META-INF/manifest.xml", xml("manifest:manifest", 10))
