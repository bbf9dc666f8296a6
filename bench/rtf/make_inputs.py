#!/usr/bin/python3
"""Writes the benchmark's RTF documents: small (about one page), medium (about
thirty pages with a picture) and large (about a thousand pages with pictures),
in the shape Word writes them: font, colour and style tables, runs wrapped in
\\rtlch\\fcs1 ... \\insrsid groups, \\'hh and \\uN characters, tables, list
labels and footnotes. Deterministic, so runs compare.

Usage: make_inputs.py OUTPUT_DIR
"""
import os
import random
import struct
import sys
import zlib

WORDS = ("the of and to in a is that for it as was with be by on not he this are or his from at which "
         "but have an they you were her she there been one all we their has would when if so no will can "
         "caf\\'e9 na\\'efve r\\'e9sum\\'e9 \\u8220\\'93quoted\\u8221\\'94 \\u8212\\'97 d\\u380\\'3f").split()

HEADER = (r"{\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff31507\deff0\stshfdbch31505\stshfloch31506"
          r"\stshfhich31506\stshfbi31507\deflang1033\deflangfe1033\themelang1033"
          r"{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}"
          r"{\f3\fbidi \froman\fcharset2\fprq2{\*\panose 05050102010706020507}Symbol;}"
          r"{\f37\fbidi \fswiss\fcharset0\fprq2{\*\panose 020f0502020204030204}Calibri;}"
          r"{\f40\fbidi \froman\fcharset238\fprq2 Times New Roman CE;}{\f41\fbidi \froman\fcharset204\fprq2 Times New Roman Cyr;}}"
          r"{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red0\green255\blue255;}"
          r"{\*\defchp \f31506\fs22 }{\*\defpap \ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault }"
          r"{\stylesheet{\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright"
          r"\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang1033\langfe1033"
          r"\cgrid\langnp1033\langfenp1033 \snext0 \sqformat \spriority0 Normal;}{\*\cs10 \additive "
          r"\ssemihidden \sunhideused \spriority1 Default Paragraph Font;}}"
          r"{\*\rsidtbl \rsid1070431\rsid2517196}{\mmathPr\mmathFont34\mbrkBin0\mbrkBinSub0}"
          r"{\info{\title Benchmark}{\author Plainora}{\operator Plainora}{\creatim\yr2024\mo1\dy1}}"
          r"{\*\xmlnstbl {\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}"
          "\n\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\gutter0\\ltrsect\n")

RUN = r"{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid2517196 %s}"


def sentence(rnd):
    words = [rnd.choice(WORDS) for _ in range(rnd.randint(8, 20))]
    return " ".join(words).capitalize() + ". "


def paragraph(rnd):
    text = "".join(RUN % sentence(rnd) for _ in range(rnd.randint(2, 5)))
    return (r"\pard\plain \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto"
            r"\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 "
            r"\f31506\fs22\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 " + text +
            r"{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid2517196 \par }" + "\n")


def table(rnd, rows, cols):
    out = []
    for _ in range(rows):
        row = r"\trowd \irow0\irowband0\ltrrow\ts11\trgaph108\trleft-108" + "".join(
            r"\clvertalt\clbrdrt\brdrs\brdrw10 \cltxlrtb\clftsWidth3\clwWidth3116 \cellx%d" % (3000 * (c + 1))
            for c in range(cols))
        cells = "".join(r"\pard\plain \ltrpar\ql \intbl " + RUN % " ".join(rnd.choice(WORDS) for _ in range(3))
                        + r"\cell " for _ in range(cols))
        out.append(cells + r"\pard\plain \ltrpar\intbl {" + row + r"\row }" + "\n")
    return "".join(out)


def list_item(rnd, n):
    return (r"{\listtext\pard\plain \ltrpar \rtlch\fcs1 \af0 \ltrch\fcs0 \f3\insrsid2517196 \loch\af3\hich\af3"
            r"\dbch\af31505\'b7\tab}\pard\plain \ltrpar\ql \fi-360\li720\ls1\ilvl0 " + RUN % sentence(rnd) +
            r"{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid2517196 \par }" + "\n")


def footnote(rnd):
    return (r"{\rtlch\fcs1 \af31507 \ltrch\fcs0 \cs15\super\insrsid2517196 \chftn {\footnote \ltrpar \pard\plain "
            r"\ltrpar\s16\ql {\rtlch\fcs1 \af31507 \ltrch\fcs0 \cs15\super\insrsid2517196 \chftn }"
            + RUN % (" " + sentence(rnd)) + "}}")


def png(rnd, size):
    """A valid PNG of about size bytes (random RGB pixels do not compress)."""
    side = max(1, int((size / 3) ** 0.5))
    rows = b"".join(b"\0" + bytes(rnd.randrange(256) for _ in range(side * 3)) for _ in range(side))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def picture(rnd, size):
    data = png(rnd, size).hex()
    lines = "\n".join(data[i:i + 128] for i in range(0, len(data), 128))
    return (r"{\*\shppict{\pict{\*\picprop\shplid1025}\picscalex100\picscaley100\pngblip\bliptag1 " + lines +
            r"}}{\nonshppict{\pict\pngblip " + lines + r"}}\par" + "\n")


def document(rnd, pages, pictures, picture_bytes):
    body = []
    for page in range(pages):
        for i in range(6):
            body.append(paragraph(rnd))
            if i == 2 and page % 3 == 0:
                body.append(footnote(rnd) + r"\par" + "\n")
        if page % 4 == 1:
            body.append(table(rnd, 4, 3))
        if page % 5 == 2:
            body.extend(list_item(rnd, n) for n in range(3))
        if pictures and page % max(1, pages // pictures) == 0:
            body.append(picture(rnd, picture_bytes))
    return HEADER + "".join(body) + "}"


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rnd = random.Random(2026)
    for name, pages, pictures, picture_bytes in (("small", 1, 0, 0), ("medium", 30, 1, 40_000),
                                                 ("large", 1000, 20, 150_000)):
        with open(os.path.join(out, name + ".rtf"), "w", encoding="ascii") as f:
            f.write(document(rnd, pages, pictures, picture_bytes))


if __name__ == "__main__":
    main()
