// Every fixture of tests/data/docx (one feature each, made by
// make_fixtures.py) reads to its expected text; name.all.txt, where present,
// is the text with headers, footers and comments asked for.

#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace plainora::engine;
using plainora::engine::testing::expectGolden;
namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(PLAINORA_TEST_DATA_DIR) / "docx";

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> fixtureNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        const fs::path& path = entry.path();
        if ((path.extension() == ".docx" || path.extension() == ".xml") &&
            fs::exists(fs::path(path).replace_extension(".txt")))
            names.push_back(path.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class DocxGolden : public ::testing::TestWithParam<std::string>
{
};

TEST_P(DocxGolden, ReadsToTheExpectedText)
{
    const fs::path document = kFixtures / GetParam();
    auto text = extractText(document.string());
    ASSERT_TRUE(text.ok()) << text.error().description;
    expectGolden(text.value(), fs::path(document).replace_extension(".txt"));

    const fs::path all = fs::path(document).replace_extension(".all.txt");
    if (fs::exists(all)) {
        ReadOptions options;
        options.includeHeadersFooters = true;
        options.includeComments = true;
        auto withAll = extractText(document.string(), options);
        ASSERT_TRUE(withAll.ok()) << withAll.error().description;
        expectGolden(withAll.value(), all);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DocxGolden, ::testing::ValuesIn(fixtureNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

TEST(DocxGolden, FixturesArePresent)
{
    EXPECT_GE(fixtureNames().size(), 15u);
}

// The format comes from the content: a package under a .doc name is read as
// OOXML.
TEST(DocxContent, PackageUnderAnotherNameIsStillRead)
{
    const std::string bytes = slurp(kFixtures / "paragraphs.docx");
    auto document = readDocument(asBytes(bytes));
    ASSERT_TRUE(document.ok()) << document.error().description;
    EXPECT_EQ(renderPlainText(document.value()), slurp(kFixtures / "paragraphs.txt"));
}

} // namespace
