// The text interface the import libraries talk to, driven the way they drive
// it, and the archive corpus's real files read through the engine.

#include "EngineTestData.h"
#include "ZipBuilder.h"
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"
#include "engine/revenge/TextCollector.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace plainora::engine;
using plainora::engine::revenge::TextCollector;
namespace fs = std::filesystem;

namespace {

librevenge::RVNGPropertyList props(std::initializer_list<std::pair<const char*, const char*>> strings,
                                   std::initializer_list<std::pair<const char*, int>> ints = {})
{
    librevenge::RVNGPropertyList list;
    for (const auto& [name, value] : strings)
        list.insert(name, value);
    for (const auto& [name, value] : ints)
        list.insert(name, value);
    return list;
}

void paragraph(TextCollector& c, const char* text)
{
    c.openParagraph({});
    c.insertText(text);
    c.closeParagraph();
}

void listItem(TextCollector& c, const char* text)
{
    c.openListElement({});
    c.insertText(text);
    c.closeListElement();
}

struct Case
{
    const char* what;
    std::function<void(TextCollector&)> drive;
    std::string expected;
    ReadOptions options = {};
};

void headerAndComment(TextCollector& c)
{
    c.openHeader({});
    paragraph(c, "head");
    c.closeHeader();
    c.openParagraph({});
    c.insertText("text");
    c.openComment({});
    paragraph(c, "remark");
    c.closeComment();
    c.closeParagraph();
}

TEST(TextCollector, CallbacksBecomeTheOneLayout)
{
    const Case cases[] = {
        {"paragraphs, tabs, spaces and line breaks",
         [](TextCollector& c) {
             c.openParagraph({});
             c.insertText("a");
             c.insertTab();
             c.insertText("b");
             c.insertSpace();
             c.insertLineBreak();
             c.insertText("c");
             c.closeParagraph();
             paragraph(c, "");
             paragraph(c, "d");
         },
         "a\tb \nc\n\nd\n"},
        {"ordered levels with prefix, suffix and parents shown",
         [](TextCollector& c) {
             c.openOrderedListLevel(
                 props({{"style:num-format", "1"}, {"style:num-suffix", "."}}, {{"librevenge:list-id", 1}}));
             listItem(c, "one");
             listItem(c, "two");
             c.openOrderedListLevel(
                 props({{"style:num-format", "a"}, {"style:num-prefix", "("}, {"style:num-suffix", ")"}},
                       {{"librevenge:list-id", 1}, {"text:display-levels", 2}}));
             listItem(c, "sub");
             c.closeOrderedListLevel();
             listItem(c, "three");
             c.openOrderedListLevel(props({{"style:num-format", "a"}}, {{"librevenge:list-id", 1}}));
             listItem(c, "restarts");
             c.closeOrderedListLevel();
             c.closeOrderedListLevel();
         },
         "1.\tone\n2.\ttwo\n(2.a)\tsub\n3.\tthree\na\trestarts\n"},
        {"a list closed and opened again with its id goes on counting",
         [](TextCollector& c) {
             c.openOrderedListLevel(
                 props({{"style:num-format", "I"}}, {{"librevenge:list-id", 7}, {"text:start-value", 4}}));
             listItem(c, "four");
             c.closeOrderedListLevel();
             paragraph(c, "between");
             c.openOrderedListLevel(props({{"style:num-format", "I"}}, {{"librevenge:list-id", 7}}));
             listItem(c, "five");
             c.closeOrderedListLevel();
         },
         "IV\tfour\nbetween\nV\tfive\n"},
        {"bullets, given or not",
         [](TextCollector& c) {
             c.openUnorderedListLevel(props({{"text:bullet-char", "-"}}));
             listItem(c, "dash");
             c.closeUnorderedListLevel();
             c.openUnorderedListLevel({});
             listItem(c, "dot");
             c.closeUnorderedListLevel();
         },
         "-\tdash\n\u2022\tdot\n"},
        {"tables, nested and with several paragraphs in a cell",
         [](TextCollector& c) {
             c.openTable({});
             c.openTableRow({});
             c.openTableCell({});
             paragraph(c, "a");
             paragraph(c, "b");
             c.closeTableCell();
             c.openTableCell({});
             c.openTable({});
             c.openTableRow({});
             c.openTableCell({});
             paragraph(c, "x");
             c.closeTableCell();
             c.openTableCell({});
             paragraph(c, "y");
             c.closeTableCell();
             c.closeTableRow();
             c.closeTable();
             c.closeTableCell();
             c.insertCoveredTableCell({});
             c.closeTableRow();
             c.closeTable();
             paragraph(c, "after");
         },
         "a b\tx y\nafter\n"},
        {"notes: marks in the body, text after it",
         [](TextCollector& c) {
             c.openParagraph({});
             c.insertText("body");
             c.openFootnote(props({}, {{"librevenge:number", 1}}));
             paragraph(c, "foot");
             c.closeFootnote();
             c.insertText(" more");
             c.openEndnote(props({{"text:label", "*"}}));
             paragraph(c, "end");
             c.closeEndnote();
             c.closeParagraph();
         },
         "body[1] more[*]\n\n[1] foot\n[*] end\n"},
        {"a text box after its anchor paragraph",
         [](TextCollector& c) {
             c.openParagraph({});
             c.insertText("anchor");
             c.openFrame({});
             c.openTextBox({});
             paragraph(c, "boxed");
             c.closeTextBox();
             c.closeFrame();
             c.closeParagraph();
             paragraph(c, "next");
         },
         "anchor\nboxed\nnext\n"},
        {"headers, footers and comments only when asked", headerAndComment, "text\n"},
        {"headers, footers and comments when asked", headerAndComment, "text\n\nhead\n\n[comment 1] remark\n",
         ReadOptions{true, true}},
        {"closes that match nothing are ignored, open stories still land",
         [](TextCollector& c) {
             c.closeTable();
             c.closeTableCell();
             c.closeFootnote();
             c.closeOrderedListLevel();
             c.openParagraph({});
             c.insertText("x");
             c.openFootnote({});
             c.openParagraph({});
             c.insertText("unfinished");
         },
         "x[1]\n\n[1] unfinished\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextBudget budget;
        TextCollector collector(c.options, budget);
        c.drive(collector);
        EXPECT_EQ(renderPlainText(collector.finish()), c.expected);
    }
}

TEST(TextCollector, TextPastTheBudgetIsNotKept)
{
    TextBudget budget(8);
    TextCollector collector({}, budget);
    paragraph(collector, "12345");
    paragraph(collector, "67890");
    EXPECT_FALSE(budget.status());
    EXPECT_EQ(renderPlainText(collector.finish()), "12345\n");
}

std::string gzip(const std::string& data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// The libraries inflate what they are given whole: compressed input is held
// to the engine's limits before they see it.
TEST(ImportLibraries, CompressedInputKeepsTheLimits)
{
    using namespace plainora::engine::testing;
    const std::string abiWord = "<?xml version=\"1.0\"?><abiword><section><p>Hello</p></section></abiword>";
    const std::string bombEntry = deflateSpacesBomb("<?xml version=\"1.0\"?><sl:document>", 600);
    ZipEntry bomb{"index.xml", bombEntry, true, 600u << 20, 0, 0};
    struct Case
    {
        const char* what;
        std::string bytes;
        bool ok;
        ErrorCode code;
    };
    const Case cases[] = {
        {"compressed AbiWord reads", gzip(abiWord), true, {}},
        {"a gzip bomb", gzip(std::string(24u << 20, ' ')), false, ErrorCode::TooLarge},
        {"a gzip stream cut short", gzip(abiWord).substr(0, 30), false, ErrorCode::Damaged},
        {"a zip bomb for the Pages library", buildZip({bomb}), false, ErrorCode::TooLarge},
    };
    const ImportLibrary libraries[] = {ImportLibrary::AbiWord, ImportLibrary::AbiWord, ImportLibrary::AbiWord,
                                       ImportLibrary::Pages};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        auto result = readWithImportLibrary(libraries[i], asBytes(cases[i].bytes), {});
        ASSERT_EQ(result.ok(), cases[i].ok) << (result.ok() ? "" : result.error().description);
        if (result.ok())
            EXPECT_EQ(renderPlainText(result.value()), "Hello\n");
        else
            EXPECT_EQ(result.error().code, cases[i].code) << result.error().description;
    }
    // Through the engine, the compressed AbiWord file is found by content.
    auto text = readDocument(asBytes(cases[0].bytes));
    ASSERT_TRUE(text.ok()) << text.error().description;
    EXPECT_EQ(renderPlainText(text.value()), "Hello\n");
}

// A document AbiWord saved (tests/data/abiword/make_fixtures.py), read to the
// text written by hand beside it.
TEST(ImportLibraries, AbiWordFixtureReadsToTheExpectedText)
{
    EXPECT_GE(
        plainora::engine::testing::expectFixtureTexts(fs::path(PLAINORA_TEST_DATA_DIR) / "abiword", {".abw"}),
        1);
}

// Real files of each library's formats: a phrase each holds, as the
// documents show it in their word processors.
TEST(ImportLibraries, ArchiveFilesGiveTheirText)
{
    const fs::path archive = fs::path(PLAINORA_CORPUS_DIR) / "archive";
    if (!fs::is_directory(archive))
        GTEST_SKIP() << "the shared corpus has no archive folder";
    const std::pair<const char*, const char*> expectations[] = {
        {"testWordPerfect.wpd", "AND FURTHER"},
        {"testWordPerfect_5_0.wp", "astronaut Shannon W. Lucid"},
        {"testWordPerfect_5_1.wp", "Western Gulf of Alaska"},
        {"testWORKS.wps", "This is an example document made with Microsoft Works Word Processor 7.0"},
        {"testWORKSWordProcessor3.0.wps", "made with Microsoft Works"},
        {"testWORKSWordProcessor4.0.wps", "made with Microsoft Works"},
        {"testStarOffice-5.2-writer.sdw", "This is an example StarOffice 5.2 document."},
        {"testMSWriteFile.wri", "Document Register"},
        {"testPages.pages", "Cell four\tCell five\tCell six"},
        {"testPagesHeadersFootersFootnotes.pages", "customer bases[1]"},
    };
    for (const auto& [file, phrase] : expectations) {
        SCOPED_TRACE(file);
        auto text = extractText((archive / file).string());
        ASSERT_TRUE(text.ok()) << text.error().description;
        EXPECT_NE(text.value().find(phrase), std::string::npos) << text.value().substr(0, 400);
    }
}

} // namespace
