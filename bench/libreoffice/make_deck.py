#!/usr/bin/env python3
"""Writes a long flat presentation (.fodp) for LibreOffice to turn into .odp.

    make_deck.py OUT.fodp SLIDES [SEED]

Every slide has a title, a few bullet paragraphs of varied text and speaker
notes; every seventh slide also shows a small picture, so the package LibreOffice
writes holds pictures as well. Convert with
    soffice --headless --convert-to odp --outdir DIR OUT.fodp
"""
import base64
import random
import struct
import sys
import zlib
from xml.sax.saxutils import escape

WORDS = ("budget review quarter growth plan target market customer product team "
         "release quality cost revenue margin risk schedule launch partner region "
         "forecast hiring training support service contract pilot feedback roadmap").split()


def png(width, height, seed):
    rnd = random.Random(seed)
    base = (rnd.randrange(40, 200), rnd.randrange(40, 200), rnd.randrange(40, 200))
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            shade = (x * 3 + y * 2) % 60
            rows.extend(((base[0] + shade) % 256, (base[1] + shade) % 256, base[2]))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def sentence(rnd, n):
    return " ".join(rnd.choice(WORDS) for _ in range(n)).capitalize() + "."


def slide(i, rnd):
    title = escape(f"Slide {i}: " + sentence(rnd, 4))
    bullets = "".join(
        f'<text:list-item><text:p>{escape(sentence(rnd, rnd.randrange(6, 16)))}</text:p>'
        f'</text:list-item>' for _ in range(rnd.randrange(3, 6)))
    notes = escape(f"Notes for slide {i}. " + " ".join(sentence(rnd, 10) for _ in range(3)))
    picture = ""
    if i % 7 == 0:
        data = base64.b64encode(png(96, 64, i)).decode()
        picture = (
            '<draw:frame draw:layer="layout" svg:width="6cm" svg:height="4cm" svg:x="18cm" '
            'svg:y="12cm"><draw:image><office:binary-data>' + data +
            '</office:binary-data></draw:image></draw:frame>')
    return f'''<draw:page draw:name="page{i}" draw:master-page-name="Default" presentation:presentation-page-layout-name="AL1T1">
<draw:frame presentation:class="title" draw:layer="layout" svg:width="25cm" svg:height="3cm" svg:x="1.5cm" svg:y="1cm"><draw:text-box><text:p>{title}</text:p></draw:text-box></draw:frame>
<draw:frame presentation:class="outline" draw:layer="layout" svg:width="25cm" svg:height="10cm" svg:x="1.5cm" svg:y="4.5cm"><draw:text-box><text:list>{bullets}</text:list></draw:text-box></draw:frame>
{picture}
<presentation:notes><draw:page-thumbnail presentation:class="page" draw:layer="layout" svg:width="14cm" svg:height="10cm" svg:x="3.5cm" svg:y="2cm" draw:page-number="{i}"/>
<draw:frame presentation:class="notes" draw:layer="layout" svg:width="17cm" svg:height="12cm" svg:x="2cm" svg:y="13cm"><draw:text-box><text:p>{notes}</text:p></draw:text-box></draw:frame></presentation:notes>
</draw:page>'''


def main():
    out, count = sys.argv[1], int(sys.argv[2])
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else count)
    pages = "\n".join(slide(i, rnd) for i in range(1, count + 1))
    doc = f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:body><office:presentation>
{pages}
</office:presentation></office:body></office:document>
'''
    with open(out, "w", encoding="utf-8") as f:
        f.write(doc)


if __name__ == "__main__":
    main()
