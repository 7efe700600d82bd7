#!/usr/bin/env python3
"""Writes the bundled sample presentation and a damaged copy of it.

    make_sample.py OUT_FOLDER

OUT_FOLDER/quarterly-review.odp          the intact presentation (four slides,
                                         a thumbnail and three pictures)
OUT_FOLDER/quarterly-review-damaged.odp  the same bytes with 517 bytes of
                                         garbage in front and the central
                                         directory cut off, the way an
                                         interrupted copy leaves a file

Everything is made here from nothing: the pictures are drawn pixel by pixel
and the package is written with Python's zipfile, so the sample never depends
on Pelmark's own writer.
"""
import random
import struct
import sys
import zipfile
import zlib
from pathlib import Path


def png(width, height, pixel):
    """A truecolour PNG whose pixel(x, y) returns an (r, g, b) triple."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def bars(x, y, w=320, h=200):
    """A small bar chart: four bars on a light background."""
    heights = [60, 110, 90, 160]
    for i, bh in enumerate(heights):
        left = 30 + i * 70
        if left <= x < left + 45 and h - 20 - bh <= y < h - 20:
            return (40 + i * 40, 90 + i * 20, 160)
    if y == h - 20 and 20 <= x < w - 20:
        return (60, 60, 60)
    return (246, 244, 238)


def sunrise(x, y, w=320, h=200):
    """A flat landscape: sky gradient, sun, hill."""
    if (x - 220) ** 2 + (y - 90) ** 2 < 30 ** 2:
        return (250, 190, 60)
    if y > 140 - (x // 8) % 12:
        return (70, 130, 90)
    return (120 + y // 3, 170 + y // 4, 230)


def team(x, y, w=320, h=200):
    """Three round heads on shoulders."""
    for cx, colour in ((80, (200, 90, 80)), (160, (80, 120, 200)), (240, (90, 170, 110))):
        if (x - cx) ** 2 + (y - 80) ** 2 < 28 ** 2:
            return (240, 210, 180)
        if (x - cx) ** 2 + (y - 190) ** 2 < 55 ** 2 and y > 120:
            return colour
    return (236, 240, 244)


def thumbnail(x, y):
    """A tiny picture of the title slide."""
    if 20 <= y < 40 and 30 <= x < 226:
        return (30, 60, 110)
    if 70 <= y < 76 and 40 <= x < 180:
        return (120, 120, 120)
    return (255, 255, 255)


NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink" '
      'xmlns:dc="http://purl.org/dc/elements/1.1/" '
      'xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" '
      'xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"')

SLIDES = [
    ("Quarterly review", "Where we stand, and what comes next", None,
     "Welcome everyone. Twenty minutes, questions at the end. Mention the new office first."),
    ("Sales by region", "North grew fastest this quarter", "Pictures/chart.png",
     "North is up by a third, South is flat, East and West grew a little. The spring campaign "
     "explains most of the northern growth; say so before somebody asks."),
    ("The new site", "Opening in spring, on the hill", "Pictures/site.png",
     "The building work is on time. Move-in is planned for the second week of April; the old "
     "office stays open until the end of May."),
    ("The team", "Three new colleagues joined us", "Pictures/team.png",
     "Introduce the three new colleagues by name and ask them to stand up. Thank the hiring "
     "committee for their work over the winter."),
]


def content_xml():
    pages = []
    for n, (title, line, picture, notes) in enumerate(SLIDES, 1):
        frames = [
            '<draw:frame presentation:class="title" svg:x="2cm" svg:y="1cm" '
            'svg:width="24cm" svg:height="3cm"><draw:text-box><text:p>%s</text:p>'
            '</draw:text-box></draw:frame>' % title,
            '<draw:frame presentation:class="subtitle" svg:x="2cm" svg:y="5cm" '
            'svg:width="24cm" svg:height="2cm"><draw:text-box><text:p>%s</text:p>'
            '</draw:text-box></draw:frame>' % line,
        ]
        if picture:
            frames.append(
                '<draw:frame svg:x="7cm" svg:y="8cm" svg:width="14cm" svg:height="8.75cm">'
                '<draw:image xlink:href="%s" xlink:type="simple" xlink:show="embed" '
                'xlink:actuate="onLoad"/></draw:frame>' % picture)
        frames.append(
            '<presentation:notes><draw:page-thumbnail draw:page-number="%d" '
            'presentation:class="page" svg:x="3.8cm" svg:y="2.1cm" svg:width="14cm" '
            'svg:height="10.5cm"/><draw:frame presentation:class="notes" svg:x="2.2cm" '
            'svg:y="13.3cm" svg:width="17.3cm" svg:height="12.6cm"><draw:text-box>'
            '<text:p>%s</text:p></draw:text-box></draw:frame></presentation:notes>' % (n, notes))
        pages.append('<draw:page draw:name="page%d" draw:master-page-name="Default">%s'
                     '</draw:page>' % (n, "".join(frames)))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-content %s office:version="1.2"><office:body>'
            '<office:presentation>%s</office:presentation></office:body>'
            '</office:document-content>' % (NS, "".join(pages)))


def styles_xml():
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-styles %s office:version="1.2"><office:automatic-styles>'
            '<style:page-layout style:name="PM1"><style:page-layout-properties '
            'fo:page-width="28cm" fo:page-height="21cm" style:print-orientation="landscape"/>'
            '</style:page-layout></office:automatic-styles><office:master-styles>'
            '<style:master-page style:name="Default" style:page-layout-name="PM1"/>'
            '</office:master-styles></office:document-styles>' % NS)


def meta_xml():
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-meta %s office:version="1.2"><office:meta>'
            '<dc:title>Quarterly review</dc:title><meta:generator>Pelmark sample</meta:generator>'
            '</office:meta></office:document-meta>' % NS)


def manifest_xml(members):
    types = {".xml": "text/xml", ".png": "image/png"}
    entries = ['<manifest:file-entry manifest:full-path="/" manifest:version="1.2" '
               'manifest:media-type="application/vnd.oasis.opendocument.presentation"/>']
    for name in members:
        entries.append('<manifest:file-entry manifest:full-path="%s" manifest:media-type="%s"/>'
                       % (name, types.get(Path(name).suffix, "")))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<manifest:manifest '
            'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
            'manifest:version="1.2">%s</manifest:manifest>' % "".join(entries))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    members = {
        "content.xml": content_xml().encode(),
        "styles.xml": styles_xml().encode(),
        "meta.xml": meta_xml().encode(),
        "Thumbnails/thumbnail.png": png(256, 192, thumbnail),
        "Pictures/chart.png": png(320, 200, bars),
        "Pictures/site.png": png(320, 200, sunrise),
        "Pictures/team.png": png(320, 200, team),
    }
    intact = out / "quarterly-review.odp"
    with zipfile.ZipFile(intact, "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype", (2026, 12, 1, 9, 0, 0)),
                   "application/vnd.oasis.opendocument.presentation", zipfile.ZIP_STORED)
        for name, data in members.items():
            z.writestr(zipfile.ZipInfo(name, (2026, 12, 1, 9, 0, 0)), data, zipfile.ZIP_DEFLATED)
        z.writestr(zipfile.ZipInfo("META-INF/manifest.xml", (2026, 12, 1, 9, 0, 0)),
                   manifest_xml(members).encode(), zipfile.ZIP_DEFLATED)

    data = intact.read_bytes()
    central = data.rfind(b"PK\x01\x02")
    first_central = data.find(b"PK\x01\x02")
    assert 0 < first_central <= central
    garbage = bytes(random.Random(363).randrange(256) for _ in range(517)).replace(b"PK", b"pk")
    (out / "quarterly-review-damaged.odp").write_bytes(garbage + data[:first_central])


if __name__ == "__main__":
    main()
