// The public corpus: every OOXML file of docx/ and odd/ reads without a
// crash or a hang; those the MANIFEST calls ok give text, the damaged and
// encrypted ones fail with a description.

#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace plainora::engine;
namespace fs = std::filesystem;

namespace {

struct CorpusFile
{
    std::string file;
    std::string features;
    std::string expect;
};

std::vector<CorpusFile> ooxmlRows(const fs::path& corpus)
{
    std::vector<CorpusFile> rows;
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line); // header
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::stringstream split(line);
        std::string column;
        while (std::getline(split, column, '\t'))
            columns.push_back(column);
        if (columns.size() < 7)
            continue;
        const std::string& file = columns[0];
        const std::string extension = fs::path(file).extension().string();
        const bool ooxmlName =
            extension == ".docx" || extension == ".docm" || extension == ".dotx" || extension == ".dotm";
        if (columns[6] == "mislabelled:docx" || (ooxmlName && columns[6] != "mislabelled:doc"))
            rows.push_back({file, columns[5], columns[6]});
    }
    return rows;
}

TEST(DocxCorpus, EveryOoxmlFileReadsOrFailsAsTheManifestSays)
{
    const fs::path corpus(PLAINORA_CORPUS_DIR);
    ASSERT_TRUE(fs::exists(corpus / "MANIFEST.tsv"))
        << "no corpus at " << corpus << " (set PLAINORA_CORPUS_DIR)";
    const std::vector<CorpusFile> rows = ooxmlRows(corpus);
    ASSERT_GT(rows.size(), 100u);
    for (const CorpusFile& row : rows) {
        SCOPED_TRACE(row.file);
        auto text = extractText((corpus / row.file).string());
        if (row.expect == "ok" || row.expect == "mislabelled:docx") {
            ASSERT_TRUE(text.ok()) << text.error().description;
            // Tika-792's only characters are tracked as deleted or moved away.
            if (row.features.find("chars=0") == std::string::npos && row.file != "docx/Tika-792.docx") {
                EXPECT_NE(text.value().find_first_not_of(" \t\n"), std::string::npos) << "no text";
            }
        } else if (row.expect == "encrypted") {
            // Encrypted packages are compound files; their reader says why.
            ASSERT_FALSE(text.ok());
            EXPECT_GT(text.error().number(), 0);
        } else {
            ASSERT_FALSE(text.ok()) << "read a file the manifest calls " << row.expect;
            EXPECT_EQ(text.error().code, ErrorCode::Damaged) << text.error().description;
        }
    }
}

// Known contents of a few corpus files, one per construct the fixtures
// cannot show as a real Word file would write it.
TEST(DocxCorpus, RealWordFilesGiveTheirKnownText)
{
    const fs::path corpus(PLAINORA_CORPUS_DIR);
    ASSERT_TRUE(fs::exists(corpus / "MANIFEST.tsv"))
        << "no corpus at " << corpus << " (set PLAINORA_CORPUS_DIR)";
    auto text = [&](const char* file) {
        auto result = extractText((corpus / file).string());
        return result.ok() ? result.value() : "ERROR: " + result.error().description;
    };
    EXPECT_EQ(text("docx/strict-format.docx"), "Test\n");
    EXPECT_EQ(text("docx/mammoth_footnotes.docx"),
              "Ouch[1].[2]\n\n[1] A tachyon walks into a bar.\n[2] Fin.\n");
    EXPECT_EQ(text("docx/test13.docx"),
              "Endnotes and footnotes test\n\nParagraph 1[1]\n\nParagraph 2[i]\n\n[1] This is a footnote\n"
              "[i] This is an endnote\n");
    const std::string boxes = text("docx/checkboxes.docx");
    EXPECT_NE(boxes.find("unchecked: [ ]"), std::string::npos) << boxes;
    EXPECT_NE(boxes.find("[X][ ][X]"), std::string::npos) << boxes;
    const std::string numbering = text("docx/Numbering.docx");
    EXPECT_NE(numbering.find("1.1.\tLevel2"), std::string::npos) << numbering;
    EXPECT_NE(numbering.find("\u2022\tLevel 1"), std::string::npos) << numbering;
    // The external entity is declared but never fetched.
    EXPECT_EQ(text("docx/ExternalEntityInText.docx").find("poi.apache.org"), std::string::npos);
}

} // namespace
