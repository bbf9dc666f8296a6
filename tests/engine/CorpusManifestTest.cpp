// Every file of the shared corpus, whatever its folder or name, goes through
// the format sniffer as a user's file would, and ends as its manifest says:
// text, a password-protected refusal, a clean failure, never a crash.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "EngineTestData.h"

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
