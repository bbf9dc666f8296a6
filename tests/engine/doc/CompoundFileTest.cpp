#include "DocTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

using namespace plainora::engine;
using namespace plainora::engine::test;
using doc::CompoundFile;

namespace {

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7);
    return data;
}

CfbLayout sample()
{
    return buildCompoundFile({{"Small", pattern(100, 1)},
                              {"Large", pattern(10000, 2)},
                              {"Other", pattern(700, 3)},
                              {"Empty", {}}});
}

} // namespace

TEST(CompoundFile, ReadsStreamsFromTheMiniStreamAndFromRegularSectors)
{
    const CfbLayout layout = sample();
    auto file = CompoundFile::open(layout.bytes);
    ASSERT_TRUE(file.ok()) << file.error().description;
    // An empty stream's start sector is meaningless and never followed.
    for (const auto& [name, expected] :
         {std::pair{"Small", pattern(100, 1)}, std::pair{"Large", pattern(10000, 2)},
          std::pair{"Other", pattern(700, 3)}, std::pair{"Empty", pattern(0, 0)}}) {
        const auto id = file.value().find(CompoundFile::kRoot, name);
        ASSERT_TRUE(id.has_value()) << name;
        auto data = file.value().readStream(*id);
        ASSERT_TRUE(data.ok()) << data.error().description;
        EXPECT_EQ(data.value().copy(), expected) << name;
    }
    // Names compare without regard to case, as some writers store them lower case.
    EXPECT_TRUE(file.value().find(CompoundFile::kRoot, "large").has_value());
    EXPECT_FALSE(file.value().find(CompoundFile::kRoot, "Missing").has_value());
}

struct Damage
{
    const char* name;
    std::function<void(CfbLayout&)> apply;
    bool failsOnOpen; // otherwise reading "Large" fails
    const char* says;
};

TEST(CompoundFile, RefusesDamagedStructuresWithADescription)
{
    const std::vector<Damage> cases = {
        {"stream chain loops",
         [](CfbLayout& l) {
             putU32(l.bytes, l.fatEntryOffset(l.streamFirstSector[1] + 3), l.streamFirstSector[1]);
         },
         false, "loops"},
        {"stream chain leaves the file",
         [](CfbLayout& l) { putU32(l.bytes, l.fatEntryOffset(l.streamFirstSector[1]), 0x00FFFFF0); }, false,
         "beyond the end"},
        {"stream chain ends early",
         [](CfbLayout& l) { putU32(l.bytes, l.fatEntryOffset(l.streamFirstSector[1] + 1), 0xFFFFFFFE); },
         false, "shorter"},
        {"stream size beyond the file",
         [](CfbLayout& l) { putU32(l.bytes, l.directoryEntryOffset(2) + 0x78, 0x7FFFFFF0); }, false,
         "larger than the whole file"},
        {"directory chain loops",
         [](CfbLayout& l) {
             putU32(l.bytes, l.fatEntryOffset(l.firstDirectorySector), l.firstDirectorySector);
         },
         true, "loops"},
        {"directory starts beyond the file", [](CfbLayout& l) { putU32(l.bytes, 0x30, 0x10000); }, true,
         "beyond the end"},
        {"absurd FAT sector count", [](CfbLayout& l) { putU32(l.bytes, 0x2C, 0xFFFFFFF0); }, true,
         "claims more"},
        {"FAT sector outside the file", [](CfbLayout& l) { putU32(l.bytes, 0x4C, 0x00FFFFFF); }, true,
         "beyond the end"},
        {"unknown sector size", [](CfbLayout& l) { putU16(l.bytes, 0x1E, 16); }, true, "sector size"},
        {"mini stream chain loops",
         [](CfbLayout& l) {
             putU32(l.bytes, l.fatEntryOffset(l.firstMiniStreamSector), l.firstMiniStreamSector);
         },
         true, "loops"},
    };
    for (const Damage& damage : cases) {
        CfbLayout layout = sample();
        damage.apply(layout);
        auto file = CompoundFile::open(layout.bytes);
        Error error{ErrorCode::Damaged, {}};
        if (damage.failsOnOpen) {
            ASSERT_FALSE(file.ok()) << damage.name;
            error = file.error();
        } else {
            ASSERT_TRUE(file.ok()) << damage.name << ": " << file.error().description;
            auto data = file.value().readStream(*file.value().find(CompoundFile::kRoot, "Large"));
            ASSERT_FALSE(data.ok()) << damage.name;
            error = data.error();
        }
        EXPECT_EQ(error.code, ErrorCode::Damaged) << damage.name;
        EXPECT_NE(error.description.find(damage.says), std::string::npos)
            << damage.name << ": " << error.description;
    }
}

TEST(CompoundFile, WalksADirectoryTreeWithLoopsOnce)
{
    CfbLayout layout = sample();
    // Entry 3 points back at entry 1 and at itself.
    putU32(layout.bytes, layout.directoryEntryOffset(3) + 0x48, 1);
    putU32(layout.bytes, layout.directoryEntryOffset(3) + 0x44, 3);
    putU32(layout.bytes, layout.directoryEntryOffset(2) + 0x4C, 0); // a stream "containing" the root
    auto file = CompoundFile::open(layout.bytes);
    ASSERT_TRUE(file.ok());
    // Entries 1-3 once each; entry 4, linked from entry 3 before, is cut off.
    EXPECT_EQ(file.value().children(CompoundFile::kRoot).size(), 3u);
    EXPECT_FALSE(file.value().find(CompoundFile::kRoot, "Missing").has_value());
}

TEST(CompoundFile, RefusesALoopInTheDifat)
{
    // 250 sectors, so that a FAT count beyond the 109 header slots is
    // plausible; the one DIFAT sector names itself as its successor.
    CfbLayout layout = buildCompoundFile({{"Big", pattern(250 * 512, 5)}});
    const std::uint32_t difat = layout.streamFirstSector[0];
    for (std::uint32_t i = 0; i < 109; ++i)
        putU32(layout.bytes, 0x4C + 4 * i, 0);
    for (std::uint32_t i = 0; i < 127; ++i)
        putU32(layout.bytes, layout.sectorOffset(difat) + 4 * i, 0);
    putU32(layout.bytes, layout.sectorOffset(difat) + 4 * 127, difat);
    putU32(layout.bytes, 0x2C, 109 + 127 + 5);
    putU32(layout.bytes, 0x44, difat);
    putU32(layout.bytes, 0x48, 2);
    auto file = CompoundFile::open(layout.bytes);
    ASSERT_FALSE(file.ok());
    EXPECT_NE(file.error().description.find("DIFAT"), std::string::npos) << file.error().description;
}

TEST(CompoundFile, FailsCleanlyOnEveryTruncation)
{
    const CfbLayout layout = sample();
    for (std::size_t size = 0; size < layout.bytes.size(); size += 97) {
        const std::vector<std::uint8_t> cut(layout.bytes.begin(), layout.bytes.begin() + size);
        auto file = CompoundFile::open(cut);
        if (!file.ok()) {
            EXPECT_EQ(file.error().code, ErrorCode::Damaged);
            continue;
        }
        for (std::uint32_t id : file.value().children(CompoundFile::kRoot)) {
            auto data = file.value().readStream(id);
            EXPECT_TRUE(data.ok() || !data.error().description.empty());
        }
    }
}

// A version 4 file (4096-byte sectors) whose directory chain is one sector
// longer than the largest directory read: the limit is met before any entry
// is parsed, and the user learns why.
TEST(CompoundFile, RefusesADirectoryBeyondTheLimit)
{
    constexpr std::uint32_t kSector = 4096;
    constexpr std::uint32_t kEntriesPerSector = kSector / 128;
    constexpr std::uint32_t kDirectorySectors = (1u << 20) / kEntriesPerSector + 1;
    constexpr std::uint32_t kFatEntriesPerSector = kSector / 4;
    constexpr std::uint32_t kFatSectors =
        (kDirectorySectors + 40 + kFatEntriesPerSector - 1) / kFatEntriesPerSector;
    constexpr std::uint32_t kTotalSectors = kFatSectors + kDirectorySectors;
    std::vector<std::uint8_t> bytes(std::size_t{kTotalSectors + 1} * kSector, 0);
    putCfbHeader(bytes, 4, kFatSectors, kFatSectors /* the directory follows the FAT */, 0xFFFFFFFE, 0);
    auto fatEntry = [&](std::uint32_t sector) {
        return std::size_t{sector / kFatEntriesPerSector + 1} * kSector + 4 * (sector % kFatEntriesPerSector);
    };
    for (std::uint32_t i = 0; i < kFatSectors; ++i)
        putU32(bytes, fatEntry(i), 0xFFFFFFFD);
    for (std::uint32_t i = kFatSectors; i < kTotalSectors; ++i)
        putU32(bytes, fatEntry(i), i + 1 < kTotalSectors ? i + 1 : 0xFFFFFFFE);
    for (std::uint32_t i = kTotalSectors; i < kFatSectors * kFatEntriesPerSector; ++i)
        putU32(bytes, fatEntry(i), 0xFFFFFFFF);
    // A valid root entry, so that only the size can be refused.
    putU16(bytes, std::size_t{kFatSectors + 1} * kSector + 0x40, 0);
    bytes[std::size_t{kFatSectors + 1} * kSector + 0x42] = 5;

    auto file = CompoundFile::open(bytes);
    ASSERT_FALSE(file.ok());
    EXPECT_EQ(file.error().code, ErrorCode::Damaged);
    EXPECT_NE(file.error().description.find("directory is absurdly large"), std::string::npos)
        << file.error().description;
}
