// Every file of the shared corpus, whatever its folder or name, goes through
// the format sniffer as a user's file would, and ends as its manifest says:
// text, a password-protected refusal, a clean failure, never a crash.

#include "EngineTestData.h"
#include "PlainTextWriter.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>

namespace fs = std::filesystem;
using namespace plainora::engine;
using plainora::engine::testing::readCorpusManifest;

namespace {

const fs::path kCorpus(PLAINORA_CORPUS_DIR);

// Readable files with text in them that the layout leaves out.
const std::set<std::string> kWithoutText{
    "doc/equation.doc",    // an equation object only
    "docx/Tika-792.docx",  // every character is a tracked deletion or move-away
    "rtf/simplepng.rtf",   // a picture only
    "rtf/simplepngbin.rtf" // a picture only, as \bin data
};

// The manifest's "chars=N" counts the main text; a document of at most one
// character (its final paragraph mark) has no text to give.
bool manifestSaysEmpty(const std::string& features)
{
    const auto at = features.find("chars=");
    return at != std::string::npos && std::stol(features.substr(at + 6)) <= 1;
}

} // namespace

TEST(CorpusManifest, EveryFileEndsAsItsManifestSays)
{
    ASSERT_TRUE(fs::is_directory(kCorpus)) << "the shared corpus is not at " << kCorpus << " (set PLAINORA_CORPUS_DIR)";
    const auto manifest = readCorpusManifest(kCorpus);
    ASSERT_GT(manifest.size(), 250u);
    for (const auto& [file, entry] : manifest) {
        SCOPED_TRACE(file + " (" + entry.expect + ")");
        auto text = extractText((kCorpus / file).string(), ReadOptions{true, true});
        if (!text.ok()) {
            EXPECT_GT(text.error().number(), 0);
            EXPECT_FALSE(text.error().description.empty());
        }
        if (entry.expect == "ok" || entry.expect.starts_with("mislabelled:")) {
            ASSERT_TRUE(text.ok()) << text.error().description;
            if (!kWithoutText.contains(file) && !manifestSaysEmpty(entry.features)) {
                EXPECT_NE(text.value().find_first_not_of(" \t\r\n"), std::string::npos) << "no text";
            }
        } else if (entry.expect == "encrypted") {
            ASSERT_FALSE(text.ok());
            EXPECT_EQ(text.error().code, ErrorCode::PasswordProtected);
            EXPECT_NE(text.error().description.find("password-protected"), std::string::npos);
        } else if (entry.expect == "unsupported-old-format") {
            EXPECT_TRUE(text.ok() || text.error().code == ErrorCode::UnsupportedOldFormat);
        } else {
            EXPECT_EQ(entry.expect, "corrupt");
        }
    }
}

namespace {

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// The longest line a paragraph of these blocks can give (a break ends a line),
// wherever the paragraph sits: in a cell, in a nested table, in a note.
std::size_t longestParagraphLine(const std::vector<Block>& blocks, std::size_t prefix = 0)
{
    std::size_t longest = 0;
    for (const Block& block : blocks) {
        if (block.kind == Block::Kind::Table) {
            for (const TableRow& row : block.rows)
                for (const TableCell& cell : row.cells)
                    longest = std::max(longest, longestParagraphLine(cell.blocks));
            continue;
        }
        std::string_view text = block.text;
        for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1))
            longest = std::max(longest, characterCount(text.substr(0, end)) + prefix);
        longest = std::max(longest, characterCount(text) + prefix);
        prefix = 0; // a note's mark stands before its first line only
    }
    return longest;
}

} // namespace

// A document laid out in tables must not come out as a few enormous lines: no
// line is longer than the document's longest paragraph, or 2,000 characters.
TEST(CorpusManifest, NoLineIsLongerThanTheLongestParagraph)
{
    ASSERT_TRUE(fs::is_directory(kCorpus)) << "the shared corpus is not at " << kCorpus << " (set PLAINORA_CORPUS_DIR)";
    std::size_t checked = 0;
    for (const auto& [file, entry] : readCorpusManifest(kCorpus)) {
        auto document = readDocumentFile((kCorpus / file).string(), ReadOptions{true, true});
        if (!document.ok())
            continue;
        const Document& model = document.value();
        std::size_t longest = longestParagraphLine(model.body);
        for (const auto& blocks : model.headersFooters)
            longest = std::max(longest, longestParagraphLine(blocks));
        for (const auto* notes : {&model.footnotes, &model.endnotes})
            for (const Note& note : *notes)
                longest = std::max(longest, longestParagraphLine(note.blocks, note.mark.size() + 3));
        for (const Note& comment : model.comments)
            longest = std::max(longest, longestParagraphLine(comment.blocks, comment.mark.size() + 11));
        const std::size_t allowed = std::max<std::size_t>(longest, 2000);
        const std::string text = renderPlainText(model);
        std::string_view rest = text;
        std::size_t line = 1;
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
             rest.remove_prefix(end + 1), ++line)
            EXPECT_LE(characterCount(rest.substr(0, end)), allowed) << file << " line " << line;
        ++checked;
    }
    EXPECT_GT(checked, 250u);
}
