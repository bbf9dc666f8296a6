#pragma once
// Writes small version-3 compound files for tests: streams under 4096 bytes
// go to the mini stream, the others to regular sectors. The directory is a
// simple chain of right siblings, which readers must accept as a tree.
// The layout is fixed so that tests can damage known places: sector 0.. are
// the FAT, then the directory, the MiniFAT, the mini stream, the streams.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plainora::engine::test {

struct CfbStream
{
    std::string name;
    std::vector<std::uint8_t> data;

    bool operator==(const CfbStream&) const = default;
};

struct CfbLayout
{
    std::vector<std::uint8_t> bytes;
    std::uint32_t fatSectors = 0;
    std::uint32_t firstDirectorySector = 0;
    std::uint32_t firstMiniFatSector = 0;
    std::uint32_t firstMiniStreamSector = 0;
    std::vector<std::uint32_t> streamFirstSector; // regular streams; mini ones: mini sector

    std::size_t sectorOffset(std::uint32_t sector) const { return (sector + 1) * 512ull; }
    std::size_t fatEntryOffset(std::uint32_t sector) const
    {
        return sectorOffset(sector / 128) + 4 * (sector % 128);
    }
    std::size_t directoryEntryOffset(std::uint32_t id) const
    {
        return sectorOffset(firstDirectorySector + id / 4) + 128 * (id % 4);
    }
};

void putU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

// The header of a version 3 (512-byte sectors) or 4 (4096-byte sectors)
// file whose FAT fills sectors 0 .. fatSectors - 1 (at most 109 of them).
void putCfbHeader(std::vector<std::uint8_t>& bytes, std::uint16_t majorVersion, std::uint32_t fatSectors,
                  std::uint32_t firstDirectorySector, std::uint32_t firstMiniFatSector,
                  std::uint32_t miniFatSectors);

CfbLayout buildCompoundFile(const std::vector<CfbStream>& streams,
                            const std::array<std::uint8_t, 16>& rootClsid = {});

} // namespace plainora::engine::test
