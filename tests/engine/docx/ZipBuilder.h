#pragma once
// Writes small zip archives in memory for the hostile-input tests, with
// control over what the headers declare (sizes, flags, methods), which no
// well-behaved zip library allows.

#include <cstdint>
#include <string>
#include <vector>

namespace plainora::engine::testing {

struct ZipEntry
{
    std::string name;
    std::string data; // the bytes stored (already deflated when deflated is true)
    bool deflated = false;
    std::uint32_t uncompressedSize = 0; // declared
    std::uint32_t crc = 0;
    std::uint16_t flags = 0;
};

// A stored entry with honest sizes and checksum.
ZipEntry storedEntry(const std::string& name, const std::string& content);
// A deflated entry with honest sizes and checksum.
ZipEntry deflatedEntry(const std::string& name, const std::string& content);

std::string buildZip(const std::vector<ZipEntry>& entries);

// The raw deflate stream of `prefix` followed by `repeat` MiB of spaces,
// built without ever holding the expanded data: one compressed MiB block is
// repeated, which is what zip bombs do.
std::string deflateSpacesBomb(const std::string& prefix, unsigned repeat);

// A minimal package around a main document part.
std::vector<ZipEntry> minimalPackage(const std::string& documentXml);

} // namespace plainora::engine::testing
