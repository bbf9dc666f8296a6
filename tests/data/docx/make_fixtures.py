#!/usr/bin/python3
"""Makes the .docx fixtures of the OOXML reader, one feature each.

python-docx writes what it can (paragraphs, breaks, tables, merged cells,
hidden runs, headers, footers); the rest (numbering, notes, fields, text
boxes, revisions, check boxes, content controls, math) is WordprocessingML
written into a python-docx package. Every package is slimmed to the parts it
needs so that the fixtures stay a few KB. Expected text is written beside
each fixture by hand below, never by the reader under test.

Run: /usr/bin/python3 tests/data/docx/make_fixtures.py  (CI does not run it)
"""
import io
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import docx
from docx.enum.text import WD_BREAK
from lxml import etree

HERE = os.path.dirname(os.path.abspath(__file__))
W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
NSDECL = (
    'xmlns:w="%s" xmlns:r="%s" '
    'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
    'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" '
    'xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape" '
    'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
    'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
    'xmlns:v="urn:schemas-microsoft-com:vml" '
    'xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml" '
    'mc:Ignorable="w14"' % (W, R)
)
KEEP = {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels",
        "word/styles.xml", "word/settings.xml"}
CT = {
    "numbering": "application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml",
    "footnotes": "application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml",
    "endnotes": "application/vnd.openxmlformats-officedocument.wordprocessingml.endnotes+xml",
    "comments": "application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml",
    "header": "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml",
    "footer": "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml",
    # Imported chunks: one relationship type, the media type says the format.
    "aFChunk:html": "text/html",
    "aFChunk:txt": "text/plain",
    "aFChunk:rtf": "application/rtf",
    "aFChunk:mht": "message/rfc822",
    "aFChunk:docx": "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
}


def trim_styles(styles_xml, keep_extra=()):
    """Keeps the default styles and those named in keep_extra with their basedOn chains."""
    root = etree.fromstring(styles_xml)
    by_id = {s.get("{%s}styleId" % W): s for s in root.iter("{%s}style" % W)}
    wanted = set(keep_extra)
    for s in by_id.values():
        if s.get("{%s}default" % W) == "1":
            wanted.add(s.get("{%s}styleId" % W))
    todo = list(wanted)
    while todo:
        s = by_id.get(todo.pop())
        if s is None:
            continue
        for based in s.iter("{%s}basedOn" % W):
            v = based.get("{%s}val" % W)
            if v not in wanted:
                wanted.add(v)
                todo.append(v)
    for sid, s in by_id.items():
        if sid not in wanted:
            root.remove(s)
    for latent in root.findall("{%s}latentStyles" % W):
        root.remove(latent)
    return etree.tostring(root, xml_declaration=True, encoding="UTF-8", standalone=True)


def slim(data, body=None, parts=None, styles=(), extra_styles_xml=b""):
    """Rewrites a python-docx package: only the needed parts, an optional new
    body, extra parts given as {relationship type: (part name, xml)}."""
    parts = parts or {}
    src = zipfile.ZipFile(io.BytesIO(data))
    doc_xml = src.read("word/document.xml").decode()
    used = set(re.findall(r'w:(?:pStyle|rStyle|tblStyle) w:val="([^"]+)"', doc_xml if body is None else body))
    used |= set(styles)
    if body is not None:
        sect = re.search(r"<w:sectPr.*</w:sectPr>", doc_xml, re.S).group(0)
        sect = re.sub(r"<w:(header|footer)Reference[^>]*/>", "", sect)
        if "{SECT}" in body:
            body = body.replace("{SECT}", sect[len("<w:sectPr"):-len("</w:sectPr>")])
        else:
            body += sect
        doc_xml = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<w:document %s><w:body>%s</w:body></w:document>' % (NSDECL, body)
    styles_xml = trim_styles(src.read("word/styles.xml"), used)
    if extra_styles_xml:
        styles_xml = styles_xml.replace(b"</w:styles>", extra_styles_xml + b"</w:styles>")
    rels = etree.fromstring(src.read("word/_rels/document.xml.rels"))
    keep_targets = {"styles.xml", "settings.xml"}
    for rel in list(rels):
        target = rel.get("Target")
        if rel.get("Type").endswith(("/styles", "/settings")) or (target.startswith(("header", "footer", "comments", "footnotes", "endnotes")) and "word/" + target in src.namelist()):
            keep_targets.add(target)
            continue
        rels.remove(rel)
    ct = src.read("[Content_Types].xml").decode()
    ct = re.sub(r'<Override PartName="/(?:docProps|customXml)[^>]*/>', "", ct)
    for gone in ("stylesWithEffects", "webSettings", "fontTable", "theme/theme1", "numbering"):
        ct = re.sub(r'<Override PartName="/word/%s\.xml"[^>]*/>' % gone, "", ct)
    ct = re.sub(r'<Default Extension="jpeg"[^>]*/>', "", ct)
    out = io.BytesIO()
    z = zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED)
    n = 100
    for rtype, (name, xml) in parts.items():
        n += 1
        etree.SubElement(rels, "Relationship", Id="rId%d" % n, Type=REL + rtype.split(":")[0], Target=name)
        kind = rtype.split(":")[0]
        ct = ct.replace("</Types>", '<Override PartName="/word/%s" ContentType="%s"/></Types>' % (name, CT.get(rtype, CT.get(kind))))
        z.writestr("word/" + name, xml)
        doc_xml = doc_xml.replace("{%s}" % rtype, "rId%d" % n)
    pkg_rels = src.read("_rels/.rels").decode()
    pkg_rels = re.sub(r'<Relationship [^>]*(core-properties|extended-properties|thumbnail)"?[^>]*/>', "", pkg_rels)
    for name in src.namelist():
        if name == "word/document.xml":
            z.writestr(name, doc_xml)
        elif name == "word/styles.xml":
            z.writestr(name, styles_xml)
        elif name == "word/_rels/document.xml.rels":
            z.writestr(name, etree.tostring(rels, xml_declaration=True, encoding="UTF-8", standalone=True))
        elif name == "[Content_Types].xml":
            z.writestr(name, ct)
        elif name == "_rels/.rels":
            z.writestr(name, pkg_rels)
        elif name in KEEP or (name.startswith("word/") and name[5:] in keep_targets) or name.startswith("word/_rels/"):
            z.writestr(name, src.read(name))
    z.close()
    return out.getvalue()


def saved(document):
    buf = io.BytesIO()
    document.save(buf)
    return buf.getvalue()


def write(name, data, expected, expected_all=None):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    base = os.path.splitext(name)[0]
    with open(os.path.join(HERE, base + ".txt"), "w", encoding="utf-8", newline="") as f:
        f.write(expected)
    if expected_all is not None:
        with open(os.path.join(HERE, base + ".all.txt"), "w", encoding="utf-8", newline="") as f:
            f.write(expected_all)


def blank():
    return saved(docx.Document())


def run(text, props=""):
    space = ' xml:space="preserve"' if text != text.strip() else ""
    rpr = "<w:rPr>%s</w:rPr>" % props if props else ""
    return "<w:r>%s<w:t%s>%s</w:t></w:r>" % (rpr, space, text)


def para(*content, ppr=""):
    return "<w:p>%s%s</w:p>" % ("<w:pPr>%s</w:pPr>" % ppr if ppr else "", "".join(content))


def notes_part(kind, notes):
    tag = kind[:-1]  # footnote / endnote
    ref = "footnoteRef" if tag == "footnote" else "endnoteRef"
    body = ('<w:%s w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:%s>'
            '<w:%s w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:%s>') % (tag, tag, tag, tag)
    for nid, text in notes:
        body += ('<w:%s w:id="%d"><w:p><w:r><w:%s/></w:r>%s</w:p></w:%s>' % (tag, nid, ref, run(" " + text), tag))
    return '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:%s %s>%s</w:%s>' % (kind, NSDECL, body, kind)


def main():
    # Paragraphs, empty paragraphs, non-ASCII text.
    d = docx.Document()
    d.add_paragraph("First paragraph")
    d.add_paragraph("")
    d.add_paragraph("Ünïcödé € 日本語 — done")
    d.add_heading("A heading", level=1)
    write("paragraphs.docx", slim(saved(d)), "First paragraph\n\nÜnïcödé € 日本語 — done\nA heading\n")

    # Breaks: line, page, column (python-docx) plus w:cr and a rendered page break.
    d = docx.Document()
    p = d.add_paragraph()
    r = p.add_run("line one")
    r.add_break()
    r.add_text("line two")
    r.add_break(WD_BREAK.PAGE)
    r.add_text("after page")
    r.add_break(WD_BREAK.COLUMN)
    r.add_text("after column")
    data = slim(saved(d))
    body = para("<w:r><w:t>line one</w:t><w:br/><w:t>line two</w:t><w:br w:type=\"page\"/><w:t>after page</w:t>"
                "<w:br w:type=\"column\"/><w:t>after column</w:t><w:cr/><w:t>after cr</w:t></w:r>",
                "<w:r><w:lastRenderedPageBreak/><w:t>no break here</w:t></w:r>")
    write("breaks-python-docx.docx", data, "line one\nline two\nafter page\nafter column\n")
    write("breaks.docx", slim(saved(d), body=body),
          "line one\nline two\nafter page\nafter column\nafter crno break here\n")

    # Special characters: tab, no-break space, non-breaking and soft hyphens, symbols.
    body = para("<w:r><w:t>a</w:t><w:tab/><w:t xml:space=\"preserve\">b\u00a0c </w:t><w:noBreakHyphen/>"
                "<w:t>d</w:t><w:softHyphen/><w:t>e</w:t></w:r>") + para(
                "<w:r><w:sym w:font=\"Symbol\" w:char=\"F0B7\"/><w:sym w:font=\"Symbol\" w:char=\"F061\"/>"
                "<w:sym w:font=\"Wingdings\" w:char=\"F0FC\"/></w:r>")
    body += "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>%s</w:p>" % run("tab stops are no text")
    write("characters.docx", slim(blank(), body=body), "a\tb\u00a0c -de\n\u2022\u03b1\u2713\ntab stops are no text\n")

    # Tables: merged cells (python-docx merge), cell paragraphs, nested table.
    d = docx.Document()
    t = d.add_table(rows=3, cols=3)
    for i, row in enumerate(t.rows):
        for j, cell in enumerate(row.cells):
            cell.text = "r%dc%d" % (i, j)
    a = t.cell(0, 0).merge(t.cell(0, 1))
    a.text = "wide"
    v = t.cell(1, 2).merge(t.cell(2, 2))
    v.text = "tall"
    t.cell(1, 0).add_paragraph("second para")
    inner = t.cell(2, 0).add_table(rows=1, cols=2)
    inner.cell(0, 0).text = "in1"
    inner.cell(0, 1).text = "in2"
    d.add_paragraph("after table")
    write("tables.docx", slim(saved(d)),
          "wide\tr0c2\nr1c0 second para\tr1c1\ttall\nr2c0 in1 in2\tr2c1\t\nafter table\n")

    # Lists from a numbering part.
    lvl = lambda i, fmt, text, extra="": (
        '<w:lvl w:ilvl="%d"><w:start w:val="1"/><w:numFmt w:val="%s"/><w:lvlText w:val="%s"/>%s</w:lvl>' % (i, fmt, text, extra))
    numbering = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:numbering %s>' % NSDECL +
                 '<w:abstractNum w:abstractNumId="0">' + lvl(0, "decimal", "%1.") + lvl(1, "lowerLetter", "%1.%2)") +
                 lvl(2, "upperRoman", "%3", '<w:suff w:val="space"/>') + '</w:abstractNum>' +
                 '<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="bullet"/>'
                 '<w:lvlText w:val="\uf0b7"/><w:rPr><w:rFonts w:ascii="Symbol" w:hAnsi="Symbol"/></w:rPr></w:lvl></w:abstractNum>' +
                 '<w:abstractNum w:abstractNumId="2">' + lvl(0, "upperLetter", "%1", '<w:suff w:val="nothing"/>').replace('w:val="1"/>', 'w:val="3"/>', 1) + '</w:abstractNum>' +
                 '<w:abstractNum w:abstractNumId="3">' + lvl(0, "lowerRoman", "%1.", '<w:pStyle w:val="ListStep"/>') +
                 lvl(1, "decimal", "%1.%2", '<w:isLgl/>') + '</w:abstractNum>' +
                 '<w:abstractNum w:abstractNumId="4">' + lvl(0, "decimalZero", "%1") + lvl(1, "ordinal", "%2", '<w:lvlRestart w:val="0"/>') + '</w:abstractNum>' +
                 '<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num>'
                 '<w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>'
                 '<w:num w:numId="3"><w:abstractNumId w:val="2"/></w:num>'
                 '<w:num w:numId="4"><w:abstractNumId w:val="0"/><w:lvlOverride w:ilvl="0"><w:startOverride w:val="7"/></w:lvlOverride></w:num>'
                 '<w:num w:numId="5"><w:abstractNumId w:val="3"/></w:num>'
                 '<w:num w:numId="6"><w:abstractNumId w:val="4"/></w:num>'
                 '</w:numbering>')
    num = lambda n, i=0: '<w:numPr><w:ilvl w:val="%d"/><w:numId w:val="%d"/></w:numPr>' % (i, n)
    style_xml = (b'<w:style w:type="paragraph" w:styleId="ListStep"><w:name w:val="List Step"/><w:basedOn w:val="Normal"/>'
                 b'<w:pPr><w:numPr><w:numId w:val="5"/></w:numPr></w:pPr></w:style>'
                 b'<w:style w:type="paragraph" w:styleId="ListStepChild"><w:name w:val="List Step Child"/><w:basedOn w:val="ListStep"/></w:style>')
    body = (para(run("one"), ppr=num(1)) + para(run("one a"), ppr=num(1, 1)) + para(run("one b"), ppr=num(1, 1)) +
            para(run("deep"), ppr=num(1, 2)) + para(run("two"), ppr=num(1)) + para(run("two a"), ppr=num(1, 1)) +
            para(run("bullet"), ppr=num(2)) + para(run("lettered from C"), ppr=num(3)) + para(run("next"), ppr=num(3)) +
            para(run("restarted at seven"), ppr=num(4)) + para(run("eight"), ppr=num(4)) +
            para(run("not numbered"), ppr='<w:pStyle w:val="ListStep"/>' + num(0)) +
            para(run("by style"), ppr='<w:pStyle w:val="ListStep"/>') +
            para(run("by based-on style"), ppr='<w:pStyle w:val="ListStepChild"/>') +
            para(run("legal"), ppr='<w:pStyle w:val="ListStep"/>' + num(5, 1)) +
            para(run("zero"), ppr=num(6)) + para(run("first"), ppr=num(6, 1)) + para(run("zero two"), ppr=num(6)) +
            para(run("second, no restart"), ppr=num(6, 1)))
    write("lists.docx", slim(blank(), body=body, parts={"numbering": ("numbering.xml", numbering)}, styles=["ListStep"],
                             extra_styles_xml=style_xml),
          "1.\tone\n1.a)\tone a\n1.b)\tone b\nI deep\n2.\ttwo\n2.a)\ttwo a\n\u2022\tbullet\nClettered from C\nDnext\n"
          "7.\trestarted at seven\n8.\teight\nnot numbered\ni.\tby style\nii.\tby based-on style\n2.1\tlegal\n"
          "01\tzero\n1st\tfirst\n02\tzero two\n2nd\tsecond, no restart\n")

    # Fields: simple, complex, nested, without result; hyperlinks.
    fc = lambda t: '<w:r><w:fldChar w:fldCharType="%s"/></w:r>' % t
    instr = lambda t: '<w:r><w:instrText xml:space="preserve">%s</w:instrText></w:r>' % t
    body = (para(run("Page "), '<w:fldSimple w:instr=" PAGE "><w:r><w:t>7</w:t></w:r></w:fldSimple>', run(" of many")) +
            para(run("Author: "), fc("begin"), instr(" AUTHOR "), fc("separate"), run("Ada"), fc("end")) +
            para(fc("begin"), instr(" IF "), fc("begin"), instr(" DATE "), fc("separate"), run("inner-code"), fc("end"),
                 instr(' = 1 "x" "y" '), fc("separate"), run("outer "), fc("begin"), instr(" NUMPAGES "), fc("separate"),
                 run("3"), fc("end"), run(" result"), fc("end")) +
            para(run("no result:"), fc("begin"), instr(" TC \"entry\" "), fc("end"), run(" shown")) +
            para(run("See "), '<w:hyperlink r:id="rIdX" w:history="1">%s</w:hyperlink>' % run("the site", '<w:rStyle w:val="Hyperlink"/>'),
                 run(" and "), '<w:hyperlink w:anchor="here">%s</w:hyperlink>' % run("a bookmark")))
    data = slim(blank(), body=body)
    # The external relationship the hyperlink names.
    zin = zipfile.ZipFile(io.BytesIO(data))
    out = io.BytesIO()
    zout = zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED)
    for name in zin.namelist():
        content = zin.read(name)
        if name == "word/_rels/document.xml.rels":
            content = content.replace(b"</Relationships>", ('<Relationship Id="rIdX" Type="%shyperlink" Target="https://example.org/" TargetMode="External"/></Relationships>' % REL).encode())
        zout.writestr(name, content)
    zout.close()
    write("fields.docx", out.getvalue(),
          "Page 7 of many\nAuthor: Ada\nouter 3 result\nno result: shown\nSee the site and a bookmark\n")

    # Check boxes: legacy form fields and content controls.
    ff = lambda inner: ('<w:r><w:fldChar w:fldCharType="begin"><w:ffData><w:name w:val="Check1"/><w:enabled/>'
                        '<w:checkBox><w:sizeAuto/>%s</w:checkBox></w:ffData></w:fldChar></w:r>' % inner +
                        instr(" FORMCHECKBOX ") + fc("end"))
    sdt = lambda checked: ('<w:sdt><w:sdtPr><w14:checkbox><w14:checked w14:val="%d"/>'
                           '<w14:checkedState w14:val="2612" w14:font="MS Gothic"/><w14:uncheckedState w14:val="2610" w14:font="MS Gothic"/>'
                           '</w14:checkbox></w:sdtPr><w:sdtContent><w:r><w:t>%s</w:t></w:r></w:sdtContent></w:sdt>' % (checked, "\u2612" if checked else "\u2610"))
    body = (para(ff('<w:default w:val="0"/>'), run(" unchecked form box")) +
            para(ff('<w:default w:val="1"/>'), run(" checked by default")) +
            para(ff('<w:default w:val="0"/><w:checked/>'), run(" checked by user")) +
            para(ff('<w:default w:val="1"/><w:checked w:val="0"/>'), run(" unchecked by user")) +
            para(sdt(1), run(" checked control")) + para(sdt(0), run(" unchecked control")))
    write("checkboxes.docx", slim(blank(), body=body),
          "[ ] unchecked form box\n[X] checked by default\n[X] checked by user\n[ ] unchecked by user\n"
          "[X] checked control\n[ ] unchecked control\n")

    # Content wrappers: block and run content controls, smart tags, custom XML.
    body = ('<w:sdt><w:sdtPr><w:alias w:val="Block"/><w:showingPlcHdr/></w:sdtPr><w:sdtContent>%s</w:sdtContent></w:sdt>' % para(run("block control")) +
            para(run("run "), '<w:sdt><w:sdtPr><w:text/></w:sdtPr><w:sdtContent>%s</w:sdtContent></w:sdt>' % run("control"),
                 run(", "), '<w:smartTag w:uri="urn:x" w:element="place"><w:smartTagPr><w:attr w:name="a" w:val="b"/></w:smartTagPr>%s</w:smartTag>' % run("smart tag"),
                 run(", "), '<w:customXml w:uri="urn:x" w:element="c"><w:customXmlPr/>%s</w:customXml>' % run("custom")) +
            '<w:customXml w:element="blk">%s</w:customXml>' % para(run("block custom XML")))
    write("wrappers.docx", slim(blank(), body=body), "block control\nrun control, smart tag, custom\nblock custom XML\n")

    # Footnotes and endnotes, with a custom mark.
    body = (para(run("Body one"), '<w:r><w:rPr><w:rStyle w:val="FootnoteReference"/></w:rPr><w:footnoteReference w:id="1"/></w:r>', run(" and two"),
                 '<w:r><w:footnoteReference w:id="2"/></w:r>') +
            para(run("Custom"), '<w:r><w:footnoteReference w:customMarkFollows="1" w:id="3"/><w:t>*</w:t></w:r>', run(" then end"),
                 '<w:r><w:endnoteReference w:id="1"/></w:r>', '<w:r><w:endnoteReference w:id="2"/></w:r>'))
    write("notes.docx", slim(blank(), body=body, parts={
        "footnotes": ("footnotes.xml", notes_part("footnotes", [(1, "First footnote."), (2, "Second footnote."), (3, "Starred footnote.")])),
        "endnotes": ("endnotes.xml", notes_part("endnotes", [(1, "An endnote."), (2, "Another endnote.")]))}),
          "Body one[1] and two[2]\nCustom[*] then end[i][ii]\n\n[1] First footnote.\n[2] Second footnote.\n[*] Starred footnote.\n"
          "[i] An endnote.\n[ii] Another endnote.\n")

    # Text boxes: DrawingML choice with a VML fallback holding the same text.
    box = lambda text: '<w:txbxContent>%s</w:txbxContent>' % "".join(para(run(t)) for t in text)
    body = (para(run("Anchor paragraph"),
                 '<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wp:anchor><wp:docPr id="1" name="Box"/>'
                 '<a:graphic><a:graphicData uri="http://schemas.microsoft.com/office/word/2010/wordprocessingShape">'
                 '<wps:wsp><wps:txbx>%s</wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice>'
                 '<mc:Fallback><w:pict><v:shape><v:textbox>%s</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>'
                 % (box(["Box line 1", "Box line 2"]), box(["Box line 1", "Box line 2"])), run(" continues")) +
            para(run("Unknown choice"), '<w:r><mc:AlternateContent xmlns:zz="urn:unknown"><mc:Choice Requires="zz"><zz:thing/></mc:Choice>'
                 '<mc:Fallback><w:pict><v:shape><v:textbox>%s</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>' % box(["Fallback box"])) +
            para(run("After")))
    write("textboxes.docx", slim(blank(), body=body),
          "Anchor paragraph continues\nBox line 1\nBox line 2\nUnknown choice\nFallback box\nAfter\n")

    # Tracked changes read as accepted.
    rev = 'w:id="%d" w:author="A" w:date="2024-01-01T00:00:00Z"'
    body = (para(run("Kept "), '<w:ins %s>%s</w:ins>' % (rev % 1, run("inserted ")), '<w:del %s><w:r><w:delText>deleted </w:delText></w:r></w:del>' % (rev % 2),
                 run("end.")) +
            para(run("Moved: "), '<w:moveFrom %s>%s</w:moveFrom>' % (rev % 3, run("old place")), '<w:moveTo %s>%s</w:moveTo>' % (rev % 4, run("new place"))) +
            para(run("Joined with "), ppr='<w:rPr><w:del %s/></w:rPr>' % (rev % 5)) + para(run("the next paragraph")) +
            '<w:tbl><w:tr>%s</w:tr><w:tr><w:trPr><w:del %s/></w:trPr>%s</w:tr></w:tbl>' % (
                "<w:tc>%s</w:tc>" % para(run("kept row")), rev % 6, "<w:tc>%s</w:tc>" % para('<w:del %s><w:r><w:delText>deleted row</w:delText></w:r></w:del>' % (rev % 7))))
    write("revisions.docx", slim(blank(), body=body),
          "Kept inserted end.\nMoved: new place\nJoined with the next paragraph\nkept row\n")

    # Hidden text: direct, through a character style, through a paragraph style.
    d = docx.Document()
    p = d.add_paragraph("Visible ")
    p.add_run("hidden ").font.hidden = True
    p.add_run("again")
    style_xml = (b'<w:style w:type="character" w:styleId="Secret"><w:name w:val="Secret"/><w:rPr><w:vanish/></w:rPr></w:style>'
                 b'<w:style w:type="paragraph" w:styleId="SecretPara"><w:name w:val="Secret Para"/><w:rPr><w:vanish/></w:rPr></w:style>')
    body = (para(run("Visible "), run("hidden ", "<w:vanish/>"), run("again")) +
            para(run("Style "), run("secret ", '<w:rStyle w:val="Secret"/>'), run("shown")) +
            para(run("whole paragraph hidden"), ppr='<w:pStyle w:val="SecretPara"/>') +
            para(run("but this run shows", '<w:vanish w:val="0"/>'), ppr='<w:pStyle w:val="SecretPara"/><w:rPr><w:vanish w:val="0"/></w:rPr>') +
            para(run("Last")))
    write("hidden.docx", slim(saved(d), body=body, extra_styles_xml=style_xml),
          "Visible again\nStyle shown\nbut this run shows\nLast\n")

    # Headers, footers and comments, shown only on request.
    d = docx.Document()
    d.add_paragraph("Body text")
    d.sections[0].header.paragraphs[0].text = "The header"
    d.sections[0].footer.paragraphs[0].text = "The footer"
    data = saved(d)
    comments = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:comments %s>'
                '<w:comment w:id="0" w:author="A" w:initials="A">%s</w:comment>'
                '<w:comment w:id="1" w:author="B" w:initials="B">%s%s</w:comment></w:comments>' % (
                    NSDECL, para('<w:r><w:annotationRef/></w:r>', run("First remark")), para(run("Second")), para(run("remark"))))
    src = zipfile.ZipFile(io.BytesIO(data))
    doc_xml = src.read("word/document.xml").decode()
    sect = re.search(r"<w:sectPr.*</w:sectPr>", doc_xml, re.S).group(0)
    body = (para('<w:commentRangeStart w:id="0"/>', run("Body text"), '<w:commentRangeEnd w:id="0"/>',
                 '<w:r><w:commentReference w:id="0"/></w:r>') +
            para(run("More"), '<w:r><w:commentReference w:id="1"/></w:r>') + sect)
    slimmed = slim(data, body=body, parts={"comments": ("comments.xml", comments)})
    write("headers-comments.docx", slimmed, "Body text\nMore\n",
          "Body text\nMore\n\nThe header\nThe footer\n\n[comment 1] First remark\n[comment 2] Second\nremark\n")

    # Math zones give the text of their runs.
    body = para(run("Area: "), '<m:oMath><m:r><m:t>A=</m:t></m:r><m:sSup><m:e><m:r><m:t>r</m:t></m:r></m:e>'
                '<m:sup><m:r><m:t>2</m:t></m:r></m:sup></m:sSup></m:oMath>', run(" done"))
    write("math.docx", slim(blank(), body=body), "Area: A=r2 done\n")

    # Strict namespaces.
    data = slim(blank(), body=para(run("Strict text")) + para(run("second")))
    zin = zipfile.ZipFile(io.BytesIO(data))
    out = io.BytesIO()
    zout = zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED)
    for name in zin.namelist():
        content = zin.read(name)
        content = content.replace(b"http://schemas.openxmlformats.org/wordprocessingml/2006/main", b"http://purl.oclc.org/ooxml/wordprocessingml/main")
        content = content.replace(b"http://schemas.openxmlformats.org/officeDocument/2006/relationships", b"http://purl.oclc.org/ooxml/officeDocument/relationships")
        zout.writestr(name, content)
    zout.close()
    write("strict.docx", out.getvalue(), "Strict text\nsecond\n")

    # Flat OPC: the same package as one XML file.
    src = zipfile.ZipFile(io.BytesIO(slim(blank(), body=para(run("Flat package")) + para(run("two"), ppr='<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>'),
                                          parts={"numbering": ("numbering.xml", numbering)})))
    pieces = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<?mso-application progid="Word.Document"?>\n'
              '<pkg:package xmlns:pkg="http://schemas.microsoft.com/office/2006/xmlPackage">']
    for name in src.namelist():
        if name == "[Content_Types].xml":
            continue
        content = src.read(name).decode()
        content = re.sub(r"^<\?xml[^>]*\?>\s*", "", content)
        ctype = "application/vnd.openxmlformats-package.relationships+xml" if name.endswith(".rels") else "application/xml"
        pieces.append('<pkg:part pkg:name="/%s" pkg:contentType="%s"><pkg:xmlData>%s</pkg:xmlData></pkg:part>' % (name, ctype, content))
    pieces.append("</pkg:package>")
    with open(os.path.join(HERE, "flat-opc.xml"), "w", encoding="utf-8") as f:
        f.write("".join(pieces))
    with open(os.path.join(HERE, "flat-opc.txt"), "w", encoding="utf-8") as f:
        f.write("Flat package\n1.\ttwo\n")

    # Word 2003 XML, as LibreOffice Writer saves it.
    if shutil.which("soffice"):
        d = docx.Document()
        d.add_paragraph("Word 2003 XML body")
        t = d.add_table(rows=1, cols=2)
        t.cell(0, 0).text = "c1"
        t.cell(0, 1).text = "c2"
        d.add_paragraph("after")
        with tempfile.TemporaryDirectory() as tmp:
            d.save(os.path.join(tmp, "word2003.docx"))
            subprocess.run(["soffice", "--headless", "--convert-to", "xml:MS Word 2003 XML", "--outdir", tmp,
                            os.path.join(tmp, "word2003.docx")], check=True, capture_output=True)
            shutil.copy(os.path.join(tmp, "word2003.xml"), os.path.join(HERE, "word2003.xml"))
        with open(os.path.join(HERE, "word2003.txt"), "w", encoding="utf-8") as f:
            f.write("Word 2003 XML body\nc1\tc2\nafter\n")


def alt_chunks():
    """A report generator's package: content in other formats imported with
    w:altChunk. python-docx writes the packages (the outer one and a nested
    .docx chunk that imports a chunk of its own); LibreOffice writes the RTF
    chunk from a python-docx document; the HTML, MHT and plain-text chunks
    are written here as a generator writes them."""
    html = ("<html><head><title>Not shown</title></head><body><h1>Imported heading</h1>"
            "<p>An HTML paragraph with <b>bold</b> text.</p></body></html>")
    mht = ("MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"part\"\r\n\r\n--part\r\n"
           "Content-Type: text/html; charset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
           "<html><body><p>Web archive chunk, caf=C3=A9.</p></body></html>\r\n--part--\r\n")
    with tempfile.TemporaryDirectory() as tmp:
        d = docx.Document()
        d.add_paragraph("RTF chunk text.")
        d.save(os.path.join(tmp, "chunk.docx"))
        subprocess.run(["soffice", "--headless", "--convert-to", "rtf", "--outdir", tmp,
                        os.path.join(tmp, "chunk.docx")], check=True, capture_output=True)
        with open(os.path.join(tmp, "chunk.rtf"), "rb") as f:
            rtf = f.read()
    nested = slim(blank(), body=para(run("Nested document.")) + '<w:altChunk r:id="{aFChunk:txt}"/>',
                  parts={"aFChunk:txt": ("deeper.txt", "Deeper plain text.\r\n".encode())})
    body = (para(run("Before the chunks.")) + '<w:altChunk r:id="{aFChunk:html}"/>' + para(run("Between.")) +
            '<w:altChunk r:id="{aFChunk:txt}"/><w:altChunk r:id="{aFChunk:rtf}"/>'
            '<w:altChunk r:id="{aFChunk:docx}"/><w:altChunk r:id="{aFChunk:mht}"/>' +
            para(run("After the chunks.")))
    write("alt-chunks.docx", slim(blank(), body=body, parts={
        "aFChunk:html": ("chunk1.html", html.encode()),
        "aFChunk:txt": ("chunk2.txt", "Plain chunk line one\nline two\n".encode()),
        "aFChunk:rtf": ("chunk3.rtf", rtf),
        "aFChunk:docx": ("chunk4.docx", nested),
        "aFChunk:mht": ("chunk5.mht", mht.encode())}),
        "Before the chunks.\nImported heading\nAn HTML paragraph with bold text.\nBetween.\n"
        "Plain chunk line one\nline two\nRTF chunk text.\nNested document.\nDeeper plain text.\n"
        "Web archive chunk, caf\u00e9.\nAfter the chunks.\n")


if __name__ == "__main__":
    main()
    alt_chunks()
