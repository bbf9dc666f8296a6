#include "ZipBuilder.h"

#include <stdexcept>
#include <zlib.h>

namespace plainora::engine::testing {

namespace {

void put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::uint32_t crcOf(const std::string& data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Raw deflate (no zlib header) of input, finishing with `flush`.
std::string deflateRaw(z_stream& stream, const std::string& input, int flush)
{
    std::string out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    char buffer[65536];
    do {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        deflate(&stream, flush);
        out.append(buffer, sizeof buffer - stream.avail_out);
    } while (stream.avail_out == 0 || stream.avail_in != 0);
    return out;
}

} // namespace

ZipEntry storedEntry(const std::string& name, const std::string& content)
{
    return ZipEntry{name, content, false, static_cast<std::uint32_t>(content.size()), crcOf(content), 0};
}

ZipEntry deflatedEntry(const std::string& name, const std::string& content)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string data = deflateRaw(stream, content, Z_FINISH);
    deflateEnd(&stream);
    return ZipEntry{name, data, true, static_cast<std::uint32_t>(content.size()), crcOf(content), 0};
}

std::string buildZip(const std::vector<ZipEntry>& entries)
{
    std::string out;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint16_t method = entry.deflated ? 8 : 0;
        auto common = [&](std::string& s) {
            put16(s, 20);          // version needed
            put16(s, entry.flags); // general purpose flags
            put16(s, method);
            put16(s, 0);    // time
            put16(s, 0x21); // date
            put32(s, entry.crc);
            put32(s, static_cast<std::uint32_t>(entry.data.size()));
            put32(s, entry.uncompressedSize);
            put16(s, static_cast<std::uint32_t>(entry.name.size()));
            put16(s, 0); // extra length
        };
        put32(out, 0x04034b50);
        common(out);
        out += entry.name;
        out += entry.data;

        put32(directory, 0x02014b50);
        put16(directory, 20); // version made by
        common(directory);
        put16(directory, 0); // comment length
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

std::string deflateSpacesBomb(const std::string& prefix, unsigned repeat)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out = deflateRaw(stream, prefix, Z_FULL_FLUSH);
    // After a full flush the compressor starts afresh, so the same input
    // yields the same bytes: compress one MiB once and repeat it.
    const std::string block = deflateRaw(stream, std::string(1 << 20, ' '), Z_FULL_FLUSH);
    for (unsigned i = 0; i < repeat; ++i)
        out += block;
    out += deflateRaw(stream, std::string(), Z_FINISH);
    deflateEnd(&stream);
    return out;
}

std::vector<ZipEntry> minimalPackage(const std::string& documentXml)
{
    return {
        storedEntry("[Content_Types].xml",
                    "<?xml version=\"1.0\"?><Types "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
                    "Extension=\"rels\" "
                    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override "
                    "PartName=\"/word/document.xml\" "
                    "ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"),
        storedEntry(
            "_rels/.rels",
            "<?xml version=\"1.0\"?><Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
            "Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
            "Target=\"word/document.xml\"/></Relationships>"),
        deflatedEntry("word/document.xml", documentXml),
    };
}

} // namespace plainora::engine::testing
