#!/usr/bin/python3
"""Regenerates the RTF fixtures: documents built with python3-docx and saved
as RTF by LibreOffice headless, plus hand-written RTF for what LibreOffice
never writes. Each fixture holds one feature; its expected text (the
plain-text layout of the README) is written by this script from the content
it put in, never from a reader's output.

Run from anywhere: /usr/bin/python3 tests/data/rtf/make_fixtures.py [--docx-out DIR]
--docx-out keeps the .docx sources (with the same expected texts) in DIR,
so that the .docx and .doc readers can be held to the same layout.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import docx
from docx.enum.text import WD_BREAK
from docx.oxml import OxmlElement
from docx.oxml.ns import qn

HERE = os.path.dirname(os.path.abspath(__file__))
NBSP = "\u00a0"


def write_expected(name, text):
    with open(os.path.join(HERE, name + ".txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def run_with(paragraph, element_name, **attrs):
    run = paragraph.add_run()
    el = OxmlElement(element_name)
    for k, v in attrs.items():
        el.set(qn(k), v)
    run._r.append(el)
    return run


# --- python3-docx sources -------------------------------------------------

def paragraphs():
    d = docx.Document()
    d.add_paragraph("First paragraph.")
    p = d.add_paragraph("Before tab")
    run_with(p, "w:tab")
    p.add_run("after tab.")
    d.add_paragraph("")
    p = d.add_paragraph("Line one")
    p.add_run().add_break(WD_BREAK.LINE)
    p.add_run("line two")
    d.add_paragraph("Last paragraph.")
    return d, "First paragraph.\nBefore tab\tafter tab.\n\nLine one\nline two\nLast paragraph.\n"


def special_characters():
    d = docx.Document()
    p = d.add_paragraph("non" + NBSP + "breaking space, ")
    p.add_run("non")
    run_with(p, "w:noBreakHyphen")
    p.add_run("breaking hyphen, opt")
    run_with(p, "w:softHyphen")
    p.add_run("ional hyphen")
    d.add_paragraph("\u201cQuoted\u201d \u2018single\u2019 \u2014 dash \u2013 en, 10 \u20ac")
    return d, ("non" + NBSP + "breaking space, non-breaking hyphen, optional hyphen\n"
               "\u201cQuoted\u201d \u2018single\u2019 \u2014 dash \u2013 en, 10 \u20ac\n")


def unicode_text():
    d = docx.Document()
    lines = ["Ελληνικά κείμενο", "Русский текст", "日本語のテキスト", "中文文本", "Emoji \U0001F600 here"]
    for line in lines:
        d.add_paragraph(line)
    return d, "".join(line + "\n" for line in lines)


def table():
    d = docx.Document()
    d.add_paragraph("Before the table.")
    t = d.add_table(rows=2, cols=3)
    t.style = "Table Grid"
    values = [["Name", "Quantity", "Note"], ["Apples", "3", "Fresh"]]
    for r, row in enumerate(values):
        for c, value in enumerate(row):
            t.cell(r, c).text = value
    t.cell(1, 2).add_paragraph("second paragraph")
    d.add_paragraph("After the table.")
    return d, ("Before the table.\nName\tQuantity\tNote\nApples\t3\tFresh second paragraph\n"
               "After the table.\n")


def nested_table():
    d = docx.Document()
    t = d.add_table(rows=1, cols=2)
    t.style = "Table Grid"
    t.cell(0, 0).text = "Outer left"
    cell = t.cell(0, 1)
    cell.text = "Outer right"
    inner = cell.add_table(rows=2, cols=2)
    for r in range(2):
        for c in range(2):
            inner.cell(r, c).text = "in%d%d" % (r, c)
    d.add_paragraph("After.")
    return d, "Outer left\tOuter right in00 in01 in10 in11\nAfter.\n"


def lists():
    d = docx.Document()
    d.add_paragraph("Shopping:")
    for item in ["Bread", "Milk"]:
        d.add_paragraph(item, style="List Bullet")
    d.add_paragraph("Steps:")
    for item in ["Open", "Close"]:
        d.add_paragraph(item, style="List Number")
    return d, "Shopping:\n\u2022\tBread\n\u2022\tMilk\nSteps:\n1.\tOpen\n2.\tClose\n"


def hyperlink():
    d = docx.Document()
    p = d.add_paragraph("Visit ")
    rid = d.part.relate_to("https://example.org/", docx.opc.constants.RELATIONSHIP_TYPE.HYPERLINK,
                           is_external=True)
    link = OxmlElement("w:hyperlink")
    link.set(qn("r:id"), rid)
    r = OxmlElement("w:r")
    t = OxmlElement("w:t")
    t.text = "the example site"
    r.append(t)
    link.append(r)
    p._p.append(link)
    p.add_run(" today.")
    return d, "Visit the example site today.\n"


def hidden_text():
    d = docx.Document()
    p = d.add_paragraph("Visible ")
    p.add_run("secret ").font.hidden = True
    p.add_run("text.")
    return d, "Visible text.\n"


def headers_footers():
    d = docx.Document()
    section = d.sections[0]
    section.header.paragraphs[0].text = "Header text"
    section.footer.paragraphs[0].text = "Footer text"
    d.add_paragraph("Body text.")
    return d, "Body text.\n"


FOOTNOTES_XML = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:footnotes xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">
<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>
<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>
<w:footnote w:id="1"><w:p><w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:footnoteRef/></w:r><w:r><w:t xml:space="preserve"> First note.</w:t></w:r></w:p></w:footnote>
<w:footnote w:id="2"><w:p><w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:footnoteRef/></w:r><w:r><w:t xml:space="preserve"> Second note.</w:t></w:r></w:p></w:footnote>
</w:footnotes>"""


def footnotes():
    d = docx.Document()
    p = d.add_paragraph("Text with a note")
    run_with(p, "w:footnoteReference", **{"w:id": "1"})
    p.add_run(" and another")
    run_with(p, "w:footnoteReference", **{"w:id": "2"})
    p.add_run(".")
    d.add_paragraph("More text.")
    return d, "Text with a note[1] and another[2].\nMore text.\n\n[1] First note.\n[2] Second note.\n"


def add_footnotes_part(path):
    """python3-docx cannot write notes: add the part by hand."""
    tmp = path + ".tmp"
    with zipfile.ZipFile(path) as src, zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED) as dst:
        for item in src.infolist():
            data = src.read(item.filename)
            if item.filename == "[Content_Types].xml":
                data = data.replace(b"</Types>", b'<Override PartName="/word/footnotes.xml" ContentType='
                                    b'"application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml"/>'
                                    b"</Types>")
            elif item.filename == "word/_rels/document.xml.rels":
                data = data.replace(b"</Relationships>", b'<Relationship Id="rIdFn" Type="http://schemas.openxml'
                                    b'formats.org/officeDocument/2006/relationships/footnotes" Target="footnotes.xml"/>'
                                    b"</Relationships>")
            dst.writestr(item, data)
        dst.writestr("word/footnotes.xml", FOOTNOTES_XML)
    os.replace(tmp, path)


DOCX_FIXTURES = {
    "paragraphs": paragraphs,
    "special_characters": special_characters,
    "unicode_text": unicode_text,
    "table": table,
    "nested_table": nested_table,
    "lists": lists,
    "hyperlink": hyperlink,
    "hidden_text": hidden_text,
    "headers_footers": headers_footers,
    "footnotes": footnotes,
}

# --- hand-written RTF: what LibreOffice does not write ---------------------

HAND_WRITTEN = {
    # A mail message saved as RTF around its HTML (\fromhtml1): the markup is
    # in \*\htmltag groups, the page's text between them, and what only the
    # RTF rendering needs inside \htmlrtf ... \htmlrtf0. The lines are the
    # page's: <br>, <p>, <div> and table rows, never the RTF's \par.
    "mail_html": (
        r"{\rtf1\ansi\ansicpg1252\fromhtml1 \deff0{\fonttbl"
        r"{\f0\fswiss Arial;}{\f1\fmodern Courier New;}{\f2\fswiss\fcharset204 Arial;}}"
        "\r\n"
        r"{\colortbl\red0\green0\blue0;\red0\green0\blue255;}"
        "\r\n"
        r"\uc1\pard\plain\deftab360 \f0\fs24 "
        r"{\*\htmltag19 <html>}{\*\htmltag34 <head>}"
        r"{\*\htmltag241 <style>\par p \{margin:0\}\par </style>}"
        r"{\*\htmltag41 </head>}{\*\htmltag2 \par }{\*\htmltag50 <body>}{\*\htmltag64}"
        "\r\n"
        r"{\*\htmltag64 <p>}{\htmlrtf \f1 \htmlrtf0 Hello Anna,{\*\htmltag116 <br>}\htmlrtf \line \htmlrtf0 "
        "\r\n"
        r"the minutes are\par attached.{\*\htmltag244 </p>}\htmlrtf \par \htmlrtf0}"
        "\r\n"
        r"{\*\htmltag64 <p>}Price: 5{\*\htmltag84 &nbsp;}\htmlrtf \'a0\htmlrtf0 \'80 a kilo, "
        r"{\*\htmltag84 &lt;}\htmlrtf <\htmlrtf0  10 kg.{\*\htmltag244 </p>}\htmlrtf \par \htmlrtf0"
        "\r\n"
        r"{\*\htmltag96 <div>}{\htmlrtf \f2 \htmlrtf0 \'cf\'f0\'e8\'e2\'e5\'f2, caf{\*\htmltag84 \'e9}\htmlrtf "
        r"\'e9\htmlrtf0 !}{\*\htmltag104 </div>}\htmlrtf \par \htmlrtf0"
        "\r\n"
        r'{\*\htmltag64 <p>}\ldblquote Quoted\rdblquote  {\*\htmltag84 <a href="http://example.com/">}'
        r'\htmlrtf {\field{\*\fldinst{HYPERLINK "http://example.com/"}}{\fldrslt\cf1\ul \htmlrtf0 the site'
        r"\htmlrtf }}\htmlrtf0 {\*\htmltag92 </a>}\u8230?{\*\htmltag244 </p>}\htmlrtf \par \htmlrtf0"
        "\r\n"
        r"{\*\htmltag0 <table><tr><td>}\htmlrtf {\trowd\cellx2000\cellx4000\intbl \htmlrtf0 Name\htmlrtf \cell \htmlrtf0"
        r"{\*\htmltag0 </td><td>}Qty\htmlrtf \cell\row}\htmlrtf0 {\*\htmltag0 </td></tr></table>}"
        "\r\n"
        r"{\*\htmltag58 </body>}{\*\htmltag27 </html>}}",
        "Hello Anna,\nthe minutes are attached.\nPrice: 5\u00a0\u20ac a kilo, < 10 kg.\n"
        "\u041f\u0440\u0438\u0432\u0435\u0442, caf\u00e9!\n"
        "\u201cQuoted\u201d the site\u2026\nName\tQty\n"),
    # The document ends where its own group closes: a second, damaged
    # document pasted after it is not read.
    "after_the_end": (
        b"{\\rtf1\\ansi First document.\\par}\r\nPasted text\r\n{\\rtf1\\ansi Second {\\b document.\\par}",
        "First document.\n"),
    # \ucN applies per group; the fallback after \uN is skipped, a group end
    # stops the skipping.
    "unicode_fallback": (
        r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Arial;}}"
        r"\uc1 A\u8364?B {\uc2 C\u8212\'97\'97D} E\u233 e\par"
        r"{\uc3 x\u916 abc}{\uc5 y\u916 ab}z\par"
        r"\uc0 \u-10179\u-8704 !\par}",
        "A\u20acB C\u2014D E\u00e9\n"
        "x\u0394y\u0394z\n"
        "\U0001F600!\n"),
    # \binN data is skipped byte for byte, whatever it holds.
    "binary_data": (
        b"{\\rtf1\\ansi Before {\\*\\blob\\bin6 }{\\}x}}After\\par "
        b"{\\pict\\wmetafile8\\bin4 {{{{}Still\\par}",
        "Before After\nStill\n"),
    # \'hh decoded in the code page of each font's \fcharset, the document's
    # \ansicpg otherwise; Shift-JIS lead and trail bytes combine.
    "font_charsets": (
        r"{\rtf1\ansi\ansicpg1250\deff0{\fonttbl{\f0\fswiss\fcharset238 Arial CE;}"
        r"{\f1\froman\fcharset204 Times Cyr;}{\f2\froman\fcharset161 Times Greek;}"
        r"{\f3\fnil\fcharset128 MS Mincho;}{\f4\fnil\fcharset2 Symbol;}{\f5\fnil\fcharset0 Plain;}}"
        r"\f0 \'9ama \'b3\'f3d\'9f\par"
        r"\f1 \'cf\'f0\'e8\'e2\'e5\'f2\par"
        r"\f2 \'c1\'e5\'e9\'e1\par"
        r"\f3 \'93\'fa\'96\'7b\'8c\'ea\par"
        r"\f4 \'b7 \'61\'62\f5 \'e9t\'e9\par}",
        "\u0161ma \u0142\u00f3d\u017a\n"
        "\u041f\u0440\u0438\u0432\u0435\u0442\n"
        "\u0391\u03b5\u03b9\u03b1\n"
        "\u65e5\u672c\u8a9e\n"
        "\u2022 \u03b1\u03b2\u00e9t\u00e9\n"),
    # Fields show their result, never their instructions, nested ones too.
    "nested_fields": (
        r"{\rtf1\ansi Total: {\field{\*\fldinst { IF 1 = 1 }{\field{\*\fldinst { PAGE }}"
        r"{\fldrslt {3}}}}{\fldrslt {yes and {\field{\*\fldinst {NUMPAGES}}{\fldrslt {7}}} pages}}}.\par"
        r"{\field\fldpriv{\*\fldinst {EMBED}}{\fldrslt {binary}}}Done\par}",
        "Total: yes and 7 pages.\nDone\n"),
    # \footnote\ftnalt is an endnote; auto-numbered endnotes are i, ii by default.
    "endnotes": (
        r"{\rtf1\ansi\aftnnrlc First{\super\chftn}{\footnote\ftnalt\pard\plain{\super\chftn} End one.}"
        r" second{\super\chftn}{\footnote\pard\plain{\super\chftn} Foot one.}"
        r" third{\super\chftn}{\footnote\ftnalt\pard\plain{\super\chftn} End two.\par}\par}",
        "First[i] second[1] third[ii]\n\n[1] Foot one.\n[i] End one.\n[ii] End two.\n"),
    # Hidden (\v) and deleted (\deleted) text is left out; a hidden paragraph
    # mark joins the paragraph to the next.
    "hidden_deleted": (
        r"{\rtf1\ansi Shown {\v hidden }text{\deleted  gone}.\par "
        r"One {\v\par}line\par"
        r"{\v whole hidden paragraph\par}Last\v0  visible\par}",
        "Shown text.\nOne line\nLast visible\n"),
    # Breaks end the line inside their paragraph; \sect ends an open paragraph.
    "breaks": (
        r"{\rtf1\ansi Page one\page Page two\line next line\column col\par "
        r"Section one\sect Section two\par\sect Tab\tab end\par}",
        "Page one\nPage two\nnext line\ncol\nSection one\nSection two\nTab\tend\n"),
    # Word-style nested table: \itap2 paragraphs, \nestcell, and the nested
    # row end inside {\*\nesttableprops ...\nestrow}; {\nonesttables} is
    # for readers without nested tables.
    "nested_cells": (
        r"{\rtf1\ansi \pard\intbl A1\cell \pard\intbl\itap2 n1\nestcell n2\nestcell"
        r"{\*\nesttableprops\trowd\cellx100\cellx200\nestrow}{\nonesttables\par}"
        r"\pard\intbl\itap2 n3\nestcell n4\nestcell{\*\nesttableprops\trowd\cellx100\cellx200\nestrow}"
        r"{\nonesttables\par}\pard\intbl B1 after\cell\trowd\cellx1000\cellx2000\row"
        r"\pard\intbl A2\cell B2\cell\row\pard After table\par}",
        "A1\tn1 n2 n3 n4 B1 after\nA2\tB2\nAfter table\n"),
    # Annotations are dropped (comments are written only on request).
    "annotation": (
        r"{\rtf1\ansi Reviewed {\*\atnid JD}{\*\atnauthor Jane}\chatn"
        r"{\*\annotation{\*\atndate 0}\pard\plain{\chatn} Check this.}text.\par}",
        "Reviewed text.\n"),
    # Text box text comes after the paragraph that anchors the shape.
    "shape_text": (
        r"{\rtf1\ansi Anchor {\shp{\*\shpinst{\sp{\sn shapeType}{\sv 202}}"
        r"{\shptxt \pard Box line one\par Box line two\par}}{\shprslt {\*\do\dptxbx{Box copy}}}}paragraph.\par "
        r"Next.\par}",
        "Anchor paragraph.\nBox line one\nBox line two\nNext.\n"),
    # \upr holds an ANSI and a Unicode (\ud) copy of the same text.
    "upr_ud": (
        r"{\rtf1\ansi Caf{\upr{\'e9}{\*\ud{\u233 e}}} au lait\par}",
        "Caf\u00e9 au lait\n"),
    # Form check boxes show as [X] or [ ]; \ffres 25 means the default.
    "check_boxes": (
        r"{\rtf1\ansi {\field{\*\fldinst{ FORMCHECKBOX {\*\formfield{\fftype1\ffres1\ffdefres0}}}}{\fldrslt }}"
        r" yes {\field{\*\fldinst{ FORMCHECKBOX {\*\formfield{\fftype1\ffres25\ffdefres0}}}}{\fldrslt }} no\par}",
        "[X] yes [ ] no\n"),
    # List labels of Word RTF live in \listtext; older ones in \pntext.
    "list_labels": (
        r"{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}}"
        r"{\*\listtable{\list{\listlevel{\leveltext\'02\'00.;}}}}"
        r"{\listtext\pard\plain 1.\tab}\ls1 First\par"
        r"{\listtext\pard\plain\f1 \'b7\tab}\ls2 Bullet\par"
        r"{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}Old bullet\par}",
        "1.\tFirst\n\u2022\tBullet\n\u2022\tOld bullet\n"),
}


def convert_to_rtf(workdir, names):
    subprocess.run(["soffice", "--headless", "--convert-to", "rtf", "--outdir", workdir]
                   + [os.path.join(workdir, n + ".docx") for n in names],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    work = tempfile.mkdtemp(prefix="plainora-rtf-")
    try:
        if "--hand-only" in sys.argv:  # the hand-written ones, without LibreOffice
            DOCX_FIXTURES.clear()
        for name, build in DOCX_FIXTURES.items():
            document, expected = build()
            path = os.path.join(work, name + ".docx")
            document.save(path)
            if name == "footnotes":
                add_footnotes_part(path)
            write_expected(name, expected)
        if DOCX_FIXTURES:
            convert_to_rtf(work, DOCX_FIXTURES)
        docx_out = sys.argv[sys.argv.index("--docx-out") + 1] if "--docx-out" in sys.argv else None
        for name in DOCX_FIXTURES:
            shutil.copy(os.path.join(work, name + ".rtf"), os.path.join(HERE, name + ".rtf"))
            if docx_out:
                os.makedirs(docx_out, exist_ok=True)
                shutil.copy(os.path.join(work, name + ".docx"), os.path.join(docx_out, name + ".docx"))
                shutil.copy(os.path.join(HERE, name + ".txt"), os.path.join(docx_out, name + ".txt"))
    finally:
        shutil.rmtree(work)
    for name, (rtf, expected) in HAND_WRITTEN.items():
        data = rtf if isinstance(rtf, bytes) else rtf.encode("ascii")
        with open(os.path.join(HERE, "hand_" + name + ".rtf"), "wb") as f:
            f.write(data)
        write_expected("hand_" + name, expected)


if __name__ == "__main__":
    main()
