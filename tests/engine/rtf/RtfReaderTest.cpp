#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(PLAINORA_TEST_DATA_DIR) / "rtf";

std::string textOf(const std::string& rtf, const ReadOptions& options = {})
{
    auto document = readRtf(asBytes(rtf), options);
    EXPECT_TRUE(document.ok()) << (document.ok() ? "" : document.error().description);
    return document.ok() ? renderPlainText(document.value()) : std::string();
}

} // namespace

// Every fixture (LibreOffice's RTF of a python3-docx document, or a
// hand-written one) gives exactly its expected text, through the format
// sniffer as a user's file would.
TEST(RtfReader, FixturesGiveTheirExpectedText)
{
    EXPECT_GE(expectFixtureTexts(kFixtures, {".rtf"}), 20);
}

TEST(RtfReader, HeadersFootersAndCommentsOnlyOnRequest)
{
    const std::string rtf = readTestFile(kFixtures / "headers_footers.rtf");
    EXPECT_EQ(textOf(rtf), "Body text.\n");
    ReadOptions options;
    options.includeHeadersFooters = true;
    EXPECT_EQ(textOf(rtf, options), "Body text.\n\nHeader text\nFooter text\n");

    const std::string annotated = readTestFile(kFixtures / "hand_annotation.rtf");
    options.includeComments = true;
    EXPECT_EQ(textOf(annotated, options), "Reviewed text.\n\n[comment 1] Check this.\n");
}

TEST(RtfReader, BuildsNestedTablesInTheModel)
{
    auto document = readRtf(asBytes(readTestFile(kFixtures / "hand_nested_cells.rtf")), {});
    ASSERT_TRUE(document.ok());
    const auto& body = document.value().body;
    ASSERT_EQ(body.size(), 2u);
    ASSERT_EQ(body[0].kind, Block::Kind::Table);
    ASSERT_EQ(body[0].rows.size(), 2u);
    const TableCell& outer = body[0].rows[0].cells.at(1);
    ASSERT_EQ(outer.blocks.size(), 2u);
    ASSERT_EQ(outer.blocks[0].kind, Block::Kind::Table);
    EXPECT_EQ(outer.blocks[0].rows.size(), 2u);
    EXPECT_EQ(outer.blocks[0].rows[1].cells.at(1).blocks.at(0).text, "n4");
    EXPECT_EQ(outer.blocks[1].text, "B1 after");
    EXPECT_EQ(body[1].text, "After table");
}

TEST(RtfReader, KeepsCellParagraphsApartAndTablesClosedByPlainParagraphs)
{
    const std::string rtf = "{\\rtf1 \\trowd\\pard\\intbl one\\par two\\cell three\\cell\\row"
                            "\\pard Between\\par\\trowd\\pard\\intbl x\\cell\\row}";
    auto document = readRtf(asBytes(rtf), {});
    ASSERT_TRUE(document.ok());
    const auto& body = document.value().body;
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0].rows.at(0).cells.at(0).blocks.size(), 2u);
    EXPECT_EQ(body[1].text, "Between");
    EXPECT_EQ(body[2].kind, Block::Kind::Table);
    EXPECT_EQ(renderPlainText(document.value()), "one two\tthree\nBetween\nx\n");
}

TEST(RtfReader, DecodesTheDocumentCodePageAndDoubleByteText)
{
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}"), "\u0414\u0430\n");
    EXPECT_EQ(textOf("{\\rtf1\\mac \\'8e}"), "\u00e9\n");
    // An unknown or absent code page reads as Windows-1252.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg0 \\'80}"), "\u20ac\n");
    // Shift-JIS: an escaped lead byte with a raw trail byte.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83A}"), "\u3042\u30a2\n");
}

// Each typographic word stands for its one character, in visible text only.
TEST(RtfReader, GivesTheCharacterOfEachTypographicWord)
{
    EXPECT_EQ(textOf("{\\rtf1 a\\emdash b\\endash c\\bullet\\lquote q\\rquote\\ldblquote d\\rdblquote}"),
              "a\u2014b\u2013c\u2022\u2018q\u2019\u201Cd\u201D\n");
    EXPECT_EQ(textOf("{\\rtf1 1\\emspace 2\\enspace 3\\qmspace 4\\zwj 5\\zwnj 6\\ltrmark 7\\rtlmark}"),
              "1\u20032\u20023\u20054\u200D5\u200C6\u200E7\u200F\n");
    EXPECT_EQ(textOf("{\\rtf1 x{\\v\\emdash\\bullet}{\\*\\unknown\\lquote}y}"), "xy\n");
}

TEST(RtfReader, ResolvesFontsDeclaredByTheDefaultFont)
{
    // \deff names a font whose charset governs text outside any \f.
    EXPECT_EQ(
        textOf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 A;}{\\f1\\fcharset161 G;}}\\'e1\\f0\\'e1\\plain\\'e1}"),
        "\u03b1\u00e1\u03b1\n");
}

TEST(RtfReader, IgnoresDestinationsWithoutBodyText)
{
    const std::string rtf =
        "{\\rtf1{\\info{\\title T}{\\author A}}{\\colortbl;\\red0;}{\\stylesheet{\\s1 Heading;}}"
        "{\\*\\generator Gen;}{\\*\\unknownthing text}{\\*\\bkmkstart b}Body"
        "{\\pict\\pngblip 89504e47}{\\*\\themedata 504b}{\\xe {index}}{\\tc {toc}} end\\par}";
    EXPECT_EQ(textOf(rtf), "Body end\n");
}

TEST(RtfReader, KeepsTheResultOfEmbeddedObjects)
{
    EXPECT_EQ(textOf("{\\rtf1 A{\\object\\objemb{\\*\\objclass Eq}{\\*\\objdata 0102}{\\result {x=1}}}B}"),
              "Ax=1B\n");
}

TEST(RtfReader, NumbersFootnotesInBodyOrder)
{
    const std::string rtf =
        "{\\rtf1 A{\\chftn}{\\footnote {\\chftn} one}B\\par"
        "\\trowd\\pard\\intbl C{\\chftn}{\\footnote {\\chftn} two\\par more\\par}\\cell\\row}";
    EXPECT_EQ(textOf(rtf), "A[1]B\nC[2]\n\n[1] one\n[2] two\nmore\n");
}

// Sections may number their notes their own way until \sectd; the
// document's words may come after the first section's.
TEST(RtfReader, NumbersNotesAsEachSectionSays)
{
    const std::string note = "{\\chftn}{\\footnote {\\chftn} n}";
    const std::string rtf = "{\\rtf1\\sectd\\sftnnauc\\ftnstart3\\ftnnar "
                            "A" +
                            note + "B" + note +
                            "\\par\\sect\\sectd\\sftnrestart "
                            "C" +
                            note +
                            "\\par\\sect\\sectd\\sftnnchi "
                            "D" +
                            note + note +
                            "\\par\\sect\\sectd "
                            "E" +
                            note + "\\par}";
    // Counting on after the restart: 4 and 5 in the Chicago symbols.
    EXPECT_EQ(textOf(rtf),
              "A[C]B[D]\nC[3]\nD[\u00A7][**]\nE[6]\n\n[C] n\n[D] n\n[3] n\n[\u00A7] n\n[**] n\n[6] n\n");
}

namespace {

// One list (\listid7, linked by \ls3) whose levels are followed by a tab, a
// space and nothing, as \levelfollow 0, 1 and 2 say.
const std::string kListTable =
    "{\\*\\listtable{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\levelfollow0{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc4\\levelfollow1{\\leveltext \\'02\\'01);}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc2\\levelfollow2{\\leveltext \\'02\\'02.;}{\\levelnumbers\\'01;}}"
    "{\\listname ;}\\listid7}}"
    "{\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls3}}";

} // namespace

TEST(RtfReader, SeparatesListLabelsAsTheirLevelSays)
{
    // LibreOffice: the label comes before the paragraph's \ls and \ilvl, and
    // always ends with \tab.
    const std::string rtf = "{\\rtf1" + kListTable +
                            "\\pard{\\listtext\\pard\\plain  1.\\tab}\\ilvl0\\ls3 One\\par"
                            "\\pard{\\listtext\\pard\\plain  a)\\tab}\\ilvl1\\ls3 Sub\\tab tab\\par"
                            "\\pard{\\listtext\\pard\\plain i.\\tab}\\ilvl2\\ls3 Deep\\par"
                            "\\pard Plain\\tab text\\par}";
    EXPECT_EQ(textOf(rtf), "1.\tOne\na) Sub\ttab\ni.Deep\nPlain\ttext\n");

    // Word: the label group ends before the \pard that names the list.
    EXPECT_EQ(textOf("{\\rtf1" + kListTable +
                     "{\\listtext\\pard\\plain a)\\tab}\\pard\\plain \\ls3\\ilvl1 Sub\\par}"),
              "a) Sub\n");
    // In a table cell, the cell's end ends the paragraph.
    EXPECT_EQ(
        textOf("{\\rtf1" + kListTable + "\\trowd\\pard\\intbl{\\listtext a)\\tab}\\ls3\\ilvl1 x\\cell\\row}"),
        "a) x\n");
    // The override may name \ls before \listid.
    const std::string lsFirst = "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelfollow1}\\listid9}}"
                                "{\\listoverridetable{\\listoverride\\ls1\\listid9}}"
                                "\\pard\\ls1{\\listtext 1.\\tab}x\\par}";
    EXPECT_EQ(textOf(lsFirst), "1. x\n");
}

TEST(RtfReader, KeepsListLabelsAsWrittenWhenTheListIsUnknown)
{
    // No list table; an \ls without an override; a level the list lacks; a
    // list override naming a list that is not there.
    EXPECT_EQ(textOf("{\\rtf1\\pard{\\listtext a)\\tab}\\ls3\\ilvl1 x\\par}"), "a)\tx\n");
    EXPECT_EQ(textOf("{\\rtf1" + kListTable + "\\pard{\\listtext a)\\tab}\\ls4\\ilvl1 x\\par}"), "a)\tx\n");
    EXPECT_EQ(textOf("{\\rtf1" + kListTable + "\\pard{\\listtext 4.\\tab}\\ls3\\ilvl5 x\\par}"), "4.\tx\n");
    EXPECT_EQ(textOf("{\\rtf1{\\listoverridetable{\\listoverride\\listid2\\ls1}}"
                     "\\pard{\\listtext a)\\tab}\\ls1 x\\par}"),
              "a)\tx\n");
    // A label without a tab of its own keeps the text after it untouched.
    EXPECT_EQ(textOf("{\\rtf1" + kListTable + "\\pard{\\listtext a)}\\ls3\\ilvl1\\tab x\\par}"), "a)\tx\n");
    // A level list beyond the limit of nine levels is read without a crash.
    std::string manyLevels = "{\\rtf1{\\*\\listtable{\\list";
    for (int i = 0; i < 12; ++i)
        manyLevels += "{\\listlevel\\levelfollow1}";
    manyLevels +=
        "\\listid1}}{\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard{\\listtext 9.\\tab}\\ls1\\ilvl8 x\\par\\pard{\\listtext 12.\\tab}\\ls1\\ilvl11 y\\par}";
    EXPECT_EQ(textOf(manyLevels), "9. x\n12. y\n");
}

TEST(RtfReader, DropsTheSeparatorAfterANotesOwnMark)
{
    // LibreOffice: the note's own \chftn, then a tab, then its text.
    EXPECT_EQ(textOf("{\\rtf1 A{\\chftn}{\\footnote \\chftn\\pard\\plain{\\tab The note.}}\\par}"),
              "A[1]\n\n[1] The note.\n");
    EXPECT_EQ(textOf("{\\rtf1 A{\\chftn}{\\footnote {\\chftn} \\tab  x\\tab y}\\par}"), "A[1]\n\n[1] x\ty\n");
    // Without the mark first, or for a mark inside the text, tabs are text.
    EXPECT_EQ(textOf("{\\rtf1 A{\\chftn}{\\footnote \\tab x}\\par}"), "A[1]\n\n[1] \tx\n");
    EXPECT_EQ(textOf("{\\rtf1 A{\\chftn}{\\footnote see{\\chftn}\\tab x}\\par}"), "A[1]\n\n[1] see\tx\n");
    // The body's own leading tab stays.
    EXPECT_EQ(textOf("{\\rtf1 \\tab A{\\chftn}{\\footnote {\\chftn}\\tab n}\\par}"), "\tA[1]\n\n[1] n\n");
}

TEST(RtfReader, ShowsFormCheckBoxesByTheirState)
{
    const auto box = [](const std::string& formfield) {
        return textOf("{\\rtf1 Agree: {\\field{\\*\\fldinst { FORMCHECKBOX }" + formfield +
                      "}{\\fldrslt {}}} yes\\par}");
    };
    // \ffres 25 and a missing \ffres leave the state to \ffdefres.
    EXPECT_EQ(box("{\\*\\formfield{\\fftype1\\ffres25\\ffdefres1{\\*\\ffname Check1}}}"), "Agree: [X] yes\n");
    EXPECT_EQ(box("{\\*\\formfield{\\fftype1\\ffdefres1}}"), "Agree: [X] yes\n");
    EXPECT_EQ(box("{\\*\\formfield{\\fftype1\\ffres0\\ffdefres1}}"), "Agree: [ ] yes\n");
    EXPECT_EQ(box("{\\*\\formfield{\\fftype1\\ffres1\\ffdefres0}}"), "Agree: [X] yes\n");
    // The instruction alone makes a check box; without \formfield (as
    // LibreOffice saves one) its state is not known and shown unchecked.
    EXPECT_EQ(box("{\\*\\formfield{\\ffres1}}"), "Agree: [X] yes\n");
    EXPECT_EQ(box(""), "Agree: [ ] yes\n");
    EXPECT_EQ(textOf("{\\rtf1 A{\\field{\\*\\fldinst  formcheckbox }}B}"), "A[ ]B\n");
    // Other form fields keep their result.
    EXPECT_EQ(
        textOf(
            "{\\rtf1 Name: {\\field{\\*\\fldinst { FORMTEXT }{\\*\\formfield{\\fftype0}}}{\\fldrslt Ann}}}"),
        "Name: Ann\n");
    EXPECT_EQ(textOf("{\\rtf1 {\\field{\\*\\fldinst FORMCHECKBOXES}{\\fldrslt r}}}"), "r\n");
}

// Mail saved as RTF around HTML: only a header's \fromhtml1 makes the
// document a wrapped page; then \htmlrtf follows the groups, and the RTF's own
// paragraphs, tables and notes are no text of the page.
TEST(RtfReader, TakesWrappedHtmlOutOnlyWhenTheHeaderSaysSo)
{
    const struct
    {
        const char* name;
        std::string rtf;
        std::string expected;
    } cases[] = {
        {"\\htmlrtf is restored at each group's end",
         "{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag <p>}a{\\htmlrtf b{\\htmlrtf0 c}d}e{\\*\\htmltag </p>}}",
         "ace\n"},
        {"a \\par between tags is white space of the page",
         "{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag <p>}one\\par\ntwo\\par{\\*\\htmltag </p>}}", "one two\n"},
        {"notes and RTF tables outside \\htmlrtf give no text of their own",
         "{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag <p>}x{\\footnote note}\\cell y\\row{\\*\\htmltag </p>}}",
         "xy\n"},
        {"\\fromhtml1 after the body has begun is not a header's",
         "{\\rtf1\\ansi Body {\\*\\htmltag <b>}\\fromhtml1 text\\par more\\par}", "Body text\nmore\n"},
        {"without \\fromhtml1, HTML tags are skipped and RTF paragraphs kept",
         "{\\rtf1\\ansi {\\*\\htmltag <p>}Plain\\par{\\*\\htmltag </p>}next\\par}", "Plain\nnext\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textOf(c.rtf), c.expected) << c.name;
}
