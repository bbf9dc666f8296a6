#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/Limits.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/mman.h>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(PLAINORA_TEST_DATA_DIR) / "text";

std::string htmlText(const std::string& html)
{
    auto document = readHtml(asBytes(html), {});
    EXPECT_TRUE(document.ok());
    return document.ok() ? renderPlainText(document.value()) : std::string();
}

} // namespace

// Hand-written pages, Word's and LibreOffice's web pages, an MHTML archive,
// plain text and RTF, most of them under a .doc name: each gives its
// expected text through the sniffer, as a user's file would.
TEST(MisnamedFiles, FixturesGiveTheirExpectedText)
{
    EXPECT_GE(expectFixtureTexts(kFixtures, {".html", ".doc"}), 11);
}

TEST(HtmlReader, CollapsesWhiteSpaceAroundInlineMarkup)
{
    EXPECT_EQ(htmlText("<p>  one <b>two</b>\n\n<i> three </i> </p>"), "one two three\n");
    EXPECT_EQ(htmlText("<p>a<br>  b</p>"), "a\nb\n");
    EXPECT_EQ(htmlText("text before<p>para</p>text after"), "text before\npara\ntext after\n");
}

TEST(HtmlReader, ClosesImplicitlyEndedElements)
{
    EXPECT_EQ(htmlText("<p>one<p>two<div>three</div>"), "one\ntwo\nthree\n");
    EXPECT_EQ(htmlText("<table><tr><td>a<td>b<tr><td>c</table>after"), "a\tb\nc\nafter\n");
    EXPECT_EQ(htmlText("<ol><li>x<li>y</ol>"), "1.\tx\n2.\ty\n");
}

TEST(HtmlReader, SkipsRawTextElementsWhateverTheyHold)
{
    EXPECT_EQ(htmlText("<script>if (a < b) { x = '</p>'; }</script><p>ok</p>"), "ok\n");
    EXPECT_EQ(htmlText("<STYLE>p{}</STYLE><Title>t</Title>Shown<!-- <b>no</b> -->!"), "Shown!\n");
    EXPECT_EQ(htmlText("<p>unterminated <!-- comment"), "unterminated\n");
}

TEST(HtmlReader, DecodesReferences)
{
    EXPECT_EQ(htmlText("&lt;&gt;&amp;&quot;&#65;&#x42;&#150;&eacute;&Omega;&bogus;&#;&#xZZ;&"),
              "<>&\"AB\u2013\u00e9\u03a9&bogus;&#;&#xZZ;&\n");
    EXPECT_EQ(htmlText("&#0;&#99999999999;"), "\uFFFD\uFFFD\n");
}

TEST(HtmlReader, ReadsTheCharsetTheDocumentDeclares)
{
    // No declaration, not UTF-8: Windows-1252.
    EXPECT_EQ(htmlText("<p>\x93quoted\x94 \x80</p>"), "\u201cquoted\u201d \u20ac\n");
    // A declared Latin-1 reads as Windows-1252, as browsers do.
    EXPECT_EQ(htmlText("<meta http-equiv=Content-Type content='text/html; charset=iso-8859-1'><p>\x85</p>"),
              "\u2026\n");
    // A false UTF-8 declaration falls back to Windows-1252.
    EXPECT_EQ(htmlText("<meta charset=utf-8><p>caf\xe9</p>"), "caf\u00e9\n");
    // A byte-order mark settles UTF-8: bytes that break it are marked, never passed on.
    EXPECT_EQ(htmlText("\xEF\xBB\xBF<p>caf\xC3\xA9 \xDF</p>"), "caf\u00e9 \uFFFD\n");
}

TEST(HtmlHostileInput, DeepAndBrokenMarkupReadsBounded)
{
    std::string deep;
    for (int i = 0; i < 20000; ++i)
        deep += "<div><table><tr><td>";
    deep += "x";
    EXPECT_EQ(htmlText(deep).find_first_not_of("\t\n x"), std::string::npos);

    EXPECT_EQ(htmlText("<p a=\"unterminated"), "");
    EXPECT_EQ(htmlText("<"), "<\n");
    EXPECT_EQ(htmlText("</td></tr></table></li></p>text"), "text\n");
    std::string attributes = "<p";
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + std::to_string(i) + "=x";
    EXPECT_EQ(htmlText(attributes + ">ok</p>"), "ok\n");
}

// The decoded page is held whole, so a page past the text limit is refused
// before it is decoded: the untouched pages of the mapping cost nothing.
TEST(HtmlHostileInput, APagePastTheTextLimitIsRefusedBeforeDecoding)
{
    const std::size_t size = limits::kMaxTextBytes + 1;
    void* mapping =
        mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    const std::string_view start = "<html><body><p>";
    std::memcpy(mapping, start.data(), start.size());
    auto document = readHtml(ByteView(static_cast<const std::uint8_t*>(mapping), size), {});
    munmap(mapping, size);
    ASSERT_FALSE(document.ok());
    EXPECT_EQ(document.error().code, ErrorCode::TooLarge);
    EXPECT_NE(document.error().description.find("512 MiB"), std::string::npos)
        << document.error().description;
}

TEST(HtmlHostileInput, MutatedPagesNeverCrash)
{
    std::vector<std::string> seeds;
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        if (entry.path().extension() == ".html" || entry.path().extension() == ".doc")
            seeds.push_back(readTestFile(entry.path()));
    }
    ASSERT_FALSE(seeds.empty());
    static const char* const kInserts[] = {"<",        ">",    "&",        "<table>",   "<td>",
                                           "</tr>",    "<!--", "<script>", "\"",        "<li>",
                                           "</table>", "&#x",  "\xFF\xFE", "--boundary"};
    std::mt19937 random(fuzzSeed(4));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(fuzzSeconds(2));
    int runs = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string input = seeds[random() % seeds.size()];
        for (int e = 0, edits = 1 + random() % 6; e < edits && !input.empty(); ++e) {
            const std::size_t at = random() % input.size();
            switch (random() % 3) {
            case 0:
                input[at] = static_cast<char>(input[at] ^ (1 << (random() % 8)));
                break;
            case 1:
                input.resize(at);
                break;
            default:
                input.insert(at, kInserts[random() % std::size(kInserts)]);
                break;
            }
        }
        auto document = readDocument(asBytes(input));
        if (document.ok())
            renderPlainText(document.value());
        ++runs;
    }
    EXPECT_GT(runs, 100);
}
