#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/Limits.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

// A document that holds only pictures has no text to give.
bool onlyPictures(const std::string& features)
{
    std::stringstream words(features);
    std::string word;
    while (words >> word) {
        if (word != "pictures" && word != "bin-data")
            return false;
    }
    return true;
}

} // namespace

TEST(RtfHostileInput, DeepNestingFailsFastAndClearly)
{
    const std::string rtf = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "}";
    auto document = readRtf(asBytes(rtf), {});
    ASSERT_FALSE(document.ok());
    EXPECT_EQ(document.error().code, ErrorCode::TooLarge);
    EXPECT_NE(document.error().description.find("levels deep"), std::string::npos);

    // Nesting just within the limit reads.
    const int depth = limits::kMaxRtfGroupDepth - 2;
    const std::string deep = "{\\rtf1 " + std::string(depth, '{') + "x" + std::string(depth, '}') + "}";
    auto ok = readRtf(asBytes(deep), {});
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(renderPlainText(ok.value()), "x\n");

    // Inside a skipped destination nesting costs nothing and is allowed.
    const std::string skipped =
        "{\\rtf1 a{\\*\\junk " + std::string(100000, '{') + std::string(100000, '}') + "}b}";
    auto skippedDocument = readRtf(asBytes(skipped), {});
    ASSERT_TRUE(skippedDocument.ok());
    EXPECT_EQ(renderPlainText(skippedDocument.value()), "ab\n");
}

TEST(RtfHostileInput, AbsurdCountsAreBounded)
{
    auto textOf = [](const std::string& rtf) {
        auto document = readRtf(asBytes(rtf), {});
        EXPECT_TRUE(document.ok());
        return document.ok() ? renderPlainText(document.value()) : std::string();
    };
    EXPECT_EQ(textOf("{\\rtf1 a\\bin2147483647 xyz}"), "a\n");
    EXPECT_EQ(textOf("{\\rtf1 a\\bin-5 xyz}"), "axyz\n");
    // \uc is clamped, and the fallback never crosses a group end.
    EXPECT_EQ(textOf("{\\rtf1 {\\uc2147483647\\u233 abc}def}"), "\u00e9def\n");
    EXPECT_EQ(textOf("{\\rtf1\\u99999999999 x}"), "\uFFFD\n");
    EXPECT_EQ(textOf("{\\rtf1 " + std::string("\\") + std::string(100000, 'a') + " ok}"), "ok\n");
    // The document ends at its group's closing brace, whatever follows.
    EXPECT_EQ(textOf("{\\rtf1 before" + std::string(50000, '}') + "after}"), "before\n");
}

TEST(RtfHostileInput, TruncatedFilesReadWithoutFailing)
{
    const std::string rtf = readTestFile(fs::path(PLAINORA_TEST_DATA_DIR) / "rtf" / "table.rtf");
    for (std::size_t length = 0; length < rtf.size(); length += 97) {
        auto document = readRtf(asBytes(std::string_view(rtf).substr(0, length)), {});
        EXPECT_TRUE(document.ok()) << length;
    }
    // The text cut inside the table is still there.
    auto half = readRtf(asBytes(std::string_view(rtf).substr(0, rtf.find("Fresh") + 5)), {});
    ASSERT_TRUE(half.ok());
    EXPECT_NE(renderPlainText(half.value()).find("Apples\t3\tFresh"), std::string::npos);
}

// Mutated fixtures and corpus files (bit flips, cuts, inserted braces and
// backslashes, \bin and \u with wild numbers) never crash or hang the
// reader. A fixed seed keeps failures reproducible.
TEST(RtfHostileInput, MutatedDocumentsNeverCrash)
{
    std::vector<std::string> seeds;
    for (const auto& entry : fs::directory_iterator(fs::path(PLAINORA_TEST_DATA_DIR) / "rtf")) {
        if (entry.path().extension() == ".rtf")
            seeds.push_back(readTestFile(entry.path()));
    }
    // The corpus's smaller RTF files too.
    for (const auto& entry : fs::directory_iterator(fs::path(PLAINORA_CORPUS_DIR) / "rtf")) {
        if (entry.file_size() < 64 * 1024)
            seeds.push_back(readTestFile(entry.path()));
    }
    ASSERT_FALSE(seeds.empty());
    std::mt19937 random(fuzzSeed(20261207));
    static const char* const kInserts[] = {"{",
                                           "}",
                                           "\\",
                                           "\\bin99999 ",
                                           "\\u-1",
                                           "\\uc9999 ",
                                           "\\'",
                                           "\\*",
                                           "{\\footnote ",
                                           "\\cell",
                                           "\\nestrow",
                                           "\\row",
                                           "\\itap99 ",
                                           "{\\field{\\*\\fldinst ",
                                           "\\f9999 ",
                                           "\\par"};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(fuzzSeconds(3));
    int runs = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string input = seeds[random() % seeds.size()];
        const int edits = 1 + random() % 8;
        for (int e = 0; e < edits && !input.empty(); ++e) {
            const std::size_t at = random() % input.size();
            switch (random() % 4) {
            case 0:
                input[at] = static_cast<char>(input[at] ^ (1 << (random() % 8)));
                break;
            case 1:
                input.resize(at);
                break;
            case 2:
                input.insert(at, kInserts[random() % std::size(kInserts)]);
                break;
            default:
                input.erase(at, std::min<std::size_t>(input.size() - at, random() % 64));
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

TEST(RtfHostileInput, RandomBytesAfterAnRtfHeader)
{
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        std::string input = "{\\rtf1";
        const int length = random() % 4096;
        for (int k = 0; k < length; ++k)
            input.push_back(static_cast<char>(random() % 256));
        auto document = readRtf(asBytes(input), {});
        if (!document.ok()) { // the only expected failure: nesting beyond the limit
            EXPECT_EQ(document.error().code, ErrorCode::TooLarge);
        }
    }
}

// Every RTF file of the shared corpus reads; those the manifest says are ok
// give text (pictures-only documents have none to give).
TEST(RtfCorpus, EveryRtfFileReads)
{
    const fs::path corpus(PLAINORA_CORPUS_DIR);
    ASSERT_TRUE(fs::exists(corpus / "rtf")) << "no corpus at " << corpus << " (set PLAINORA_CORPUS_DIR)";
    const auto manifest = readCorpusManifest(corpus);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(corpus / "rtf")) {
        const std::string name = "rtf/" + entry.path().filename().string();
        auto text = extractText(entry.path().string());
        const auto row = manifest.find(name);
        const std::string expect = row == manifest.end() ? "ok" : row->second.expect;
        if (expect == "ok") {
            ASSERT_TRUE(text.ok()) << name << ": " << text.error().description;
            if (!onlyPictures(row == manifest.end() ? "" : row->second.features)) {
                EXPECT_NE(text.value().find_first_not_of(" \t\n"), std::string::npos) << name;
            }
        }
        ++files;
    }
    EXPECT_GE(files, 40);
}
