// One document saved as .docx, as Word 97 .doc and as RTF must give the same
// text: the three readers are held to one layout.

#include "engine/Engine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace plainora::engine;

namespace {

const fs::path kFixtures = fs::path(PLAINORA_TEST_DATA_DIR) / "doc";

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fixture names that exist in all three formats.
std::vector<std::string> sharedFixtures()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        const std::string file = entry.path().filename().string();
        const std::string suffix = ".source.docx";
        if (file.size() <= suffix.size() ||
            file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string name = file.substr(0, file.size() - suffix.size());
        if (fs::exists(kFixtures / (name + ".doc")) && fs::exists(kFixtures / (name + ".rtf")))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class CrossFormat : public ::testing::TestWithParam<std::string>
{
};

TEST_P(CrossFormat, DocxDocAndRtfGiveTheSameText)
{
    const std::string name = GetParam();
    const std::string expected = slurp(kFixtures / (name + ".txt"));
    for (const char* file : {".source.docx", ".doc", ".rtf"}) {
        auto text = extractText((kFixtures / (name + file)).string());
        ASSERT_TRUE(text.ok()) << name << file << ": " << text.error().description;
        // name.rtf.txt: what the RTF save still holds where LibreOffice's
        // RTF export drops something (a check box's state).
        const fs::path own = kFixtures / (name + file + ".txt");
        EXPECT_EQ(text.value(), fs::exists(own) ? slurp(own) : expected) << name << file;
    }
    const fs::path withEverything = kFixtures / (name + ".all.txt");
    if (!fs::exists(withEverything))
        return;
    const std::string expectedAll = slurp(withEverything);
    for (const char* file : {".source.docx", ".doc", ".rtf"}) {
        auto text = extractText((kFixtures / (name + file)).string(), ReadOptions{true, true});
        ASSERT_TRUE(text.ok()) << name << file << ": " << text.error().description;
        EXPECT_EQ(text.value(), expectedAll) << name << file << " with headers, footers and comments";
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CrossFormat, ::testing::ValuesIn(sharedFixtures()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
});
