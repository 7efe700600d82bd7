#!/usr/bin/env python3
"""Writes the fuzz target's seeds: small packages built byte by byte, each
showing one thing the repair path must handle. Usage: make_seeds.py FOLDER"""
import os
import struct
import sys
import zlib


def deflate(data):
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def local(name, data, method=0, csize=None, usize=None, extra=b"", flags=0):
    crc = zlib.crc32(data) & 0xFFFFFFFF
    body = deflate(data) if method == 8 else data
    csize = len(body) if csize is None else csize
    usize = len(data) if usize is None else usize
    head = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0, crc, csize, usize,
                       len(name), len(extra))
    return head + name + extra + body


def descriptor_member(name, data):
    body = deflate(data)
    head = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 8, 8, 0, 0, 0, 0, 0, len(name), 0)
    desc = struct.pack("<IIII", 0x08074B50, zlib.crc32(data) & 0xFFFFFFFF, len(body), len(data))
    return head + name + body + desc


MIME = b"application/vnd.oasis.opendocument.presentation"
CONTENT = (b'<?xml version="1.0"?><office:document-content xmlns:office="urn:oasis:names:tc:'
           b'opendocument:xmlns:office:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" '
           b'office:version="1.2"><draw:image xlink:href="Pictures/a.png"/>'
           b'</office:document-content>')
MANIFEST = (b'<?xml version="1.0"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:'
            b'opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="/"/>'
            b'</manifest:manifest>')
PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(40))
zip64 = struct.pack("<HHQQ", 1, 16, len(b"zip64 data"), len(b"zip64 data"))

def with_central(members):
    """A whole zip: the local headers, then the central directory and its end record."""
    body, central, offsets = b"", b"", []
    for name, data, method in members:
        offsets.append(len(body))
        body += local(name, data, method)
    for (name, data, method), offset in zip(members, offsets):
        size = len(deflate(data) if method == 8 else data)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0,
                               zlib.crc32(data) & 0xFFFFFFFF, size, len(data), len(name), 0, 0,
                               0, 0, 0, offset) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                      len(body), 0)
    return body + central + end


PAGES = (b'<?xml version="1.0"?><office:document-content xmlns:office="urn:oasis:names:tc:'
         b'opendocument:xmlns:office:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:'
         b'drawing:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.3">'
         b'<office:body><office:presentation><draw:page draw:name="1"><draw:frame>'
         b'<draw:image xlink:href="Pictures/gone.png"/></draw:frame></draw:page>'
         b'<draw:page draw:name="2"/></office:presentation></office:body>'
         b'</office:document-content>')

SEEDS = {
    "presentation": local(b"mimetype", MIME) + local(b"content.xml", CONTENT, 8) +
    local(b"Pictures/a.png", PNG) + local(b"META-INF/manifest.xml", MANIFEST, 8),
    "cut": (local(b"mimetype", MIME) + local(b"content.xml", CONTENT, 8))[:-20],
    "descriptor": local(b"mimetype", MIME) + descriptor_member(b"styles.xml", CONTENT),
    "zip64": local(b"content.xml", b"zip64 data", 0, 0xFFFFFFFF, 0xFFFFFFFF, zip64) +
    local(b"styles.xml", b"<s/>"),
    "escape": local(b"../../up.xml", b"up") + local(b"/abs.png", PNG) + local(b"a:b\\c.xml", b"c"),
    "broken-manifest": local(b"mimetype", MIME) + local(b"META-INF/manifest.xml", b"<manifest"),
    "long-name": local(b"Pictures/" + b"n" * 300 + b".png", PNG) + local(b"x" * 255, b"x"),
    "pptx": local(b"[Content_Types].xml", b'<Types><Override PartName="/ppt/p.xml"/></Types>', 8)
    + local(b"ppt/p.xml", b"<p/>", 8),
    "odt": local(b"mimetype", b"application/vnd.oasis.opendocument.text") +
    local(b"styles.xml", b"<s/>"),
    "bad-deflate": local(b"content.xml", b"x" * 100, 8, 10, 100),
    "whole-zip": with_central([(b"mimetype", MIME, 0), (b"content.xml", PAGES, 8),
                               (b"styles.xml", b"<s/>", 8), (b"META-INF/manifest.xml", MANIFEST, 8)]),
    "cut-page": (local(b"mimetype", MIME) + local(b"content.xml", PAGES, 8))[:-30],
}

os.makedirs(sys.argv[1], exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(sys.argv[1], name), "wb") as f:
        f.write(data)
