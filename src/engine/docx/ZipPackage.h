#pragma once
// The zip container of an OOXML package, read through libzip from memory.
// Parts are found by name ASCII case-insensitively ([E2] 6.2.2.3) and
// inflated in slices, so a part never has to be held whole, or in one call
// when it is small, under the limits of Limits.h (entry size, package total,
// expansion ratio).

#include "engine/Error.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;
struct zip_stat;
struct libdeflate_decompressor;

namespace plainora::engine::docx {

// The limits a package is read under; tests lower them to prove the
// mechanism without inflating gigabytes.
struct ZipLimits
{
    std::uint64_t entries = limits::kMaxArchiveEntries;
    std::uint64_t entryBytes = limits::kMaxArchiveEntryBytes;
    std::uint64_t packageBytes = limits::kMaxPackageBytes;
    std::uint64_t expansionRatio = limits::kMaxExpansionRatio;
    std::uint64_t minRatioCheckedBytes = limits::kMinRatioCheckedBytes;
};

class ZipPackage
{
public:
    static Result<std::unique_ptr<ZipPackage>> open(ByteView bytes, const ZipLimits& limits = {});
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Part names without the leading '/', as stored in the archive.
    bool contains(std::string_view partName) const;
    const std::vector<std::string>& partNames() const { return m_names; }

    // Calls sink with consecutive slices of the inflated part; a sink that
    // returns a failed Status stops the read. maxBytes lowers the entry
    // limit for parts of a kind that is always small.
    Status read(std::string_view partName, const std::function<Status(std::string_view)>& sink,
                std::uint64_t maxBytes = UINT64_MAX);
    // The inflated size the directory declares for the part (0 when absent).
    std::uint64_t declaredSize(std::string_view partName) const;
    // Inflates the whole part into out in one call, its checksum verified.
    Status readWhole(std::string_view partName, std::string& out, std::uint64_t maxBytes = UINT64_MAX);

private:
    ZipPackage(zip* archive, const ZipLimits& limits) : m_archive(archive), m_limits(limits) {}
    Result<std::int64_t> indexOf(std::string_view partName) const;
    // The part's directory entry, refused when it is encrypted, compressed
    // in a way Word never uses, or declares more than the limit allows.
    Status checkedStat(std::string_view partName, std::uint64_t entryLimit, struct zip_stat& stat) const;
    // Inflates the part's raw data in slices for read.
    Status inflateSlices(std::string_view partName, const struct zip_stat& stat,
                         const std::function<Status(std::string_view)>& sink, std::uint64_t entryLimit);
    // Adds to the package total and checks the part's running size.
    Status countInflated(std::string_view partName, std::uint64_t added, std::uint64_t produced,
                         std::uint64_t compressed, std::uint64_t entryLimit);

    zip* m_archive;
    ZipLimits m_limits;
    std::vector<std::string> m_names;
    std::unordered_map<std::string, std::int64_t> m_indexByLowerName;
    std::uint64_t m_inflatedTotal = 0;
    std::uint64_t m_fileBytes = 0;
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> m_inflater{nullptr, nullptr};
    std::string m_compressed; // scratch for readWhole
};

} // namespace plainora::engine::docx
