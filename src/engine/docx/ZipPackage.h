#pragma once
// The zip container of an OOXML package, read through libzip from memory.
// Parts are found by name ASCII case-insensitively ([E2] 6.2.2.3) and
// inflated in slices, so a part never has to be held whole, under the
// limits of Limits.h (entry size, package total, expansion ratio).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Error.h"
#include "TextEncoding.h"

struct zip;

namespace plainora::engine::docx {

class ZipPackage {
public:
    static Result<std::unique_ptr<ZipPackage>> open(ByteView bytes);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Part names without the leading '/', as stored in the archive.
    bool contains(std::string_view partName) const;
    const std::vector<std::string>& partNames() const { return m_names; }

    // Calls sink with consecutive slices of the inflated part; a sink that
    // returns a failed Status stops the read.
    Status read(std::string_view partName, const std::function<Status(std::string_view)>& sink);
    // The whole part, for small parts only (relationships, content types).
    Result<std::string> readAll(std::string_view partName, std::uint64_t maxBytes);

private:
    explicit ZipPackage(zip* archive) : m_archive(archive) {}
    Result<std::int64_t> indexOf(std::string_view partName) const;

    zip* m_archive;
    std::vector<std::string> m_names;
    std::unordered_map<std::string, std::int64_t> m_indexByLowerName;
    std::uint64_t m_inflatedTotal = 0;
};

// Lower-cases ASCII letters only, as part names compare.
std::string asciiLower(std::string_view text);

} // namespace plainora::engine::docx
