#include "DocTestSupport.h"
#include "engine/Engine.h"
#include "engine/FormatSniffer.h"
#include "engine/PlainTextWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace plainora::engine;
using namespace plainora::engine::test;

// Every compound-file and old-Word file of the shared corpus converts as its
// MANIFEST says: ok gives text, encrypted fails as password-protected,
// corrupt fails cleanly or gives partial text, old formats give text or the
// clear old-version description. Nothing crashes or hangs.
TEST(DocCorpus, ConvertsEveryWordBinaryFileAsTheManifestExpects)
{
    const std::filesystem::path corpus = PLAINORA_CORPUS_DIR;
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    ASSERT_TRUE(manifest) << "no corpus at " << corpus << " (set PLAINORA_CORPUS_DIR)";
    std::string line;
    std::getline(manifest, line); // header
    int checked = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::stringstream fields(line);
        for (std::string column; std::getline(fields, column, '\t');)
            columns.push_back(column);
        if (columns.size() < 7 || !(columns[0].starts_with("doc/") || columns[0].starts_with("odd/")))
            continue;
        const std::string& file = columns[0];
        const std::string& expect = columns[6];
        const auto bytes = readBytes((corpus / file).string());
        const Format format = sniffFormat(bytes).format;
        if (format != Format::CompoundFile && format != Format::WordForDos)
            continue; // .docx and others belong to other readers' sweeps
        ++checked;
        auto document = readDocument(bytes);
        if (document)
            renderPlainText(document.value());
        if (expect == "ok" || expect.starts_with("mislabelled")) {
            ASSERT_TRUE(document.ok()) << file << ": " << document.error().description;
            EXPECT_FALSE(renderPlainText(document.value()).empty()) << file;
        } else if (expect == "encrypted") {
            ASSERT_FALSE(document.ok()) << file;
            EXPECT_EQ(document.error().code, ErrorCode::PasswordProtected) << file;
            EXPECT_NE(document.error().description.find("password-protected"), std::string::npos) << file;
        } else if (expect == "unsupported-old-format") {
            if (!document.ok()) {
                EXPECT_EQ(document.error().code, ErrorCode::UnsupportedOldFormat) << file;
                EXPECT_NE(document.error().description.find("old version of Word"), std::string::npos)
                    << file;
            }
        } else if (!document.ok()) { // corrupt
            EXPECT_GT(document.error().number(), 0) << file;
            EXPECT_FALSE(document.error().description.empty()) << file;
        }
    }
    EXPECT_GT(checked, 90);
}

// Real files whose paragraph properties are found only by matching their
// runs to the marks in order: each keeps these lines, written from the
// document as Word shows it.
TEST(DocCorpus, KeepsTheTablesOfFilesWhosePropertyOffsetsDisagreeWithTheText)
{
    const std::filesystem::path corpus = PLAINORA_CORPUS_DIR;
    const struct
    {
        const char* file;
        std::vector<std::string> lines;
    } cases[] = {
        {"doc/Bug48075.doc",
         {"Приложение №2", "Вид страхования\tдобровольное", "Срок страхования \tРавен сроку кредитования",
          "Страховая выплата\t100 % страховой суммы "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto bytes = readBytes((corpus / c.file).string());
        ASSERT_FALSE(bytes.empty()) << "no corpus at " << corpus << " (set PLAINORA_CORPUS_DIR)";
        auto document = readDocument(bytes);
        ASSERT_TRUE(document.ok()) << document.error().description;
        const std::string text = "\n" + renderPlainText(document.value());
        for (const auto& line : c.lines)
            EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line;
    }
}
