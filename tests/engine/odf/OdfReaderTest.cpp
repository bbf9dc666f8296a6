// OpenDocument text: LibreOffice's packages and flat files read to the text
// written by hand beside them; broken and hostile input fails cleanly.

#include "EngineTestData.h"
#include "ZipBuilder.h"
#include "engine/Engine.h"
#include "engine/Limits.h"
#include "engine/PlainTextWriter.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(PLAINORA_TEST_DATA_DIR) / "odf";

TEST(OdfFixtures, ReadToTheExpectedText)
{
    EXPECT_GE(expectFixtureTexts(kFixtures, {".odt", ".fodt"}), 17);
    // name.all.txt: with headers, footers and comments asked for.
    for (const char* name : {"changes.odt", "changes.fodt"}) {
        auto text = extractText((kFixtures / name).string(), ReadOptions{true, true});
        ASSERT_TRUE(text.ok()) << text.error().description;
        EXPECT_EQ(text.value(), readTestFile(kFixtures / "changes.all.txt")) << name;
    }
}

const std::string kNamespaces = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                                "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                                "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"";

std::string content(const std::string& body)
{
    return "<?xml version=\"1.0\"?><office:document-content " + kNamespaces + "><office:body><office:text>" +
           body + "</office:text></office:body></office:document-content>";
}

std::string package(std::vector<ZipEntry> entries)
{
    entries.insert(entries.begin(), storedEntry("mimetype", "application/vnd.oasis.opendocument.text"));
    return buildZip(entries);
}

std::string nested(const std::string& open, const std::string& close, int depth, const std::string& inner)
{
    std::string out;
    for (int i = 0; i < depth; ++i)
        out += open;
    out += inner;
    for (int i = 0; i < depth; ++i)
        out += close;
    return out;
}

std::string repeated(const std::string& text, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// Input the reader must survive: text when it can, else a clean error.
TEST(OdfHostile, EachCaseEndsAsExpected)
{
    const std::string manifest =
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
        "</manifest:file-entry></manifest:manifest>";
    const std::string deepTable = nested("<table:table><table:table-row><table:table-cell>",
                                         "</table:table-cell></table:table-row></table:table>",
                                         limits::kMaxTableNesting + 20, "<text:p>core</text:p>");
    // List styles past the limit are not kept: the last one's list shows the
    // default bullet instead of its number.
    std::string manyStyles = "<office:automatic-styles>";
    for (std::size_t i = 0; i <= limits::kMaxListStyles; ++i)
        manyStyles +=
            "<text:list-style style:name=\"L" + std::to_string(i) +
            "\"><text:list-level-style-number text:level=\"1\" style:num-format=\"1\"/></text:list-style>";
    manyStyles += "</office:automatic-styles>";
    const std::string styled =
        "<text:list text:style-name=\"L0\"><text:list-item><text:p>kept</text:p></text:list-item>"
        "</text:list><text:list text:style-name=\"L" +
        std::to_string(limits::kMaxListStyles) +
        "\"><text:list-item><text:p>dropped</text:p></text:list-item></text:list>";
    std::string manyStylesContent = content(styled);
    manyStylesContent.insert(manyStylesContent.find("<office:body>"), manyStyles);
    struct Case
    {
        const char* what;
        std::string bytes;
        bool ok;
        ErrorCode code;   // when !ok
        std::string text; // when ok
    };
    const Case cases[] = {
        {"a minimal package",
         package({deflatedEntry("content.xml", content("<text:p>hi</text:p>"))}),
         true,
         {},
         "hi\n"},
        {"an encrypted content part",
         package(
             {storedEntry("META-INF/manifest.xml", manifest), storedEntry("content.xml", "\x01\x02garbage")}),
         false, ErrorCode::PasswordProtected, ""},
        {"no content part", package({storedEntry("styles.xml", "<x/>")}), false, ErrorCode::Damaged, ""},
        {"a content part that is no XML", package({storedEntry("content.xml", "<office:document-content")}),
         false, ErrorCode::Damaged, ""},
        {"an entity expansion",
         package({storedEntry("content.xml", "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a "
                                             "\"aaaaaaaa\">]><d>&a;</d>")}),
         false, ErrorCode::Damaged, ""},
        {"elements nested past the limit",
         package({storedEntry("content.xml", content(nested("<text:span>", "</text:span>", 300, "x")))}),
         false, ErrorCode::TooLarge, ""},
        {"tables nested past the limit flatten",
         package({storedEntry("content.xml", content(deepTable))}),
         true,
         {},
         "core\n"},
        {"a huge space count is clamped",
         package({storedEntry("content.xml", content("<text:p>a<text:s text:c=\"999999999\"/>b</text:p>"))}),
         true,
         {},
         "a" + std::string(1024, ' ') + "b\n"},
        {"list items deeper than ten levels keep the tenth level's label",
         package({storedEntry("content.xml",
                              content(nested("<text:list><text:list-item>", "</text:list-item></text:list>",
                                             12, "<text:p>deep</text:p>")))}),
         true,
         {},
         "\u2022\tdeep\n"},
        {"a cell repeated past the limit fills one row's worth",
         package({storedEntry("content.xml",
                              content("<table:table><table:table-row><table:table-cell "
                                      "table:number-columns-repeated=\"2000000000\"><text:p>r</text:p>"
                                      "</table:table-cell></table:table-row></table:table>"))}),
         true,
         {},
         repeated("r\n", limits::kMaxRepeatedColumns)},
        {"list styles past the limit",
         package({deflatedEntry("content.xml", manyStylesContent)}),
         true,
         {},
         "1\tkept\n\u2022\tdropped\n"},
        {"a flat file cut short",
         "<?xml version=\"1.0\"?><office:document " + kNamespaces +
             " office:mimetype=\"application/"
             "vnd.oasis.opendocument.text\"><office:body><office:text><text:p>cut",
         false, ErrorCode::Damaged, ""},
        {"a truncated package",
         package({deflatedEntry("content.xml", content("<text:p>hi</text:p>"))}).substr(0, 90), false,
         ErrorCode::Damaged, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto result = readDocument(asBytes(c.bytes));
        ASSERT_EQ(result.ok(), c.ok) << (result.ok() ? renderPlainText(result.value())
                                                     : result.error().description);
        if (c.ok) {
            EXPECT_EQ(renderPlainText(result.value()), c.text);
        } else {
            EXPECT_EQ(result.error().code, c.code) << result.error().description;
            EXPECT_FALSE(result.error().description.empty());
        }
    }
}

} // namespace
