#include "Engine.h"
#include "EngineTestData.h"
#include "PlainTextWriter.h"
#include "Readers.h"

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
