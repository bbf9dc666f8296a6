#include "CompoundFileBuilder.h"

#include <cstring>

namespace plainora::engine::test {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;

std::uint32_t sectorsFor(std::size_t bytes, std::size_t unit)
{
    return static_cast<std::uint32_t>((bytes + unit - 1) / unit);
}

} // namespace

void putU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = value & 0xFF;
    bytes[offset + 1] = value >> 8;
}

void putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = (value >> (8 * i)) & 0xFF;
}

void putCfbHeader(std::vector<std::uint8_t>& bytes, std::uint16_t majorVersion, std::uint32_t fatSectors,
                  std::uint32_t firstDirectorySector, std::uint32_t firstMiniFatSector,
                  std::uint32_t miniFatSectors)
{
    static const std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(bytes.data(), kSignature, 8);
    putU16(bytes, 0x18, 0x3E);
    putU16(bytes, 0x1A, majorVersion);
    putU16(bytes, 0x1C, 0xFFFE);
    putU16(bytes, 0x1E, majorVersion == 4 ? 12 : 9);
    putU16(bytes, 0x20, 6);
    putU32(bytes, 0x2C, fatSectors);
    putU32(bytes, 0x30, firstDirectorySector);
    putU32(bytes, 0x38, 4096);
    putU32(bytes, 0x3C, firstMiniFatSector);
    putU32(bytes, 0x40, miniFatSectors);
    putU32(bytes, 0x44, kEnd);
    for (std::uint32_t i = 0; i < 109; ++i)
        putU32(bytes, 0x4C + 4 * i, i < fatSectors ? i : kFree);
}

CfbLayout buildCompoundFile(const std::vector<CfbStream>& streams,
                            const std::array<std::uint8_t, 16>& rootClsid)
{
    CfbLayout layout;
    std::vector<std::uint8_t> mini;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> starts(streams.size());
    std::uint32_t bigSectors = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const auto& data = streams[i].data;
        if (data.size() < 4096) {
            starts[i] = static_cast<std::uint32_t>(mini.size() / 64);
            const std::uint32_t count = sectorsFor(data.size(), 64);
            for (std::uint32_t k = 0; k < count; ++k)
                miniFat.push_back(k + 1 < count ? starts[i] + k + 1 : kEnd);
            mini.insert(mini.end(), data.begin(), data.end());
            mini.resize(mini.size() + (64 - mini.size() % 64) % 64, 0);
        } else {
            bigSectors += sectorsFor(data.size(), kSector);
        }
    }
    const std::uint32_t dirSectors = sectorsFor((streams.size() + 1) * 128, kSector);
    const std::uint32_t miniFatSectors = sectorsFor(miniFat.size() * 4, kSector);
    const std::uint32_t miniStreamSectors = sectorsFor(mini.size(), kSector);
    const std::uint32_t others = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
    std::uint32_t fatSectors = 1;
    while (fatSectors * 128 < others + fatSectors)
        ++fatSectors;
    layout.fatSectors = fatSectors;
    layout.firstDirectorySector = fatSectors;
    layout.firstMiniFatSector = fatSectors + dirSectors;
    layout.firstMiniStreamSector = layout.firstMiniFatSector + miniFatSectors;
    const std::uint32_t total = fatSectors + others;

    std::vector<std::uint32_t> fat(fatSectors * 128, kFree);
    for (std::uint32_t s = 0; s < fatSectors; ++s)
        fat[s] = kFatSect;
    auto chain = [&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t k = 0; k < count; ++k)
            fat[first + k] = k + 1 < count ? first + k + 1 : kEnd;
    };
    chain(layout.firstDirectorySector, dirSectors);
    chain(layout.firstMiniFatSector, miniFatSectors);
    chain(layout.firstMiniStreamSector, miniStreamSectors);
    std::uint32_t next = layout.firstMiniStreamSector + miniStreamSectors;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (streams[i].data.size() >= 4096) {
            starts[i] = next;
            const std::uint32_t count = sectorsFor(streams[i].data.size(), kSector);
            chain(next, count);
            next += count;
        }
    }
    layout.streamFirstSector = starts;

    auto& bytes = layout.bytes;
    bytes.assign((total + 1) * kSector, 0);
    putCfbHeader(bytes, 3, fatSectors, layout.firstDirectorySector,
                 miniFatSectors ? layout.firstMiniFatSector : kEnd, miniFatSectors);
    for (std::size_t i = 0; i < fat.size(); ++i)
        putU32(bytes, layout.sectorOffset(static_cast<std::uint32_t>(i / 128)) + 4 * (i % 128), fat[i]);

    auto writeEntry = [&](std::uint32_t id, const std::string& name, std::uint8_t type, std::uint32_t right,
                          std::uint32_t child, std::uint32_t start, std::uint32_t size) {
        const std::size_t base = layout.directoryEntryOffset(id);
        std::size_t units = 0;
        for (unsigned char c : name)
            putU16(bytes, base + 2 * units++, c);
        putU16(bytes, 0x40 + base, static_cast<std::uint16_t>(2 * (units + 1)));
        bytes[base + 0x42] = type;
        bytes[base + 0x43] = 1;
        putU32(bytes, base + 0x44, kFree);
        putU32(bytes, base + 0x48, right);
        putU32(bytes, base + 0x4C, child);
        putU32(bytes, base + 0x74, start);
        putU32(bytes, base + 0x78, size);
    };
    writeEntry(0, "Root Entry", 5, kFree, streams.empty() ? kFree : 1,
               mini.empty() ? kEnd : layout.firstMiniStreamSector, static_cast<std::uint32_t>(mini.size()));
    std::memcpy(bytes.data() + layout.directoryEntryOffset(0) + 0x50, rootClsid.data(), 16);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const auto id = static_cast<std::uint32_t>(i + 1);
        writeEntry(id, streams[i].name, 2, i + 1 < streams.size() ? id + 1 : kFree, kFree, starts[i],
                   static_cast<std::uint32_t>(streams[i].data.size()));
    }
    for (std::size_t i = 0; i < miniFat.size(); ++i)
        putU32(bytes, layout.sectorOffset(layout.firstMiniFatSector) + 4 * i, miniFat[i]);
    if (!mini.empty())
        std::memcpy(bytes.data() + layout.sectorOffset(layout.firstMiniStreamSector), mini.data(),
                    mini.size());
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i].data.size() >= 4096)
            std::memcpy(bytes.data() + layout.sectorOffset(starts[i]), streams[i].data.data(),
                        streams[i].data.size());
    return layout;
}

} // namespace plainora::engine::test
