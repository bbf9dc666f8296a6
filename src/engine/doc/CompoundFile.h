#pragma once
// A hardened reader of [MS-CFB] compound files: the container of Word
// 97-2003 documents, of encrypted OOXML packages and of other Office files.
// Every sector number, chain and size comes from the file and is checked
// before it is followed or used for an allocation.

#include "engine/Error.h"
#include "engine/TextEncoding.h"
#include "engine/doc/ScatteredBytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine::doc {

// A stream's bytes: read in place from the file (or the mini stream) in
// the runs its sectors form, or an owned copy when the file ends inside it.
class StreamData
{
public:
    StreamData() = default;
    explicit StreamData(ScatteredBytes inPlace) : m_data(std::move(inPlace)) {}
    explicit StreamData(std::vector<std::uint8_t> owned)
        : m_owned(std::move(owned)), m_data(ByteView(m_owned))
    {
    }
    // Moving a vector keeps its buffer, so the views stay valid.
    StreamData(StreamData&&) = default;
    StreamData& operator=(StreamData&&) = default;
    StreamData(const StreamData&) = delete;
    StreamData& operator=(const StreamData&) = delete;

    const ScatteredBytes& scattered() const { return m_data; }
    // All the bytes as one view; a stream in several runs is joined into a
    // buffer of its own the first time.
    ByteView bytes() const;
    std::vector<std::uint8_t> copy() const { return m_data.join(); }

private:
    std::vector<std::uint8_t> m_owned;
    ScatteredBytes m_data;
    mutable std::vector<std::uint8_t> m_joined;
};

class CompoundFile
{
public:
    enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

    struct Entry
    {
        std::string name; // UTF-8
        EntryType type = EntryType::Unused;
        std::uint32_t left = kNoStream;
        std::uint32_t right = kNoStream;
        std::uint32_t child = kNoStream;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
        std::array<std::uint8_t, 16> clsid{};
    };

    static constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
    static constexpr std::uint32_t kRoot = 0;

    // Parses the header, the FAT (through the DIFAT), the directory and the
    // mini stream. Fails with Damaged and a description of what is broken.
    static Result<CompoundFile> open(ByteView bytes);

    const Entry& entry(std::uint32_t id) const { return m_entries[id]; }
    // The entries directly inside a storage, found by walking its sibling
    // tree (never trusting it to be ordered or loop-free).
    std::vector<std::uint32_t> children(std::uint32_t storage) const;
    // A child of a storage by name, compared without regard to ASCII case
    // (some writers store "worddocument").
    std::optional<std::uint32_t> find(std::uint32_t storage, std::string_view name) const;
    bool contains(std::string_view name) const { return find(kRoot, name).has_value(); }
    // A stream's bytes, checked against its chain and the file's size. They
    // are read in place: they live as long as the file's bytes and this object.
    Result<StreamData> readStream(std::uint32_t id) const;

private:
    explicit CompoundFile(ByteView bytes) : m_bytes(bytes) {}

    Status readHeaderAndFat();
    Status readDirectory();
    Status readMiniStream();
    Result<std::vector<std::uint32_t>> chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                             std::uint64_t maxLength, const char* what) const;
    Result<StreamData> readChain(std::uint32_t start, std::uint64_t size, const char* what) const;

    ByteView m_bytes;
    std::uint32_t m_sectorSize = 512;
    std::uint32_t m_sectorCount = 0; // sectors that start inside the file
    std::uint32_t m_firstDirectorySector = 0;
    std::uint32_t m_firstMiniFatSector = 0;
    std::uint32_t m_miniFatSectorCount = 0;
    std::uint32_t m_miniStreamCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint8_t> m_miniStream;
    std::vector<Entry> m_entries;
};

} // namespace plainora::engine::doc
