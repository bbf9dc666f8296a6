#include "engine/docx/ZipPackage.h"

#include "engine/ErrorText.h"

#include <algorithm>
#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

namespace plainora::engine::docx {

namespace {

constexpr std::size_t kSliceBytes = 64 * 1024;

Error fromZipError(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
        return damaged("its zip container is incomplete or broken (the file may have been cut short)");
    case ZIP_ER_CRC:
        return damaged("a part of its zip container fails its checksum");
    case ZIP_ER_COMPNOTSUPP:
        return damaged("a part of its zip container uses a compression method Word documents never use");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return passwordProtected();
    case ZIP_ER_MEMORY:
        return outOfMemory();
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        return damaged("its zip container cannot be read (" + text + ")");
    }
    }
}

} // namespace

Result<std::unique_ptr<ZipPackage>> ZipPackage::open(ByteView bytes, const ZipLimits& limits)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return outOfMemory();
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        zip_source_free(source);
        return fromZipError(code);
    }
    zip_error_fini(&error);
    std::unique_ptr<ZipPackage> package(new ZipPackage(archive, limits));
    package->m_fileBytes = bytes.size();

    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0)
        return damaged("its zip container has no readable directory");
    if (static_cast<std::uint64_t>(count) > limits.entries)
        return tooManyParts(static_cast<std::uint64_t>(count), limits.entries);
    package->m_names.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (!name)
            continue;
        std::string lower = asciiLower(name);
        if (!lower.empty() && lower.back() == '/')
            continue; // a folder entry
        if (!package->m_indexByLowerName.emplace(lower, i).second)
            return damaged("its zip container holds two parts named \"" + std::string(name) + "\"");
        package->m_names.emplace_back(name);
    }
    return package;
}

ZipPackage::~ZipPackage()
{
    // The archive owns the source and frees it.
    zip_discard(m_archive);
}

bool ZipPackage::contains(std::string_view partName) const
{
    return m_indexByLowerName.count(asciiLower(partName)) != 0;
}

Result<std::int64_t> ZipPackage::indexOf(std::string_view partName) const
{
    const auto it = m_indexByLowerName.find(asciiLower(partName));
    if (it == m_indexByLowerName.end())
        return missingPart(partName);
    return it->second;
}

Status ZipPackage::checkedStat(std::string_view partName, std::uint64_t entryLimit,
                               struct zip_stat& stat) const
{
    auto index = indexOf(partName);
    if (!index)
        return index.error();
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index.value()), 0, &stat) != 0)
        return fromZipError(zip_error_code_zip(zip_get_error(m_archive)));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return fromZipError(ZIP_ER_ENCRNOTSUPP);
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method != ZIP_CM_STORE &&
        stat.comp_method != ZIP_CM_DEFLATE)
        return fromZipError(ZIP_ER_COMPNOTSUPP);
    // Declared sizes are checked up front, actual sizes while inflating.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > entryLimit)
        return tooLarge("declares " + std::to_string(stat.size >> 20) + " MiB, more than the " +
                            std::to_string(entryLimit >> 20) + " MiB Plainora reads from one part",
                        {partName});
    return {};
}

Status ZipPackage::countInflated(std::string_view partName, std::uint64_t added, std::uint64_t produced,
                                 std::uint64_t compressed, std::uint64_t entryLimit)
{
    m_inflatedTotal += added;
    if (produced > entryLimit)
        return tooLarge("expands to more than the " + std::to_string(entryLimit >> 20) +
                            " MiB Plainora reads from one part",
                        {partName});
    if (m_inflatedTotal > m_limits.packageBytes)
        return tooLarge("takes the package past the " + std::to_string(m_limits.packageBytes >> 20) +
                            " MiB Plainora inflates from one document",
                        {partName});
    if (produced > m_limits.minRatioCheckedBytes && produced / m_limits.expansionRatio > compressed)
        return tooLarge("expands more than " + std::to_string(m_limits.expansionRatio) +
                            " times, as only zip bombs do",
                        {partName});
    return {};
}

Status ZipPackage::read(std::string_view partName, const std::function<Status(std::string_view)>& sink,
                        std::uint64_t maxBytes)
{
    const std::uint64_t entryLimit = std::min(maxBytes, m_limits.entryBytes);
    zip_stat_t stat;
    if (Status status = checkedStat(partName, entryLimit, stat); !status)
        return status;
    const std::uint64_t compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    if ((stat.valid & ZIP_STAT_CRC) && (stat.valid & ZIP_STAT_COMP_METHOD))
        return inflateSlices(partName, stat, sink, entryLimit);

    zip_file_t* file = zip_fopen_index(m_archive, stat.index, 0);
    if (!file)
        return fromZipError(zip_error_code_zip(zip_get_error(m_archive)));
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, &zip_fclose);
    std::vector<char> buffer(kSliceBytes);
    std::uint64_t produced = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0)
            return fromZipError(zip_error_code_zip(zip_file_get_error(file)));
        if (n == 0)
            break;
        produced += static_cast<std::uint64_t>(n);
        if (Status status =
                countInflated(partName, static_cast<std::uint64_t>(n), produced, compressed, entryLimit);
            !status)
            return status;
        if (Status status = sink(std::string_view(buffer.data(), static_cast<std::size_t>(n))); !status)
            return status;
    }
    return {};
}

// libzip's own reading checks each part with zlib's checksum, which costs
// more than inflating: the raw data is inflated here instead, and checked
// with libdeflate's.
Status ZipPackage::inflateSlices(std::string_view partName, const struct zip_stat& stat,
                                 const std::function<Status(std::string_view)>& sink,
                                 std::uint64_t entryLimit)
{
    const std::uint64_t compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    const bool stored = stat.comp_method == ZIP_CM_STORE;
    zip_file_t* file = zip_fopen_index(m_archive, stat.index, ZIP_FL_COMPRESSED);
    if (!file)
        return fromZipError(zip_error_code_zip(zip_get_error(m_archive)));
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, &zip_fclose);
    z_stream stream{};
    if (!stored && inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return outOfMemory();
    std::unique_ptr<z_stream, int (*)(z_stream*)> inflater(stored ? nullptr : &stream, &inflateEnd);
    std::vector<char> input(kSliceBytes);
    std::vector<char> output(stored ? 0 : 4 * kSliceBytes);
    std::uint64_t produced = 0;
    std::uint32_t crc = 0;
    auto deliver = [&](const char* bytes, std::size_t n) {
        produced += n;
        crc = libdeflate_crc32(crc, bytes, n);
        if (Status status = countInflated(partName, n, produced, compressed, entryLimit); !status)
            return status;
        return sink(std::string_view(bytes, n));
    };
    bool ended = stored;
    for (;;) {
        const zip_int64_t n = zip_fread(file, input.data(), input.size());
        if (n < 0)
            return fromZipError(zip_error_code_zip(zip_file_get_error(file)));
        if (n == 0)
            break;
        if (stored) {
            if (Status status = deliver(input.data(), static_cast<std::size_t>(n)); !status)
                return status;
            continue;
        }
        stream.next_in = reinterpret_cast<Bytef*>(input.data());
        stream.avail_in = static_cast<uInt>(n);
        while (stream.avail_in > 0 && !ended) {
            stream.next_out = reinterpret_cast<Bytef*>(output.data());
            stream.avail_out = static_cast<uInt>(output.size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                return damaged("a part of its zip container does not inflate to the size it declares");
            ended = result == Z_STREAM_END;
            const std::size_t made = output.size() - stream.avail_out;
            if (made > 0) {
                if (Status status = deliver(output.data(), made); !status)
                    return status;
            }
            if (result == Z_BUF_ERROR && made == 0)
                break;
        }
    }
    if (!ended || ((stat.valid & ZIP_STAT_SIZE) && produced != stat.size))
        return damaged("a part of its zip container does not inflate to the size it declares");
    if (crc != stat.crc)
        return fromZipError(ZIP_ER_CRC);
    return {};
}

std::uint64_t ZipPackage::declaredSize(std::string_view partName) const
{
    auto index = indexOf(partName);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (!index || zip_stat_index(m_archive, static_cast<zip_uint64_t>(index.value()), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        return 0;
    return stat.size;
}

// The raw deflate data is copied out of the archive and inflated to the
// declared size in one call; a part whose data disagrees with its declared
// size or checksum is damaged.
Status ZipPackage::readWhole(std::string_view partName, std::string& out, std::uint64_t maxBytes)
{
    out.clear();
    const std::uint64_t entryLimit = std::min(maxBytes, m_limits.entryBytes);
    zip_stat_t stat;
    if (Status status = checkedStat(partName, entryLimit, stat); !status)
        return status;
    if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE) || !(stat.valid & ZIP_STAT_CRC))
        return read(
            partName,
            [&](std::string_view slice) {
                out.append(slice);
                return Status{};
            },
            maxBytes);
    if (Status status = countInflated(partName, stat.size, stat.size, stat.comp_size, entryLimit); !status)
        return status;
    // The compressed data lies within the file, and deflate never expands
    // more than 1032 times: larger declared sizes are lies, refused before
    // a buffer for them is made.
    const bool stored = stat.comp_method == ZIP_CM_STORE;
    if (stat.comp_size > m_fileBytes ||
        (stored ? stat.size != stat.comp_size : stat.size / 1032 > stat.comp_size))
        return damaged("a part of its zip container does not inflate to the size it declares");

    zip_file_t* file = zip_fopen_index(m_archive, stat.index, ZIP_FL_COMPRESSED);
    if (!file)
        return fromZipError(zip_error_code_zip(zip_get_error(m_archive)));
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, &zip_fclose);
    std::string& raw = stored ? out : m_compressed;
    raw.resize(static_cast<std::size_t>(stat.comp_size));
    const zip_int64_t n = zip_fread(file, raw.data(), raw.size());
    if (n < 0)
        return fromZipError(zip_error_code_zip(zip_file_get_error(file)));
    if (static_cast<std::uint64_t>(n) != stat.comp_size)
        return fromZipError(ZIP_ER_EOF);
    if (!stored) {
        if (!m_inflater)
            m_inflater = {libdeflate_alloc_decompressor(), &libdeflate_free_decompressor};
        if (!m_inflater)
            return fromZipError(ZIP_ER_MEMORY);
        out.resize(static_cast<std::size_t>(stat.size));
        std::size_t produced = 0;
        const libdeflate_result result = libdeflate_deflate_decompress(
            m_inflater.get(), raw.data(), raw.size(), out.data(), out.size(), &produced);
        if (result != LIBDEFLATE_SUCCESS || produced != out.size())
            return damaged("a part of its zip container does not inflate to the size it declares");
    }
    if (libdeflate_crc32(0, out.data(), out.size()) != stat.crc)
        return fromZipError(ZIP_ER_CRC);
    return {};
}

} // namespace plainora::engine::docx
