#!/usr/bin/python3
"""Regenerates the fixtures of the web-page and plain-text readers and of the
misnamed-file tests: hand-written pages, LibreOffice's HTML export of a
python3-docx document saved under a .doc name, and files of other kinds with
Word names. The expected texts are written from the content put in.

Run: /usr/bin/python3 tests/data/text/make_fixtures.py
"""
import base64
import os
import quopri
import shutil
import subprocess
import tempfile

import docx

HERE = os.path.dirname(os.path.abspath(__file__))
NBSP = "\u00a0"


def write(name, data, expected):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    base = name.rsplit(".", 1)[0]
    with open(os.path.join(HERE, base + ".txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(expected)


BASIC = """<!DOCTYPE html>
<html><head><title>Not shown</title>
<style>p { color: red; }</style>
<script>document.write("no");</script>
</head>
<body>
<!-- a comment <p>not shown</p> -->
<h1>Heading   one</h1>
<p>Caf&eacute; &amp; cr&#232;me &#x2014; &lt;tag&gt;&nbsp;end, &unknown; stays.</p>
<p>Line one<br>line two<br/>line three</p>
<div>Plain
   div text</div>
<p></p>
<p>Hidden <span style="display:none">secret </span>gone.</p>
<pre>  keep   spaces
and lines</pre>
<p>Box: <input type="checkbox" checked> yes <input type=checkbox> no</p>
<p>Ruby: <ruby>東<rp>(</rp><rt>とう</rt><rp>)</rp>京<rt>きょう</ruby> base only.</p>
</body></html>
"""
BASIC_TEXT = ("Heading one\n"
              "Caf\u00e9 & cr\u00e8me \u2014 <tag>" + NBSP + "end, &unknown; stays.\n"
              "Line one\nline two\nline three\n"
              "Plain div text\n"
              "\n"
              "Hidden gone.\n"
              "  keep   spaces\nand lines\n"
              "Box: [X] yes [ ] no\n"
              "Ruby: \u6771\u4eac base only.\n")

TABLES = """<html><body>
<p>Before</p>
<table border=1>
<tr><th>Name</th><th>Value</th></tr>
<tr><td>A<p>second</p></td><td>1</td></tr>
<tr><td>Nested<table><tr><td>x</td><td>y</td></tr><tr><td>z</td></table></td><td>2
</table>
<p>After</p>
</body></html>
"""
TABLES_TEXT = "Before\nName\tValue\nA second\t1\nNested x y z\t2\nAfter\n"

LISTS = """<html><body>
<ul><li>Bread<li>Milk</ul>
<ol start="3"><li>Third</li><li>Fourth
<ol type="a"><li>inner</li></ol></li></ol>
</body></html>
"""
LISTS_TEXT = "\u2022\tBread\n\u2022\tMilk\n3.\tThird\n4.\tFourth\na.\tinner\n"

# Word's "Save as Web Page": labels in mso-list:Ignore spans, Symbol bullets,
# conditional comments, an <xml> island, <o:p> elements.
WORD_PAGE = """<html xmlns:o="urn:schemas-microsoft-com:office:office"
xmlns:w="urn:schemas-microsoft-com:office:word" xmlns="http://www.w3.org/TR/REC-html40">
<head>
<meta http-equiv=Content-Type content="text/html; charset=windows-1252">
<meta name=Generator content="Microsoft Word 15">
<!--[if gte mso 9]><xml>
 <w:WordDocument><w:View>Print</w:View></w:WordDocument>
</xml><![endif]-->
<style>
<!--
p.MsoNormal {margin:0cm;}
-->
</style>
</head>
<body lang=EN-US style='tab-interval:36.0pt'>
<div class=WordSection1>
<p class=MsoNormal>Na\xefve caf\xe9 <span style='mso-spacerun:yes'>\xa0</span>text<o:p></o:p></p>
<p class=MsoNormal><o:p>&nbsp;</o:p></p>
<p class=MsoListParagraph style='text-indent:-18.0pt;mso-list:l0 level1 lfo1'><![if !supportLists]><span
style='font-family:Symbol'><span style='mso-list:Ignore'>\xb7<span style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;
</span></span></span><![endif]>First item<o:p></o:p></p>
<p class=MsoListParagraph style='mso-list:l1 level1 lfo2'><![if !supportLists]><span
style='mso-list:Ignore'>1.<span style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;
</span></span><![endif]>Numbered item<o:p></o:p></p>
</div>
</body>
</html>
"""
WORD_PAGE_TEXT = ("Na\u00efve caf\u00e9 " + NBSP + "text\n"
                  "\n"
                  "\u2022\tFirst item\n"
                  "1.\tNumbered item\n")

MHTML_PAGE = """<html><head><meta charset="utf-8"></head><body><p>Web archive \u2013 caf\u00e9</p>
<p>Second paragraph</p></body></html>"""


def mhtml():
    body = quopri.encodestring(MHTML_PAGE.encode("utf-8")).decode("ascii")
    picture = base64.encodebytes(b"\x89PNG fake").decode("ascii")
    return ("MIME-Version: 1.0\r\n"
            "Content-Type: multipart/related; boundary=\"----=_NextPart_01D\"\r\n"
            "\r\n"
            "This document is a Single File Web Page, also known as a Web Archive file.\r\n"
            "\r\n"
            "------=_NextPart_01D\r\n"
            "Content-Location: file:///C:/page.htm\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n"
            "Content-Type: text/html; charset=\"utf-8\"\r\n"
            "\r\n" + body.replace("\n", "\r\n") + "\r\n"
            "------=_NextPart_01D\r\n"
            "Content-Location: file:///C:/image001.png\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Type: image/png\r\n"
            "\r\n" + picture + "\r\n"
            "------=_NextPart_01D--\r\n").encode("ascii")


def libreoffice_page(work):
    d = docx.Document()
    d.add_paragraph("Exported by LibreOffice.")
    t = d.add_table(rows=2, cols=2)
    for r in range(2):
        for c in range(2):
            t.cell(r, c).text = "r%dc%d" % (r, c)
    d.add_paragraph("Bread", style="List Bullet")
    d.add_paragraph("Open", style="List Number")
    d.add_paragraph("The end \u2013 fin.")
    path = os.path.join(work, "lo.docx")
    d.save(path)
    subprocess.run(["soffice", "--headless", "--convert-to", "html", "--outdir", work, path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(work, "lo.html"), "rb") as f:
        return f.read()


def main():
    write("basic.html", BASIC.encode("utf-8"), BASIC_TEXT)
    write("tables.html", TABLES.encode("ascii"), TABLES_TEXT)
    write("lists.html", LISTS.encode("ascii"), LISTS_TEXT)
    write("word_page.doc", WORD_PAGE.encode("latin-1"), WORD_PAGE_TEXT)
    # A page in UTF-16 with a byte-order mark, and one whose charset only its <meta> gives.
    write("utf16_page.doc", "\ufeff<html><body><p>\u0416\u0443\u0440\u043d\u0430\u043b</p></body></html>"
          .encode("utf-16-le"), "\u0416\u0443\u0440\u043d\u0430\u043b\n")
    write("meta_charset.doc", '<html><head><meta charset="windows-1251"></head><body>\xcc\xe8\xf0</body></html>'
          .encode("latin-1"), "\u041c\u0438\u0440\n")
    write("web_archive.doc", mhtml(), "Web archive \u2013 caf\u00e9\nSecond paragraph\n")
    # Plain text with Word names: UTF-8 with leading blank lines, Windows-1252.
    write("plain_utf8.doc", "\n\nPlain text \u2014 saved as .doc\r\nSecond line\r\n".encode("utf-8"),
          "\n\nPlain text \u2014 saved as .doc\nSecond line\n")
    write("plain_1252.doc", "Caf\u00e9 cr\u00e8me\n".encode("cp1252"), "Caf\u00e9 cr\u00e8me\n")
    # RTF with a .doc name and a byte-order mark and white space before it.
    write("rtf_named.doc", b"\xef\xbb\xbf \r\n{\\rtf1\\ansi Rich text in a .doc\\par}", "Rich text in a .doc\n")
    work = tempfile.mkdtemp(prefix="plainora-html-")
    try:
        write("libreoffice_page.doc", libreoffice_page(work),
              "Exported by LibreOffice.\nr0c0\tr0c1\nr1c0\tr1c1\n\u2022\tBread\n1.\tOpen\nThe end \u2013 fin.\n")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
