#pragma once
// Helpers shared by the engine's reader tests: fixture files, golden
// comparisons of a fixture folder, and the shared corpus manifest.

#include "engine/Engine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine::testing {

inline std::string readTestFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Expects actual to be the golden file's text. With PLAINORA_ACCEPT_GOLDEN=1
// in the environment it rewrites the golden file instead: a deliberate
// change of layout is accepted in one run, then reviewed with git diff.
inline void expectGolden(const std::string& actual, const std::filesystem::path& golden)
{
    const char* accept = std::getenv("PLAINORA_ACCEPT_GOLDEN");
    if (accept && std::string_view(accept) == "1") {
        if (!std::filesystem::exists(golden) || readTestFile(golden) != actual)
            std::ofstream(golden, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(actual, readTestFile(golden)) << golden.filename();
}

// Converts every file of folder whose extension is listed, through the
// format sniffer as a user's file would be, and expects the text of the
// .txt file beside it (NAME.txt for a writer's source NAME.source.EXT too).
// Returns how many files were compared.
inline int expectFixtureTexts(const std::filesystem::path& folder,
                              std::initializer_list<std::string_view> extensions)
{
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        bool listed = false;
        for (std::string_view wanted : extensions)
            listed = listed || extension == wanted;
        if (!listed)
            continue;
        std::filesystem::path expected = entry.path();
        expected.replace_extension();
        if (expected.extension() == ".source")
            expected.replace_extension();
        expected += ".txt";
        EXPECT_TRUE(std::filesystem::exists(expected)) << expected;
        auto text = extractText(entry.path().string());
        EXPECT_TRUE(text.ok()) << entry.path() << ": " << (text.ok() ? "" : text.error().description);
        if (text.ok())
            expectGolden(text.value(), expected);
        ++checked;
    }
    return checked;
}

// Seed and duration of the mutation tests: fixed and short in the suite;
// PLAINORA_FUZZ_SEED and PLAINORA_FUZZ_SECONDS make longer, other runs.
inline unsigned fuzzSeed(unsigned fallback)
{
    const char* seed = std::getenv("PLAINORA_FUZZ_SEED");
    return seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : fallback;
}

inline int fuzzSeconds(int fallback)
{
    const char* seconds = std::getenv("PLAINORA_FUZZ_SECONDS");
    return seconds ? std::atoi(seconds) : fallback;
}

struct CorpusEntry
{
    std::string features;
    std::string expect; // ok, encrypted, corrupt, unsupported-old-format, mislabelled:...
};

// MANIFEST.tsv of the shared corpus: file path -> features and expectation.
inline std::map<std::string, CorpusEntry> readCorpusManifest(const std::filesystem::path& corpus)
{
    std::map<std::string, CorpusEntry> rows;
    std::ifstream in(corpus / "MANIFEST.tsv");
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> columns;
        std::stringstream fields(line);
        std::string column;
        while (std::getline(fields, column, '\t'))
            columns.push_back(column);
        if (columns.size() >= 7)
            rows[columns[0]] = {columns[5], columns[6]};
    }
    return rows;
}

} // namespace plainora::engine::testing
