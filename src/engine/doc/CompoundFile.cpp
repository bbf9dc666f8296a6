#include "engine/doc/CompoundFile.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/doc/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace plainora::engine::doc {

namespace {

constexpr std::uint32_t kMaxRegSect = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
constexpr std::uint32_t kDirectoryEntryBytes = 128;
constexpr std::uint32_t kMiniSectorSize = 64;

} // namespace

Result<CompoundFile> CompoundFile::open(ByteView bytes)
{
    CompoundFile file(bytes);
    if (Status status = file.readHeaderAndFat(); !status)
        return status.error();
    if (Status status = file.readDirectory(); !status)
        return status.error();
    if (Status status = file.readMiniStream(); !status)
        return status.error();
    return file;
}

// [MS-CFB] 2.2 header, 2.5 DIFAT, 2.3 FAT.
Status CompoundFile::readHeaderAndFat()
{
    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (m_bytes.size() < 512 || std::memcmp(m_bytes.data(), kSignature, 8) != 0)
        return damaged("the compound-file header is incomplete");
    const std::uint16_t major = readU16(m_bytes, 0x1A);
    const std::uint16_t sectorShift = readU16(m_bytes, 0x1E);
    if (readU16(m_bytes, 0x1C) != 0xFFFE)
        return damaged("the compound-file header has an unknown byte order");
    if (!((major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12)))
        return damaged("the compound-file header gives an unknown version or sector size");
    if (readU16(m_bytes, 0x20) != 6)
        return damaged("the compound-file header gives an unknown mini sector size");
    m_sectorSize = 1u << sectorShift;
    m_miniStreamCutoff = 4096; // [MS-CFB] 2.2: MUST be 4096; other values are not trusted
    const std::uint64_t afterHeader = m_bytes.size() > m_sectorSize ? m_bytes.size() - m_sectorSize : 0;
    const std::uint64_t sectors = (afterHeader + m_sectorSize - 1) / m_sectorSize;
    m_sectorCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kMaxRegSect));

    const std::uint32_t fatSectorCount = readU32(m_bytes, 0x2C);
    m_firstDirectorySector = readU32(m_bytes, 0x30);
    m_firstMiniFatSector = readU32(m_bytes, 0x3C);
    m_miniFatSectorCount = readU32(m_bytes, 0x40);
    std::uint32_t difatSector = readU32(m_bytes, 0x44);
    const std::uint32_t difatSectorCount = readU32(m_bytes, 0x48);
    if (fatSectorCount > m_sectorCount)
        return damaged("the compound file claims more allocation sectors than the file holds");
    if (difatSectorCount > m_sectorCount)
        return damaged("the compound file claims more DIFAT sectors than the file holds");

    // The FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    std::vector<std::uint32_t> fatSectors;
    fatSectors.reserve(fatSectorCount);
    for (std::uint32_t i = 0; i < 109 && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(readU32(m_bytes, 0x4C + 4 * i));
    const std::uint32_t perDifat = m_sectorSize / 4 - 1;
    std::vector<bool> seenDifat(m_sectorCount, false);
    for (std::uint32_t n = 0; fatSectors.size() < fatSectorCount; ++n) {
        if (difatSector == kEndOfChain || difatSector == kFreeSect || n >= difatSectorCount)
            return damaged("the list of allocation sectors (DIFAT) ends early");
        if (difatSector >= m_sectorCount)
            return damaged("the list of allocation sectors (DIFAT) points beyond the end of the file");
        if (seenDifat[difatSector])
            return damaged("the list of allocation sectors (DIFAT) loops");
        seenDifat[difatSector] = true;
        const std::uint64_t base = (static_cast<std::uint64_t>(difatSector) + 1) * m_sectorSize;
        for (std::uint32_t i = 0; i < perDifat && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(readU32(m_bytes, base + 4 * i));
        difatSector = readU32(m_bytes, base + 4 * perDifat);
    }

    // Only entries for sectors inside the file are kept: the table is bounded
    // by the file's size, never by a count read from it.
    const std::uint32_t perFat = m_sectorSize / 4;
    m_fat.assign(m_sectorCount, kFreeSect);
    std::size_t index = 0;
    for (std::uint32_t sector : fatSectors) {
        if (sector >= m_sectorCount)
            return damaged("an allocation sector lies beyond the end of the file");
        const std::uint64_t base = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
        for (std::uint32_t i = 0; i < perFat && index < m_fat.size(); ++i, ++index)
            m_fat[index] = readU32(m_bytes, base + 4 * i);
        if (index >= m_fat.size())
            break;
    }
    return {};
}

// Follows a chain through a FAT or MiniFAT, refusing loops, sector numbers
// outside the table and chains longer than maxLength.
Result<std::vector<std::uint32_t>> CompoundFile::chain(std::uint32_t start,
                                                       const std::vector<std::uint32_t>& table,
                                                       std::uint64_t maxLength, const char* what) const
{
    std::vector<std::uint32_t> sectors;
    if (start == kEndOfChain || start == kFreeSect)
        return sectors;
    maxLength = std::min<std::uint64_t>(maxLength, limits::kMaxCfbChainLength);
    std::vector<bool> seen(table.size(), false);
    std::uint32_t sector = start;
    while (sector != kEndOfChain) {
        if (sector >= table.size())
            return damaged(std::string("the chain of the ") + what + " points beyond the end of the file");
        if (seen[sector])
            return damaged(std::string("the chain of the ") + what + " loops");
        if (sectors.size() >= maxLength)
            break; // a chain longer than its stream needs: the rest is unused
        seen[sector] = true;
        sectors.push_back(sector);
        sector = table[sector];
    }
    return sectors;
}

Result<StreamData> CompoundFile::readChain(std::uint32_t start, std::uint64_t size, const char* what) const
{
    if (size > m_bytes.size())
        return damaged(std::string("the ") + what + " is recorded as larger than the whole file");
    const std::uint64_t needed = (size + m_sectorSize - 1) / m_sectorSize;
    auto sectors = chain(start, m_fat, needed, what);
    if (!sectors)
        return sectors.error();
    const std::vector<std::uint32_t>& chain = sectors.value();
    if (chain.size() < needed)
        return damaged(std::string("the ") + what + " is shorter than its recorded size");
    const std::uint64_t last = chain.empty() ? 0 : (std::uint64_t{chain.back()} + 1) * m_sectorSize;
    const std::uint64_t tail = size - (needed - 1) * m_sectorSize;
    bool inFile = fits(m_bytes, last, tail);
    for (std::size_t i = 0; inFile && i + 1 < chain.size(); ++i)
        inFile = fits(m_bytes, (std::uint64_t{chain[i]} + 1) * m_sectorSize, m_sectorSize);
    if (inFile) {
        ScatteredBytes runs;
        std::uint64_t remaining = size;
        for (std::uint32_t sector : chain) {
            const std::uint64_t take = std::min<std::uint64_t>(m_sectorSize, remaining);
            runs.append(m_bytes.subspan(static_cast<std::size_t>((std::uint64_t{sector} + 1) * m_sectorSize),
                                        static_cast<std::size_t>(take)));
            remaining -= take;
        }
        return StreamData(std::move(runs));
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
    std::uint64_t written = 0;
    for (std::uint32_t sector : chain) {
        const std::uint64_t offset = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
        const std::uint64_t want = std::min<std::uint64_t>(m_sectorSize, size - written);
        const std::uint64_t have =
            offset < m_bytes.size() ? std::min<std::uint64_t>(want, m_bytes.size() - offset) : 0;
        if (have > 0)
            std::memcpy(out.data() + written, m_bytes.data() + offset, static_cast<std::size_t>(have));
        written += want; // a sector cut short by the file's end reads as zeros
    }
    return StreamData(std::move(out));
}

// [MS-CFB] 2.6 directory entries.
Status CompoundFile::readDirectory()
{
    auto sectors = chain(m_firstDirectorySector, m_fat, m_sectorCount, "directory");
    if (!sectors)
        return sectors.error();
    if (sectors.value().empty())
        return damaged("the compound file has no directory");
    const std::uint32_t perSector = m_sectorSize / kDirectoryEntryBytes;
    const std::uint64_t count = static_cast<std::uint64_t>(sectors.value().size()) * perSector;
    if (count > limits::kMaxCfbDirectoryEntries)
        return damaged("the compound file's directory is absurdly large");
    m_entries.reserve(static_cast<std::size_t>(count));
    for (std::uint32_t sector : sectors.value()) {
        const std::uint64_t base = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
        for (std::uint32_t i = 0; i < perSector; ++i) {
            const ByteView raw = slice(m_bytes, base + i * kDirectoryEntryBytes, kDirectoryEntryBytes);
            Entry entry;
            if (!raw.empty()) {
                const std::uint16_t nameBytes = std::min<std::uint16_t>(readU16(raw, 0x40), 64);
                std::size_t units = nameBytes / 2;
                while (units > 0 && readU16(raw, 2 * (units - 1)) == 0)
                    --units; // drop the terminating NUL, tolerate its absence
                entry.name = utf16leToUtf8(raw.subspan(0, 2 * units));
                const std::uint8_t type = raw[0x42];
                entry.type =
                    (type == 1 || type == 2 || type == 5) ? static_cast<EntryType>(type) : EntryType::Unused;
                entry.left = readU32(raw, 0x44);
                entry.right = readU32(raw, 0x48);
                entry.child = readU32(raw, 0x4C);
                std::memcpy(entry.clsid.data(), raw.data() + 0x50, 16);
                entry.start = readU32(raw, 0x74);
                // [MS-CFB] 2.6.1: version 3 readers ignore the high 32 bits.
                entry.size = m_sectorSize == 512
                                 ? readU32(raw, 0x78)
                                 : (readU32(raw, 0x78) | (std::uint64_t{readU32(raw, 0x7C)} << 32));
            }
            m_entries.push_back(std::move(entry));
        }
    }
    if (m_entries.empty() || m_entries[kRoot].type != EntryType::Root)
        return damaged("the compound file's root entry is missing");
    return {};
}

// [MS-CFB] 2.4 MiniFAT and the mini stream held by the root entry.
Status CompoundFile::readMiniStream()
{
    const Entry& root = m_entries[kRoot];
    if (root.size == 0 || root.start == kEndOfChain)
        return {};
    auto stream = readChain(root.start, root.size, "mini stream");
    if (!stream)
        return stream.error();
    m_miniStream = stream.value().copy();
    auto sectors = chain(m_firstMiniFatSector, m_fat, m_sectorCount, "mini allocation table");
    if (!sectors)
        return sectors.error();
    const std::uint64_t miniSectors = m_miniStream.size() / kMiniSectorSize;
    const std::uint32_t perSector = m_sectorSize / 4;
    m_miniFat.reserve(
        std::min<std::uint64_t>(miniSectors, std::uint64_t{sectors.value().size()} * perSector));
    for (std::uint32_t sector : sectors.value()) {
        const std::uint64_t base = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
        for (std::uint32_t i = 0; i < perSector && m_miniFat.size() < miniSectors; ++i)
            m_miniFat.push_back(readU32(m_bytes, base + 4 * i));
    }
    return {};
}

std::vector<std::uint32_t> CompoundFile::children(std::uint32_t storage) const
{
    std::vector<std::uint32_t> result;
    if (storage >= m_entries.size())
        return result;
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<std::uint32_t> pending;
    pending.push_back(m_entries[storage].child);
    seen[storage] = true;
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id >= m_entries.size() || seen[id])
            continue; // NOSTREAM, out of range, or a loop in the tree
        seen[id] = true;
        const Entry& entry = m_entries[id];
        if (entry.type != EntryType::Unused)
            result.push_back(id);
        pending.push_back(entry.right);
        pending.push_back(entry.left);
    }
    return result;
}

std::optional<std::uint32_t> CompoundFile::find(std::uint32_t storage, std::string_view name) const
{
    for (std::uint32_t id : children(storage))
        if (equalsIgnoringCase(m_entries[id].name, name))
            return id;
    return std::nullopt;
}

Result<StreamData> CompoundFile::readStream(std::uint32_t id) const
{
    if (id >= m_entries.size() || m_entries[id].type != EntryType::Stream)
        return damaged("a stream of the compound file is missing");
    const Entry& entry = m_entries[id];
    if (entry.size == 0)
        return StreamData(); // its start sector means nothing
    if (entry.size >= m_miniStreamCutoff)
        return readChain(entry.start, entry.size, "stream");
    // Small streams live in 64-byte sectors of the mini stream.
    const std::uint64_t needed = (entry.size + kMiniSectorSize - 1) / kMiniSectorSize;
    auto sectors = chain(entry.start, m_miniFat, needed, "stream");
    if (!sectors)
        return sectors.error();
    if (sectors.value().size() < needed)
        return damaged("a stream is shorter than its recorded size");
    ScatteredBytes runs;
    std::uint64_t remaining = entry.size;
    for (std::uint32_t sector : sectors.value()) {
        const std::uint64_t offset = std::uint64_t{sector} * kMiniSectorSize;
        const std::uint64_t take = std::min<std::uint64_t>(kMiniSectorSize, remaining);
        if (!fits(m_miniStream, offset, take))
            return damaged("a stream points beyond the end of the mini stream");
        runs.append(
            ByteView(m_miniStream).subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(take)));
        remaining -= take;
    }
    return StreamData(std::move(runs));
}

ByteView StreamData::bytes() const
{
    if (m_data.isContiguous())
        return m_data.contiguous();
    if (m_joined.empty())
        m_joined = m_data.join();
    return m_joined;
}

} // namespace plainora::engine::doc
