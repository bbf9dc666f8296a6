// The import module as the engine loads it: found where the engine looks,
// and when it is missing or no module of this build, only its formats fail,
// with the error that says what to reinstall.

#include "engine/ImportModule.h"

#include "engine/Engine.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace plainora::engine;
namespace fs = std::filesystem;

namespace {

const fs::path kArchive = fs::path(PLAINORA_CORPUS_DIR) / "archive";

class ImportModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::is_directory(kArchive))
            GTEST_SKIP() << "the shared corpus has no archive folder";
    }
    void TearDown() override { useImportModuleAt({}); }
};

TEST_F(ImportModule, IsFoundWhereTheEngineLooks)
{
    auto text = extractText((kArchive / "testWordPerfect.wpd").string());
    ASSERT_TRUE(text.ok()) << text.error().description;
    EXPECT_NE(text.value().find("AND FURTHER"), std::string::npos);
}

TEST_F(ImportModule, WithoutAUsableModuleOnlyItsFormatsFail)
{
    const std::pair<const char*, std::string> places[] = {
        {"no file", "/nonexistent/plainora-import.so"},
        {"not a shared object", (kArchive / "testWordPerfect.wpd").string()},
        {"a shared object without the entry", PLAINORA_LIBRARY_PATH},
    };
    const std::string rtf = "{\\rtf1\\ansi Plain {\\b text}\\par}";
    for (const auto& [what, path] : places) {
        SCOPED_TRACE(what);
        useImportModuleAt(path);

        auto wordPerfect = extractText((kArchive / "testWordPerfect.wpd").string());
        ASSERT_FALSE(wordPerfect.ok());
        EXPECT_EQ(wordPerfect.error().code, ErrorCode::ModuleMissing);
        EXPECT_GT(wordPerfect.error().number(), 0);
        EXPECT_NE(wordPerfect.error().description.find("(plainora-import.so) is missing"), std::string::npos);
        EXPECT_NE(wordPerfect.error().description.find("Reinstall Plainora"), std::string::npos);

        // A Works file is a compound file too: the Word reader's verdict
        // stands, with the reason the libraries were not asked.
        auto works = extractText((kArchive / "testWORKS.wps").string());
        ASSERT_FALSE(works.ok());
        EXPECT_EQ(works.error().code, ErrorCode::NotAWordDocument);
        EXPECT_NE(works.error().description.find("Reinstall Plainora"), std::string::npos);

        auto plain = readDocument(asBytes(rtf));
        ASSERT_TRUE(plain.ok()) << plain.error().description;
        auto docx = extractText(PLAINORA_DOCX_PATH);
        EXPECT_TRUE(docx.ok()) << docx.error().description;
    }
}

} // namespace
