#!/usr/bin/python3
"""Builds the Word 97-2003 fixtures: each source (python-docx, or a flat ODT
written by hand) becomes name.source.docx, which LibreOffice saves as
name.doc ("MS Word 97") and name.rtf. What LibreOffice cannot write from a
flat ODT is patched into the .docx's XML first (see note_numbering). The
expected text (name.txt, and name.all.txt with headers, footers and comments
included) is written here by hand from the
plain-text layout, never from a reader's output.

Run with /usr/bin/python3 (Debian's python3-docx) and soffice on the PATH:
    cd tests/data/doc && /usr/bin/python3 make_fixtures.py
"""
import copy
import os
import shutil
import subprocess
import tempfile
import zipfile

import docx
from docx.enum.text import WD_BREAK
from docx.oxml import parse_xml
from docx.oxml.ns import nsdecls

HERE = os.path.dirname(os.path.abspath(__file__))
NBSP = "\u00a0"

FODT_HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
"""


def fodt(body, automatic_styles="", master=""):
    return (FODT_HEAD + "<office:automatic-styles>" + automatic_styles + "</office:automatic-styles>" +
            master + "<office:body><office:text>" + body + "</office:text></office:body></office:document>\n")


def soffice(source, target_filter, outdir):
    # A headless LibreOffice now and then fails to start; try again.
    for attempt in range(3):
        done = subprocess.run(["soffice", "--headless", "--convert-to", target_filter, "--outdir", outdir, source],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if done.returncode == 0:
            return
    done.check_returncode()


def patch_parts(path, patch):
    """Rewrites the package's XML parts through patch(part_name, text)."""
    patched = path + ".patched"
    with zipfile.ZipFile(path) as zin, zipfile.ZipFile(patched, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            if item.filename.endswith(".xml"):
                data = patch(item.filename, data.decode("utf-8")).encode("utf-8")
            zout.writestr(item, data)
    os.replace(patched, path)


def emit(name, expected, source_docx=None, source_fodt=None, expected_all=None, patch=None):
    with tempfile.TemporaryDirectory() as tmp:
        if source_fodt is not None:
            path = os.path.join(tmp, name + ".fodt")
            with open(path, "w", encoding="utf-8") as f:
                f.write(source_fodt)
            soffice(path, "docx:MS Word 2007 XML", tmp)
            source_docx = os.path.join(tmp, name + ".docx")
        else:
            path = os.path.join(tmp, name + ".docx")
            source_docx.save(path)
            source_docx = path
        if patch is not None:
            patch_parts(source_docx, patch)
        soffice(source_docx, "doc:MS Word 97", tmp)
        soffice(source_docx, "rtf", tmp)
        shutil.copy(source_docx, os.path.join(HERE, name + ".source.docx"))
        for ext in (".doc", ".rtf"):
            shutil.copy(os.path.join(tmp, name + ext), os.path.join(HERE, name + ext))
    with open(os.path.join(HERE, name + ".txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(expected)
    if expected_all is not None:
        with open(os.path.join(HERE, name + ".all.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write(expected_all)


def raw_run(paragraph, xml):
    paragraph._p.append(parse_xml(xml))


def paragraphs():
    d = docx.Document()
    d.add_paragraph("First paragraph.")
    d.add_paragraph("")
    d.add_paragraph("Tab\there and" + NBSP + "nbsp.")
    p = d.add_paragraph("well")
    raw_run(p, '<w:r %s><w:noBreakHyphen/><w:t>known hy</w:t><w:softHyphen/><w:t>phen</w:t></w:r>' % nsdecls("w"))
    p = d.add_paragraph("Line one")
    p.runs[0].add_break()
    p.add_run("Line two")
    p = d.add_paragraph("Before the page break")
    p.runs[0].add_break(WD_BREAK.PAGE)
    p.add_run("after it.")
    d.add_paragraph("Last paragraph.")
    emit("paragraphs",
         "First paragraph.\n\nTab\there and" + NBSP + "nbsp.\nwell-known hyphen\nLine one\nLine two\n"
         "Before the page break\nafter it.\nLast paragraph.\n", source_docx=d)


def table():
    d = docx.Document()
    d.add_paragraph("Before the table.")
    t = d.add_table(rows=3, cols=3)
    for r, row in enumerate([["Name", "Qty", "Note"], ["Apple", "3", ""], ["Pear", "", "two"]]):
        for c, text in enumerate(row):
            t.cell(r, c).text = text
    t.cell(2, 2).add_paragraph("paragraphs")
    d.add_paragraph("After the table.")
    emit("table", "Before the table.\nName\tQty\tNote\nApple\t3\t\nPear\t\ttwo paragraphs\nAfter the table.\n",
         source_docx=d)


def nested_table():
    d = docx.Document()
    t = d.add_table(rows=2, cols=2)
    t.cell(0, 0).text = "Outer A"
    cell = t.cell(0, 1)
    cell.text = "Inner:"
    inner = cell.add_table(rows=2, cols=2)
    for r in range(2):
        for c in range(2):
            inner.cell(r, c).text = "x%d%d" % (r, c)
    cell.add_paragraph("tail")
    t.cell(1, 0).text = "Outer C"
    t.cell(1, 1).text = "Outer D"
    d.add_paragraph("After.")
    emit("nested-table", "Outer A\tInner: x00 x01 x10 x11 tail\nOuter C\tOuter D\nAfter.\n", source_docx=d)


def layout_tables():
    # A letter laid out in a one-column table (with a data table inside it),
    # and an article in the wide cell of a label column, then a data row.
    d = docx.Document()
    d.add_paragraph("A letter in a box:")
    frame = d.add_table(rows=2, cols=1)
    letter = frame.cell(0, 0)
    letter.text = "Dear reader,"
    letter.add_paragraph("")
    letter.add_paragraph("Thank you for your order of")
    order = letter.add_table(rows=2, cols=2)
    for r, row in enumerate([["Item", "Qty"], ["Pear", "3"]]):
        for c, text in enumerate(row):
            order.cell(r, c).text = text
    letter.paragraphs[-1].text = "Yours sincerely,"  # the paragraph a cell's table is followed by
    frame.cell(1, 0).text = "A. Writer"
    d.add_paragraph("An article beside its label:")
    article = [
        " ".join("Part %d, sentence %d: the orchard report counts the pears, apples and plums picked this week."
                 % (part, n) for n in range(1, 6)) for part in (1, 2, 3)
    ]
    t = d.add_table(rows=2, cols=2)
    t.cell(0, 0).text = "Summary"
    t.cell(0, 1).text = article[0]
    for text in article[1:]:
        t.cell(0, 1).add_paragraph(text)
    t.cell(1, 0).text = "Pages"
    t.cell(1, 1).text = "12"
    d.add_paragraph("End.")
    emit("layout-tables",
         "A letter in a box:\nDear reader,\n\nThank you for your order of\nItem\tQty\nPear\t3\nYours sincerely,\n"
         "A. Writer\nAn article beside its label:\nSummary\n" + "\n".join(article) + "\nPages\t12\nEnd.\n",
         source_docx=d)


def notes():
    body = ('<text:p>Body with a footnote<text:note text:id="n1" text:note-class="footnote">'
            '<text:note-citation>1</text:note-citation><text:note-body><text:p>The footnote.</text:p>'
            '</text:note-body></text:note> and another<text:note text:id="n2" text:note-class="footnote">'
            '<text:note-citation>2</text:note-citation><text:note-body><text:p>Second footnote.</text:p>'
            '</text:note-body></text:note>.</text:p>'
            '<text:p>An endnote here<text:note text:id="n3" text:note-class="endnote">'
            '<text:note-citation>i</text:note-citation><text:note-body><text:p>The endnote.</text:p>'
            '</text:note-body></text:note>.</text:p>')
    emit("notes", "Body with a footnote[1] and another[2].\nAn endnote here[i].\n\n"
         "[1] The footnote.\n[2] Second footnote.\n[i] The endnote.\n", source_fodt=fodt(body))


def fields():
    body = ('<text:p>Visit <text:a xlink:type="simple" xlink:href="https://example.org/">the example site'
            '</text:a> today.</text:p>'
            '<text:p>Page <text:page-number text:select-page="current">1</text:page-number> of '
            '<text:page-count>1</text:page-count>.</text:p>')
    emit("fields", "Visit the example site today.\nPage 1 of 1.\n", source_fodt=fodt(body))


def lists():
    def followed_by(what):
        return ('<style:list-level-properties text:list-level-position-and-space-mode="label-alignment">'
                '<style:list-level-label-alignment text:label-followed-by="%s" text:list-tab-stop-position="1cm"'
                ' fo:text-indent="-0.5cm" fo:margin-left="1cm"/></style:list-level-properties>' % what)
    # Level 1 labels are followed by a TAB, level 2 labels by a space.
    styles = ('<text:list-style style:name="L1"><text:list-level-style-number text:level="1" style:num-suffix="."'
              ' style:num-format="1">' + followed_by("listtab") + '</text:list-level-style-number>'
              '<text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a">' +
              followed_by("space") + '</text:list-level-style-number></text:list-style>'
              '<text:list-style style:name="L2"><text:list-level-style-bullet text:level="1"'
              ' text:bullet-char="\u2022">' + followed_by("listtab") + '</text:list-level-style-bullet></text:list-style>'
              '<style:style style:name="P1" style:family="paragraph" style:list-style-name="L1"/>'
              '<style:style style:name="P2" style:family="paragraph" style:list-style-name="L2"/>')
    body = ('<text:p>Numbered:</text:p>'
            '<text:list text:style-name="L1">'
            '<text:list-item><text:p text:style-name="P1">First</text:p></text:list-item>'
            '<text:list-item><text:p text:style-name="P1">Second</text:p>'
            '<text:list><text:list-item><text:p text:style-name="P1">Sub one</text:p></text:list-item>'
            '<text:list-item><text:p text:style-name="P1">Sub two</text:p></text:list-item></text:list>'
            '</text:list-item>'
            '<text:list-item><text:p text:style-name="P1">Third</text:p></text:list-item></text:list>'
            '<text:p>Bullets:</text:p>'
            '<text:list text:style-name="L2">'
            '<text:list-item><text:p text:style-name="P2">Apples</text:p></text:list-item>'
            '<text:list-item><text:p text:style-name="P2">Pears</text:p></text:list-item></text:list>')
    emit("lists", "Numbered:\n1.\tFirst\n2.\tSecond\na) Sub one\nb) Sub two\n3.\tThird\nBullets:\n"
         "\u2022\tApples\n\u2022\tPears\n", source_fodt=fodt(body, styles))


def revisions():
    tracked = ('<text:tracked-changes>'
               '<text:changed-region text:id="c1"><text:deletion><office:change-info><dc:creator>A</dc:creator>'
               '<dc:date>2020-01-01T00:00:00</dc:date></office:change-info><text:p>deleted words </text:p>'
               '</text:deletion></text:changed-region>'
               '<text:changed-region text:id="c2"><text:insertion><office:change-info><dc:creator>A</dc:creator>'
               '<dc:date>2020-01-01T00:00:00</dc:date></office:change-info></text:insertion></text:changed-region>'
               '</text:tracked-changes>')
    body = (tracked + '<text:p>Kept <text:change text:change-id="c1"/>and <text:change-start text:change-id="c2"/>'
            'inserted <text:change-end text:change-id="c2"/>text.</text:p>')
    emit("revisions", "Kept and inserted text.\n", source_fodt=fodt(body))


def hidden():
    styles = ('<style:style style:name="T1" style:family="text"><style:text-properties text:display="none"/>'
              '</style:style>')
    body = '<text:p>Shown <text:span text:style-name="T1">hidden </text:span>text.</text:p><text:p>Next.</text:p>'
    emit("hidden", "Shown text.\nNext.\n", source_fodt=fodt(body, styles))


def headers_footers():
    styles = '<style:page-layout style:name="pm1"/>'
    master = ('<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">'
              '<style:header><text:p>The header</text:p></style:header>'
              '<style:footer><text:p>The footer</text:p></style:footer></style:master-page></office:master-styles>')
    body = '<text:p>Body text.</text:p>'
    emit("headers-footers", "Body text.\n", source_fodt=fodt(body, styles, master),
         expected_all="Body text.\n\nThe header\nThe footer\n")


def comments():
    body = ('<text:p>Commented<office:annotation><dc:creator>A</dc:creator><dc:date>2020-01-01T00:00:00</dc:date>'
            '<text:p>The comment.</text:p></office:annotation> text.</text:p>')
    emit("comments", "Commented text.\n", source_fodt=fodt(body),
         expected_all="Commented text.\n\n[comment 1] The comment.\n")


def textbox():
    body = ('<text:p>Anchor paragraph.<draw:frame text:anchor-type="paragraph" svg:width="5cm" svg:height="2cm"'
            ' draw:name="Box1"><draw:text-box><text:p>Box text.</text:p></draw:text-box></draw:frame></text:p>'
            '<text:p>After the box.</text:p>')
    emit("textbox", "Anchor paragraph.\nBox text.\nAfter the box.\n", source_fodt=fodt(body))


def unicode_text():
    d = docx.Document()
    d.add_paragraph("Привет, мир. Καλημέρα.")
    d.add_paragraph("日本語のテキスト")
    d.add_paragraph("Emoji \U0001F600 and “quotes” – dash …")
    emit("unicode", "Привет, мир. Καλημέρα.\n日本語のテキスト\nEmoji \U0001F600 and “quotes” – dash …\n",
         source_docx=d)


def checkbox():
    d = docx.Document()
    p = d.add_paragraph("Agree: ")
    w = nsdecls("w")
    raw_run(p, '<w:r %s><w:fldChar w:fldCharType="begin"><w:ffData><w:name w:val="Check1"/><w:enabled/>'
               '<w:calcOnExit w:val="0"/><w:checkBox><w:sizeAuto/><w:default w:val="1"/></w:checkBox></w:ffData>'
               '</w:fldChar></w:r>' % w)
    raw_run(p, '<w:r %s><w:instrText xml:space="preserve"> FORMCHECKBOX </w:instrText></w:r>' % w)
    raw_run(p, '<w:r %s><w:fldChar w:fldCharType="end"/></w:r>' % w)
    raw_run(p, '<w:r %s><w:t xml:space="preserve"> yes</w:t></w:r>' % w)
    emit("checkbox", "Agree: [X] yes\n", source_docx=d)


def symbols():
    d = docx.Document()
    p = d.add_paragraph("Done ")
    w = nsdecls("w")
    raw_run(p, '<w:r %s><w:sym w:font="Wingdings" w:char="F0FC"/></w:r>' % w)
    raw_run(p, '<w:r %s><w:t xml:space="preserve"> and alpha </w:t></w:r>' % w)
    raw_run(p, '<w:r %s><w:sym w:font="Symbol" w:char="F061"/></w:r>' % w)
    emit("symbols", "Done \u2713 and alpha \u03b1\n", source_docx=d)


def style_lists():
    # Numbering that comes from the paragraph styles of python-docx's template.
    d = docx.Document()
    d.add_paragraph("Steps:")
    d.add_paragraph("Mix", style="List Number")
    d.add_paragraph("Bake", style="List Number")
    d.add_paragraph("Serve", style="List Bullet")
    emit("style-lists", "Steps:\n1.\tMix\n2.\tBake\n\u2022\tServe\n", source_docx=d)


# Two page styles: a paragraph of style P1 starts a second, landscape section.
SECTION_STYLES = ('<style:page-layout style:name="pm1"/><style:page-layout style:name="pm2">'
                  '<style:page-layout-properties style:print-orientation="landscape" fo:page-width="29.7cm"'
                  ' fo:page-height="21cm"/></style:page-layout>'
                  '<style:style style:name="P1" style:family="paragraph" style:master-page-name="Landscape"/>')
SECTION_MASTERS = ('<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"/>'
                   '<style:master-page style:name="Landscape" style:page-layout-name="pm2"/></office:master-styles>')


def sections():
    body = '<text:p>First section.</text:p><text:p text:style-name="P1">Second section.</text:p>'
    emit("sections", "First section.\nSecond section.\n", source_fodt=fodt(body, SECTION_STYLES, SECTION_MASTERS))


def note_numbering():
    # Footnotes A, B, C ... from C, numbered again in each section; endnotes
    # 1, 2, 3 from 7. A flat ODT cannot say so for Word, so the settings and
    # every section's properties of the .docx are patched; LibreOffice
    # carries them into the .doc's section properties and the RTF.
    def note(number, kind, text):
        return ('<text:note text:id="n%d" text:note-class="%s"><text:note-citation>%d</text:note-citation>'
                '<text:note-body><text:p>%s</text:p></text:note-body></text:note>' % (number, kind, number, text))

    def patch(part, xml):
        if part not in ("word/document.xml", "word/settings.xml"):
            return xml
        xml = xml.replace('<w:footnotePr><w:numFmt w:val="decimal"/>',
                          '<w:footnotePr><w:numFmt w:val="upperLetter"/><w:numStart w:val="3"/>'
                          '<w:numRestart w:val="eachSect"/>')
        return xml.replace('<w:endnotePr><w:numFmt w:val="lowerRoman"/>',
                           '<w:endnotePr><w:numFmt w:val="decimal"/><w:numStart w:val="7"/>')

    body = ('<text:p>First' + note(1, "footnote", "Footnote one.") + ' and second' +
            note(2, "footnote", "Footnote two.") + '.</text:p><text:p>End' + note(3, "endnote", "Endnote one.") +
            '.</text:p><text:p text:style-name="P1">Next section' + note(4, "footnote", "Footnote three.") +
            '.</text:p>')
    emit("note-numbering", "First[C] and second[D].\nEnd[7].\nNext section[C].\n\n"
         "[C] Footnote one.\n[D] Footnote two.\n[C] Footnote three.\n[7] Endnote one.\n",
         source_fodt=fodt(body, SECTION_STYLES, SECTION_MASTERS), patch=patch)


def ruby():
    # A phonetic guide: w:ruby in the .docx; an EQ field with no stored
    # result in the .doc and the RTF, so only its instruction has the base.
    body = ('<text:p>Capital: <text:ruby><text:ruby-base>\u6771\u4eac</text:ruby-base>'
            '<text:ruby-text>\u3068\u3046\u304d\u3087\u3046</text:ruby-text></text:ruby> city.</text:p>')
    emit("ruby", "Capital: \u6771\u4eac city.\n", source_fodt=fodt(body))


if __name__ == "__main__":
    import sys
    only = sys.argv[1:]
    for build in (paragraphs, table, nested_table, layout_tables, notes, fields, lists, revisions, hidden,
                  headers_footers, comments, textbox, unicode_text, checkbox, sections, symbols, style_lists,
                  note_numbering, ruby):
        if not only or build.__name__ in only:
            build()
