// The one conversion chain of every front end: the text file it writes holds
// the bytes it gives in memory, the hook before the write runs once with the
// old file still in place, the file takes the umask as any user file does,
// and a failure writes nothing.

#include "EngineTestData.h"
#include "engine/Engine.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace plainora::engine;
using plainora::engine::testing::readTestFile;
namespace fs = std::filesystem;

namespace {

const fs::path kSource = fs::path(PLAINORA_TEST_DATA_DIR) / "docx" / "paragraphs.docx";

class ConversionChain : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "plainora-chain-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

} // namespace

TEST_F(ConversionChain, FileAndMemoryHoldTheSameText)
{
    const std::string golden = readTestFile(fs::path(kSource).replace_extension(".txt"));
    ConverterOptions crlf;
    crlf.output.lineEnd = LineEnd::CrLf;
    for (const ConverterOptions& options : {ConverterOptions{}, crlf}) {
        auto fromPath = convertToMemory(kSource.string(), options);
        ASSERT_TRUE(fromPath) << fromPath.error().description;
        const std::string bytes = readTestFile(kSource);
        auto fromBytes = convertToMemory(asBytes(bytes), options);
        ASSERT_TRUE(fromBytes) << fromBytes.error().description;
        EXPECT_EQ(fromBytes.value().bytes, fromPath.value().bytes);

        const fs::path output = m_folder / "out.txt";
        std::ofstream(output) << "old";
        int calls = 0;
        auto written = convertToFile(kSource.string(), output.string(), options, [&] {
            ++calls;
            EXPECT_EQ(readTestFile(output), "old");
        });
        ASSERT_TRUE(written) << written.error().description;
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(readTestFile(output), fromPath.value().bytes);
    }
    EXPECT_EQ(convertToMemory(kSource.string(), {}).value().bytes, golden);
    std::string goldenCrLf;
    for (char c : golden)
        goldenCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(convertToMemory(kSource.string(), crlf).value().bytes, goldenCrLf);
}

TEST_F(ConversionChain, TheTextFileTakesTheUmaskAndNoTemporaryFileStays)
{
    const fs::path output = m_folder / "out.txt";
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}, mode_t{0}}) {
        const mode_t previous = ::umask(mask);
        auto written = convertToFile(kSource.string(), output.string(), {});
        ::umask(previous);
        ASSERT_TRUE(written) << written.error().description;
        struct stat info
        {
        };
        ASSERT_EQ(::stat(output.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"out.txt"});
    }
}

TEST_F(ConversionChain, AFailureWritesNothingAndSkipsTheHook)
{
    ConverterOptions unknownEncoding;
    unknownEncoding.output.encoding = "NO-SUCH-CHARSET";
    const struct
    {
        fs::path source;
        ConverterOptions options;
        ErrorCode code;
    } cases[] = {
        {m_folder / "missing.docx", {}, ErrorCode::FileNotFound},
        {kSource, unknownEncoding, ErrorCode::EncodingFailed},
    };
    for (const auto& c : cases) {
        const fs::path output = m_folder / "out.txt";
        int calls = 0;
        auto written = convertToFile(c.source.string(), output.string(), c.options, [&] { ++calls; });
        ASSERT_FALSE(written) << c.source;
        EXPECT_EQ(written.error().code, c.code) << written.error().description;
        EXPECT_EQ(calls, 0);
        EXPECT_FALSE(fs::exists(output));
        auto inMemory = convertToMemory(c.source.string(), c.options);
        ASSERT_FALSE(inMemory);
        EXPECT_EQ(inMemory.error().code, c.code);
    }
}

// Jobs writing into one folder at once, some replacing earlier files: each
// file holds its text with the mode the umask gives, and nothing else stays.
TEST_F(ConversionChain, ParallelWritersIntoOneFolderEachGetTheirWholeFile)
{
    // A small document, so that the writes meet.
    const fs::path source = m_folder / "source.txt";
    std::ofstream(source) << "A line of text.\n";
    const fs::path out = m_folder / "out";
    fs::create_directory(out);
    constexpr int kThreads = 4;
    constexpr int kFiles = 400;
    std::vector<std::string> names;
    for (int i = 0; i < kFiles; ++i) {
        names.push_back("out" + std::to_string(i) + ".txt");
        if (i % 2 == 0)
            std::ofstream(out / names.back()) << "old";
    }
    const mode_t mask = ::umask(022);
    std::vector<std::string> failures(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int i = t; i < kFiles; i += kThreads)
                    if (auto written = convertToFile(source.string(), (out / names[i]).string(), {});
                        !written)
                        failures[t] += written.error().description;
            });
    }
    ::umask(mask);
    EXPECT_EQ(failures, std::vector<std::string>(kThreads));
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(out)) {
        found.push_back(entry.path().filename().string());
        EXPECT_EQ(readTestFile(entry.path()), "A line of text.\n") << found.back();
        struct stat info
        {
        };
        ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0644u) << found.back();
    }
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
}

// Small files are read and large ones mapped: around the size where one
// gives way to the other, the file gives the text its bytes give.
TEST_F(ConversionChain, FilesOfEverySizeGiveTheTextOfTheirBytes)
{
    const std::string line(63, 'x');
    for (const std::size_t size : {std::size_t{1}, std::size_t{1 << 20} - 1, std::size_t{1 << 20},
                                   std::size_t{1 << 20} + 1, std::size_t{3} << 20}) {
        std::string bytes;
        while (bytes.size() + line.size() + 1 <= size)
            bytes += line + "\n";
        bytes.resize(size, 'y');
        const fs::path file = m_folder / "text.txt";
        std::ofstream(file, std::ios::binary) << bytes;
        auto fromFile = convertToMemory(file.string(), {});
        auto fromBytes = convertToMemory(asBytes(bytes), {});
        ASSERT_TRUE(fromFile) << size << ": " << fromFile.error().description;
        ASSERT_TRUE(fromBytes) << size;
        EXPECT_TRUE(fromFile.value().bytes == fromBytes.value().bytes) << size;
        EXPECT_GE(fromFile.value().bytes.size(), size - size / 64 - 1) << size;
    }
}
