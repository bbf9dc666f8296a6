#include "FuzzTargets.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <string>

namespace fs = std::filesystem;

namespace plainora::fuzz {
// Test names and failure messages show the target's name.
void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.name;
}
} // namespace plainora::fuzz

class FuzzRegression : public ::testing::TestWithParam<plainora::fuzz::Target>
{
};

TEST_P(FuzzRegression, EveryFindingKeepsTheContract)
{
    const auto& target = GetParam();
    const fs::path dir = fs::path(PLAINORA_FUZZ_FINDINGS_DIR) / std::string(target.name);
    if (!fs::is_directory(dir))
        GTEST_SKIP() << "no findings recorded for " << target.name;
    int replayed = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
            << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0) << dir;
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzRegression, ::testing::ValuesIn(plainora::fuzz::targets()),
                         [](const auto& info) { return std::string(info.param.name); });
