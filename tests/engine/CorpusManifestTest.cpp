// Every file of the shared corpus, whatever its folder or name, goes through
// the format sniffer as a user's file would, and ends as its manifest says:
// text, a password-protected refusal, a clean failure, never a crash.

#include "EngineTestData.h"
#include "engine/PlainTextWriter.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

void expectAsManifestSays(const std::string& file, const plainora::engine::testing::CorpusEntry& entry)
{
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

} // namespace

TEST(CorpusManifest, EveryFileEndsAsItsManifestSays)
{
    ASSERT_TRUE(fs::is_directory(kCorpus))
        << "the shared corpus is not at " << kCorpus << " (set PLAINORA_CORPUS_DIR)";
    const auto manifest = readCorpusManifest(kCorpus);
    ASSERT_GT(manifest.size(), 250u);
    for (const auto& [file, entry] : manifest)
        expectAsManifestSays(file, entry);
}

// The archive folder keeps its own manifest (other word processors' files),
// its paths relative to the corpus like the main one's.
TEST(CorpusManifest, EveryArchiveFileEndsAsItsManifestSays)
{
    if (!fs::is_directory(kCorpus / "archive"))
        GTEST_SKIP() << "the shared corpus has no archive folder at " << kCorpus;
    const auto manifest = readCorpusManifest(kCorpus / "archive");
    ASSERT_GE(manifest.size(), 18u);
    for (const auto& [file, entry] : manifest)
        expectAsManifestSays(file, entry);
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
    ASSERT_TRUE(fs::is_directory(kCorpus))
        << "the shared corpus is not at " << kCorpus << " (set PLAINORA_CORPUS_DIR)";
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

// Real documents as Word wrote them, each held to a few of its lines, read
// by hand from the document itself: the fixtures are all saved by
// LibreOffice as one UTF-16 piece, these are not.
TEST(CorpusManifest, RealWordFilesGiveTheirKnownLines)
{
    ASSERT_TRUE(fs::is_directory(kCorpus))
        << "the shared corpus is not at " << kCorpus << " (set PLAINORA_CORPUS_DIR)";
    struct KnownText
    {
        const char* file;
        const char* exercises;
        std::vector<std::string> lines;
    };
    const KnownText documents[] = {
        {"doc/simple-table.doc",
         "Word 97, one 8-bit piece, a table",
         {"This is a Word document that was created using Word 97 \u2013 SR2.  It contains a paragraph, a "
          "table "
          "consisting of 2 rows and 3 columns and a final paragraph.",
          "Cell 1,1\tCell 1,2\tCell 1,3", "Cell 2,1\tCell 2,2\tCell 2,3", "This text is below the table."}},
        {"doc/simple-list.doc",
         "Word 97, a numbered list",
         {"1.\tFirst item in list", "2.\tSecond item in list", "3.\tThird item in list",
          "This is the last paragraph."}},
        {"doc/cap.stanford.edu_profiles_viewbiosketch_facultyid=4009&name=m_maciver.doc",
         "Word 2002, three pieces, 8-bit and UTF-16",
         {"Professional Positions:",
          "December 1991 to June 1998\tAssistant Professor of Neurophysiology, Department of Anesthesia, "
          "Stanford "
          "University School of Medicine.",
          "1983\tMental Health Advisory Council of Alberta:  Research Scholarship",
          "University of Calgary, Alberta, Canada\tPhD\t1987\tNeuroscience"}},
        {"doc/Bug33519.doc",
         "Word 97, fast-saved in 421 pieces, Cyrillic, a table",
         {"\u0420\u0423\u0421\u0415\u041d\u0421\u041a\u0418 \u041a\u041b\u0423\u0411 \u0417\u0410 "
          "\u041f\u042a\u0422\u0415\u0428\u0415\u0421\u0422\u0412\u0418\u042f \u0411\u042f\u041b\u0410 "
          "\u0417\u0412\u0415\u0417\u0414\u0410",
          "0887 621 994; e-mail: biala_zvezda@abv.bg",
          "\u0412\u0438\u0442\t23,24 \u0430\u043f\u0440\u0438\u043b\t\u042f\u0441\u0435\u043d\t"
          "\u041d\u0438\u043a\u043e\u043f\u043e\u043b\t45",
          "\u0418\u0441\u043a\u044a\u0440\t6,7,8 \u043c\u0430\u0439\t\u041c\u0435\u0437\u0434\u0440\u0430\t"
          "\u0427\u0435\u0440\u0432\u0435\u043d \u0431\u0440\u044f\u0433\t65"}},
        {"rtf/rtfjs_sample.rtf",
         "Word 2003 RTF: hidden text, a bulleted list, a table, a footnote",
         {"Hi! I\u2019m a test file. This is some bold text, and some italic text, as well as some underline "
          "text. "
          "And a bit of  text. So we\u2019re going to end this paragraph here and go on to a nice little "
          "list:",
          "\u2022\tItem 3", "Next row\tNext row \tNext row", "This para has a [1]footnote.",
          "[1] This is the actual content of the footnote."}},
        {"rtf/rtfjs_wmf-and-emf.rtf",
         "Word 2003 RTF: numbered headings and lists",
         {"1\tINTRODUCTION",
          "1.\tTo validate that the technology solution meets all documented requirements.",
          "4.\tTo ensure no increase in risk to existing Postal Service infrastructure and applications.",
          "Process Owner\tManager, Business Solution Services"}},
    };
    for (const KnownText& document : documents) {
        SCOPED_TRACE(std::string(document.file) + " (" + document.exercises + ")");
        auto text = extractText((kCorpus / document.file).string());
        ASSERT_TRUE(text.ok()) << text.error().description;
        const std::string lines = "\n" + text.value();
        for (const std::string& line : document.lines)
            EXPECT_NE(lines.find("\n" + line + "\n"), std::string::npos) << "no line \"" << line << "\"";
    }
}
