#!/usr/bin/python3
"""Builds the OpenDocument fixtures: each source, a flat ODT written by hand
below, is saved by LibreOffice as name.odt (a package) and name.fodt (flat
XML), so both files come from a real writer. Where LibreOffice writes the
markup a source tries differently (numbered paragraphs, repeated cells), the
source is kept as name.source.fodt and held to the same text; where it reads
the markup otherwise (lists that take their paragraphs' list style), only
the source is kept, as name.fodt. The expected text (name.txt, and
name.all.txt with headers, footers and comments included) is written here by
hand from the plain-text layout, never from a reader's output.

Run with soffice on the PATH:
    cd tests/data/odf && /usr/bin/python3 make_fixtures.py
"""
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
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
    return (HEAD + "<office:automatic-styles>" + automatic_styles + "</office:automatic-styles>" + master +
            "<office:body><office:text>" + body + "</office:text></office:body></office:document>\n")


def soffice(source, target_filter, outdir):
    # A headless LibreOffice now and then fails to start; try again.
    for attempt in range(3):
        done = subprocess.run(["soffice", "--headless", "--convert-to", target_filter, "--outdir", outdir, source],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if done.returncode == 0:
            return
    done.check_returncode()


def emit(name, source, expected, expected_all=None, keep_source=False):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "source", name + ".fodt")
        os.mkdir(os.path.dirname(path))
        with open(path, "w", encoding="utf-8") as f:
            f.write(source)
        soffice(path, "odt:writer8", tmp)
        soffice(path, "fodt:OpenDocument Text Flat XML", tmp)
        for extension in (".odt", ".fodt"):
            shutil.copy(os.path.join(tmp, name + extension), os.path.join(HERE, name + extension))
        if keep_source:
            shutil.copy(path, os.path.join(HERE, name + ".source.fodt"))
    with open(os.path.join(HERE, name + ".txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(expected)
    if expected_all is not None:
        with open(os.path.join(HERE, name + ".all.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write(expected_all)


def emit_source(name, source, expected):
    for file, text in ((name + ".fodt", source), (name + ".txt", expected)):
        with open(os.path.join(HERE, file), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


def followed_by(kind):
    return ('<style:list-level-properties text:list-level-position-and-space-mode="label-alignment">'
            '<style:list-level-label-alignment text:label-followed-by="%s" text:list-tab-stop-position="1cm"'
            ' fo:text-indent="-0.5cm" fo:margin-left="1cm"/></style:list-level-properties>' % kind)


def lists():
    styles = ('<text:list-style style:name="L1">'
              '<text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1">' +
              followed_by("listtab") + '</text:list-level-style-number>'
              '<text:list-level-style-number text:level="2" style:num-prefix="(" style:num-suffix=")"'
              ' style:num-format="a">' + followed_by("space") + '</text:list-level-style-number>'
              '<text:list-level-style-number text:level="3" style:num-suffix="." style:num-format="1"'
              ' text:display-levels="3">' + followed_by("nothing") + '</text:list-level-style-number>'
              '</text:list-style>'
              '<text:list-style style:name="L2"><text:list-level-style-bullet text:level="1"'
              ' text:bullet-char="\u2022">' + followed_by("listtab") + '</text:list-level-style-bullet></text:list-style>'
              '<text:list-style style:name="L3"><text:list-level-style-number text:level="1" style:num-suffix="."'
              ' style:num-format="I" text:start-value="4">' + followed_by("listtab") +
              '</text:list-level-style-number></text:list-style>')

    def item(text, nested=""):
        return '<text:list-item><text:p>' + text + '</text:p>' + nested + '</text:list-item>'

    body = ('<text:h text:outline-level="1">Lists</text:h>'
            '<text:list text:style-name="L1">' + item("One") +
            item("Two", '<text:list>' + item("Two a") +
                 item("Two b", '<text:list>' + item("Deep") + '</text:list>') + '</text:list>') +
            item("Three") + '</text:list>'
            '<text:p>Between the lists.</text:p>'
            '<text:list text:style-name="L1" text:continue-numbering="true">' + item("Four") + '</text:list>'
            '<text:list text:style-name="L2">' + item("Apple") + item("Pear") + '</text:list>'
            '<text:list text:style-name="L3">' + item("Roman four") + item("Roman five") + '</text:list>')
    expected = ("Lists\n1.\tOne\n2.\tTwo\n(a) Two a\n(b) Two b\n2.b.1.Deep\n3.\tThree\nBetween the lists.\n"
                "4.\tFour\n\u2022\tApple\n\u2022\tPear\nIV.\tRoman four\nV.\tRoman five\n")
    emit("lists", fodt(body, styles), expected)


def structure():
    body = ('<text:p>Two<text:s text:c="3"/>spaces and<text:tab/>a tab,<text:line-break/>then a new line.</text:p>'
            '<table:table table:name="T1"><table:table-column table:number-columns-repeated="2"/>'
            '<table:table-row><table:table-cell><text:p>A1</text:p></table:table-cell>'
            '<table:table-cell><text:p>B1</text:p><text:p>B1 second</text:p></table:table-cell></table:table-row>'
            '<table:table-row><table:table-cell table:number-columns-spanned="2"><text:p>Merged</text:p>'
            '</table:table-cell><table:covered-table-cell/></table:table-row></table:table>'
            '<text:p>A note<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation>'
            '<text:note-body><text:p>Foot text.</text:p></text:note-body></text:note> and an end'
            '<text:note text:id="n2" text:note-class="endnote"><text:note-citation>i</text:note-citation>'
            '<text:note-body><text:p>End text.</text:p></text:note-body></text:note>.</text:p>'
            '<text:p>Anchor<draw:frame draw:name="F1" text:anchor-type="as-char" svg:width="4cm" svg:height="1cm">'
            '<draw:text-box><text:p>Box text</text:p></draw:text-box></draw:frame> here.</text:p>'
            '<text:p>Kept <text:a xlink:type="simple" xlink:href="https://example.org/">link</text:a> text.</text:p>')
    expected = ("Two   spaces and\ta tab,\nthen a new line.\nA1\tB1 B1 second\nMerged\n"
                "A note[1] and an end[i].\nAnchor here.\nBox text\nKept link text.\n"
                "\n[1] Foot text.\n[i] End text.\n")
    emit("structure", fodt(body), expected)


def changes():
    body = ('<text:tracked-changes>'
            '<text:changed-region text:id="c1"><text:deletion><office:change-info><dc:creator>Ann</dc:creator>'
            '<dc:date>2020-01-01T00:00:00</dc:date></office:change-info><text:p>gone </text:p></text:deletion>'
            '</text:changed-region>'
            '<text:changed-region text:id="c2"><text:insertion><office:change-info><dc:creator>Ann</dc:creator>'
            '<dc:date>2020-01-01T00:00:00</dc:date></office:change-info></text:insertion></text:changed-region>'
            '</text:tracked-changes>'
            '<text:p>Start <text:change text:change-id="c1"/><text:change-start text:change-id="c2"/>new '
            '<text:change-end text:change-id="c2"/>end.</text:p>'
            '<text:p>Remark<office:annotation><dc:creator>Ann</dc:creator><text:p>A comment.</text:p>'
            '</office:annotation> here.</text:p>')
    master = ('<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">'
              '<style:header><text:p>Head line</text:p></style:header>'
              '<style:footer><text:p>Foot line</text:p></style:footer></style:master-page></office:master-styles>')
    styles = ('<style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm"'
              ' fo:page-height="29.7cm"/><style:header-style/><style:footer-style/></style:page-layout>')
    expected = "Start new end.\nRemark here.\n"
    expected_all = "Start new end.\nRemark here.\n\nHead line\nFoot line\n\n[comment 1] A comment.\n"
    emit("changes", fodt(body, styles, master), expected, expected_all)


def headings():
    # The outline style numbers headings through the whole document; a
    # heading restarts the levels below it, and one that is a list header
    # shows no number.
    outline = ('<office:styles><text:outline-style style:name="Outline">'
               '<text:outline-level-style text:level="1" style:num-format="1" style:num-suffix=".">' +
               followed_by("space") + '</text:outline-level-style>'
               '<text:outline-level-style text:level="2" style:num-format="a" text:display-levels="2">' +
               followed_by("listtab") + '</text:outline-level-style>'
               '</text:outline-style></office:styles>')
    body = ('<text:h text:outline-level="1">Intro</text:h><text:p>Body</text:p>'
            '<text:h text:outline-level="2">First part</text:h><text:h text:outline-level="2">Second part</text:h>'
            '<text:h text:outline-level="1">Next</text:h><text:h text:outline-level="2">Again</text:h>'
            '<text:h text:outline-level="1" text:is-list-header="true">Unnumbered</text:h>')
    source = fodt(body).replace("<office:automatic-styles>", outline + "<office:automatic-styles>", 1)
    expected = "1. Intro\nBody\n1.a\tFirst part\n1.b\tSecond part\n2. Next\n2.a\tAgain\nUnnumbered\n"
    emit("headings", source, expected)


def override():
    # An item's style override shows its label in another list style; the
    # list counts on.
    styles = ('<text:list-style style:name="L1"><text:list-level-style-number text:level="1" style:num-suffix="."'
              ' style:num-format="1">' + followed_by("listtab") + '</text:list-level-style-number></text:list-style>'
              '<text:list-style style:name="L2"><text:list-level-style-number text:level="1" style:num-suffix=")"'
              ' style:num-format="A">' + followed_by("listtab") + '</text:list-level-style-number></text:list-style>')
    body = ('<text:list text:style-name="L1"><text:list-item><text:p>One</text:p></text:list-item>'
            '<text:list-item text:style-override="L2"><text:p>Overridden</text:p></text:list-item>'
            '<text:list-item><text:p>Three</text:p></text:list-item></text:list>')
    emit("override", fodt(body, styles), "1.\tOne\nB)\tOverridden\n3.\tThree\n")


def paragraph_lists():
    # Lists that name no style take the list style of their paragraphs'
    # styles (a common style, an automatic one, one inherited, one that turns
    # its parent's off and shows the default bullet); a paragraph of such a
    # style outside any list is no list item. LibreOffice 7.4 gives
    # such lists a bullet style of its own instead, so only the source is kept.
    common = ('<office:styles><style:style style:name="Standard" style:family="paragraph"/>'
              '<style:style style:name="Numbered" style:family="paragraph" style:parent-style-name="Standard"'
              ' style:list-style-name="LN"/>'
              '<text:list-style style:name="LN">'
              '<text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1">' +
              followed_by("listtab") + '</text:list-level-style-number>'
              '<text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a">' +
              followed_by("space") + '</text:list-level-style-number></text:list-style></office:styles>')
    automatic = ('<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Standard"'
                 ' style:list-style-name="LD"/>'
                 '<style:style style:name="P2" style:family="paragraph" style:parent-style-name="Numbered"/>'
                 '<style:style style:name="P3" style:family="paragraph" style:parent-style-name="Numbered"'
                 ' style:list-style-name=""/>'
                 '<text:list-style style:name="LD"><text:list-level-style-bullet text:level="1"'
                 ' text:bullet-char="-">' + followed_by("listtab") + '</text:list-level-style-bullet></text:list-style>')

    def item(text, style, nested=""):
        return '<text:list-item><text:p text:style-name="%s">%s</text:p>%s</text:list-item>' % (style, text, nested)

    body = ('<text:list>' + item("First", "Numbered") +
            item("Second", "P2", '<text:list>' + item("Sub", "Numbered") + '</text:list>') + '</text:list>'
            '<text:p text:style-name="Numbered">Outside a list</text:p>'
            '<text:list>' + item("Dash", "P1") + '</text:list>'
            '<text:list>' + item("Again", "Numbered") + item("No list style", "P3") + item("Numbered again", "P2") +
            '</text:list>' +
            '<text:numbered-paragraph text:list-id="np1"><text:p text:style-name="P2">Numbered paragraph'
            '</text:p></text:numbered-paragraph>')
    source = fodt(body, automatic).replace("<office:automatic-styles>", common + "<office:automatic-styles>", 1)
    expected = ("1.\tFirst\n2.\tSecond\na) Sub\nOutside a list\n-\tDash\n1.\tAgain\n\u2022\tNo list style\n"
                "2.\tNumbered again\n1.\tNumbered paragraph\n")
    emit_source("paragraph-lists", source, expected)


def numbered():
    # Numbered paragraphs of one list id count on as one list, each at its
    # level; another list id starts again.
    styles = ('<text:list-style style:name="LN">'
              '<text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1">' +
              followed_by("listtab") + '</text:list-level-style-number>'
              '<text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a">' +
              followed_by("space") + '</text:list-level-style-number></text:list-style>')

    def paragraph(text, level, list_id="np1"):
        return ('<text:numbered-paragraph text:list-id="%s" text:level="%d" text:style-name="LN">'
                '<text:number>%s</text:number><text:p>%s</text:p></text:numbered-paragraph>' %
                (list_id, level, "?", text))

    body = (paragraph("One", 1) + paragraph("One a", 2) + paragraph("One b", 2) + paragraph("Two", 1) +
            '<text:p>Between</text:p>' + paragraph("Three", 1) + paragraph("Other list", 1, "np2"))
    expected = "1.\tOne\na) One a\nb) One b\n2.\tTwo\nBetween\n3.\tThree\n1.\tOther list\n"
    emit("numbered", fodt(body, styles), expected, keep_source=True)


def repeated():
    # A cell repeated across columns is that many cells alike.
    body = ('<table:table table:name="T1"><table:table-column table:number-columns-repeated="3"/>'
            '<table:table-row><table:table-cell table:number-columns-repeated="2"><text:p>same</text:p>'
            '</table:table-cell><table:table-cell><text:p>end</text:p></table:table-cell></table:table-row>'
            '<table:table-row><table:table-cell><text:p>first</text:p></table:table-cell>'
            '<table:table-cell table:number-columns-repeated="2"/></table:table-row></table:table>'
            '<text:p>After</text:p>')
    expected = "same\tsame\tend\nfirst\t\t\nAfter\n"
    emit("repeated", fodt(body), expected, keep_source=True)


if __name__ == "__main__":
    headings()
    lists()
    structure()
    changes()
    override()
    paragraph_lists()
    numbered()
    repeated()
