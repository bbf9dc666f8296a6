#include "engine/FormatSniffer.h"

#include "engine/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

namespace plainora::engine {

namespace {

bool startsWith(ByteView bytes, std::string_view magic)
{
    return bytes.size() >= magic.size() && std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

bool hasAt(ByteView bytes, std::size_t offset, std::string_view magic)
{
    return bytes.size() >= offset + magic.size() &&
           std::memcmp(bytes.data() + offset, magic.data(), magic.size()) == 0;
}

bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Skips a UTF-8 byte-order mark and leading white space.
std::string_view trimmedStart(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t i = 0;
    while (i < text.size() && i < 4096 && isBlank(text[i]))
        ++i;
    return text.substr(i);
}

bool looksLikeText(ByteView bytes)
{
    const std::size_t n = std::min<std::size_t>(bytes.size(), 64 * 1024);
    if (n == 0)
        return false;
    std::size_t control = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = bytes[i];
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f')
            ++control;
    }
    return control * 100 < n; // under 1% control characters
}

// Binary formats known by their first bytes.
struct Magic
{
    std::size_t offset;
    std::string_view bytes; // literals with a zero byte give their length
    const char* lookAlike;
    bool weak = false; // letters a text could start with: binary content required
};

constexpr Magic kMagics[] = {
    {0, "%PDF", "a PDF document"},
    {0, "%!PS", "a PostScript document"},
    {0, "\x89PNG", "a PNG image"},
    {0, "\xFF\xD8\xFF", "a JPEG image"},
    {0, "GIF87a", "a GIF image"},
    {0, "GIF89a", "a GIF image"},
    {0, std::string_view("II*\0", 4), "a TIFF image"},
    {0, std::string_view("MM\0*", 4), "a TIFF image"},
    {0, std::string_view("\0\0\1\0", 4), "an icon"},
    {0, "8BPS", "a Photoshop image"},
    {0, "\x1F\x8B", "a gzip archive"},
    {0, "7z\xBC\xAF\x27\x1C", "a 7-Zip archive"},
    {0, "Rar!\x1A\x07", "a RAR archive"},
    {0,
     std::string_view("\xFD"
                      "7zXZ\0",
                      6),
     "an xz archive"},
    {0, "MSCF", "a Windows cabinet archive"},
    {257, "ustar", "a tar archive"},
    {0,
     "\x7F"
     "ELF",
     "a program (ELF executable)"},
    {0, "\xCA\xFE\xBA\xBE", "a Java class or macOS program"},
    {0, "\xCF\xFA\xED\xFE", "a macOS program"},
    {0, "\xCE\xFA\xED\xFE", "a macOS program"},
    {0, std::string_view("SQLite format 3\0", 16), "an SQLite database"},
    {0, "ID3", "an MP3 audio file", true},
    {0, "OggS", "an Ogg audio or video file"},
    {0, "fLaC", "a FLAC audio file"},
    {0, "\x1A\x45\xDF\xA3", "a Matroska or WebM video"},
    {4, "ftyp", "an MP4 or QuickTime video"},
    {0, std::string_view("\0\1\0\0\0", 5), "a TrueType font"},
    {0, "OTTO", "an OpenType font", true},
    {0, "wOFF", "a web font", true},
    {0, "AT&TFORM", "a DjVu document"},
};

const char* binaryLookAlike(ByteView bytes)
{
    const bool text = looksLikeText(bytes.subspan(0, std::min<std::size_t>(bytes.size(), 512)));
    for (const Magic& magic : kMagics) {
        if (hasAt(bytes, magic.offset, magic.bytes) && !(magic.weak && text))
            return magic.lookAlike;
    }
    if (startsWith(bytes, "MZ") && bytes.size() >= 64 && !text)
        return "a Windows program";
    if (startsWith(bytes, "RIFF") && bytes.size() >= 12) {
        if (hasAt(bytes, 8, "WEBP"))
            return "a WebP image";
        if (hasAt(bytes, 8, "WAVE"))
            return "a WAV audio file";
        if (hasAt(bytes, 8, "AVI "))
            return "an AVI video";
        return "a RIFF media file";
    }
    // BMP: "BM", the file size, then four reserved zero bytes.
    if (startsWith(bytes, "BM") && bytes.size() >= 14 && bytes[6] == 0 && bytes[7] == 0 && bytes[8] == 0 &&
        bytes[9] == 0)
        return "a BMP image";
    // bzip2: "BZh", the block size digit, then the block magic (BCD of pi).
    if (startsWith(bytes, "BZh") && bytes.size() >= 10 && bytes[3] >= '1' && bytes[3] <= '9' &&
        hasAt(bytes, 4, "\x31\x41\x59\x26\x53\x59"))
        return "a bzip2 archive";
    return nullptr;
}

// A web archive (MHTML, RFC 2557): MIME headers with a MIME-Version field.
bool isMimeArchive(const std::string& head)
{
    const bool version =
        head.starts_with("mime-version:") || head.find("\nmime-version:") != std::string::npos;
    return version && (head.find("multipart/related") != std::string::npos ||
                       head.find("content-type: text/html") != std::string::npos);
}

// The kind of a text file from its first characters (UTF-8 or 8-bit).
SniffResult sniffText(std::string_view text)
{
    const std::string_view start = trimmedStart(text);
    if (start.starts_with("{\\rtf"))
        return {Format::Rtf, {}};
    const std::string head = asciiLower(start.substr(0, 4096));
    if (head.starts_with("<?xml") || head.starts_with("<pkg:package") ||
        head.starts_with("<w:worddocument")) {
        if (head.find("pkg:package") != std::string::npos ||
            head.find("w:worddocument") != std::string::npos ||
            head.find("schemas.microsoft.com/office/word/2003/wordml") != std::string::npos ||
            head.find("progid=\"word.document\"") != std::string::npos)
            return {Format::FlatXml, {}};
        if (head.find("<html") != std::string::npos)
            return {Format::Html, {}};
        if (head.find("office:mimetype=\"application/vnd.oasis.opendocument.text") != std::string::npos)
            return {Format::OpenDocument, {}};
        if (head.find("opendocument") != std::string::npos ||
            head.find("<office:document") != std::string::npos)
            return {Format::Other, "an OpenDocument (flat XML) document"};
        if (head.find("<abiword") != std::string::npos)
            return {Format::ImportLibrary, {}};
        if (head.find("<svg") != std::string::npos)
            return {Format::Other, "an SVG image"};
        return {Format::Other, "an XML file that is not a Word document"};
    }
    if (isMimeArchive(head))
        return {Format::Html, {}};
    if (head.starts_with("<")) {
        static constexpr std::string_view kHtmlStarts[] = {
            "<!doctype html", "<html", "<head", "<body", "<meta", "<title", "<p>",    "<p ",    "<div",
            "<table",         "<h1",   "<br",   "<span", "<font", "<b>",    "<style", "<script"};
        for (std::string_view tag : kHtmlStarts)
            if (head.starts_with(tag))
                return {Format::Html, {}};
        // A comment or a doctype first, the page after it.
        if ((head.starts_with("<!--") || head.starts_with("<!doctype")) &&
            (head.find("<html") != std::string::npos || head.find("<body") != std::string::npos))
            return {Format::Html, {}};
    }
    return {Format::PlainText, {}};
}

} // namespace

SniffResult sniffFormat(ByteView bytes)
{
    static constexpr std::string_view kCfbMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (trimmedStart(text.substr(0, 8192)).starts_with("{\\rtf"))
        return {Format::Rtf, {}};
    if (startsWith(bytes, kCfbMagic))
        return {Format::CompoundFile, {}};
    if (startsWith(bytes, "PK\x03\x04") || startsWith(bytes, "PK\x05\x06")) {
        if (zipPackageLookAlike(bytes).starts_with("an OpenDocument text"))
            return {Format::OpenDocument, {}};
        return {Format::OoxmlPackage, {}};
    }
    // Every WordPerfect file since 5.0 starts with 0xFF "WPC".
    if (startsWith(bytes, "\xFF"
                          "WPC"))
        return {Format::ImportLibrary, {}};
    // Word for Windows 1.x/2.0 and Word for DOS/MS Write headers.
    if (bytes.size() >= 2) {
        const unsigned magic = bytes[0] | (bytes[1] << 8);
        if (magic == 0xA59B || magic == 0xA59C || magic == 0xA5DB)
            return {Format::WordForDos, {}};
        // MS Write: wIdent 0xBE31/0xBE32, dty 0, wTool 0xAB00.
        if ((magic == 0xBE31 || magic == 0xBE32) && bytes.size() >= 6 && bytes[2] == 0 && bytes[3] == 0 &&
            bytes[4] == 0 && bytes[5] == 0xAB)
            return {Format::WordForDos, {}};
    }
    if (const char* lookAlike = binaryLookAlike(bytes))
        return {Format::Other, lookAlike};

    // UTF-16 text: judge its first characters converted to UTF-8.
    std::size_t bom = 0;
    if (const char* utf16 = guessUtf16(bytes, &bom)) {
        const ByteView prefix =
            bytes.subspan(bom, std::min<std::size_t>(bytes.size() - bom, 8192) & ~std::size_t(1));
        const std::string utf8 = decodeToUtf8(prefix, utf16);
        SniffResult result = sniffText(utf8);
        if (result.format == Format::Rtf) // RTF is 7-bit text, never UTF-16
            result = {Format::PlainText, {}};
        return result;
    }

    SniffResult result = sniffText(text);
    if (result.format != Format::PlainText)
        return result;
    if (looksLikeText(bytes))
        return result;
    return {Format::Unknown, {}};
}

std::string zipPackageLookAlike(ByteView bytes)
{
    // Walk the local file headers ([APPNOTE] 4.3.7): signature, 26 bytes of
    // fields, the name, the extra field, the data.
    std::size_t offset = 0;
    bool word = false;
    for (int entry = 0; entry < 64 && hasAt(bytes, offset, "PK\x03\x04") && offset + 30 <= bytes.size();
         ++entry) {
        const auto u16 = [&](std::size_t at) {
            return std::size_t(bytes[offset + at] | (bytes[offset + at + 1] << 8));
        };
        const auto u32 = [&](std::size_t at) {
            return std::size_t(bytes[offset + at]) | (std::size_t(bytes[offset + at + 1]) << 8) |
                   (std::size_t(bytes[offset + at + 2]) << 16) | (std::size_t(bytes[offset + at + 3]) << 24);
        };
        const std::size_t flags = u16(6);
        const std::size_t method = u16(8);
        const std::size_t compressed = u32(18);
        const std::size_t nameLength = u16(26);
        const std::size_t extraLength = u16(28);
        const std::size_t nameStart = offset + 30;
        if (nameStart + nameLength > bytes.size())
            break;
        const std::string_view name(reinterpret_cast<const char*>(bytes.data()) + nameStart, nameLength);
        const std::size_t dataStart = nameStart + nameLength + extraLength;
        // ODF 1.2 Part 3, 3.3 and EPUB OCF: the first entry "mimetype",
        // stored, holds the media type.
        if (entry == 0 && name == "mimetype" && method == 0 && dataStart + compressed <= bytes.size()) {
            const std::string_view type(reinterpret_cast<const char*>(bytes.data()) + dataStart,
                                        std::min<std::size_t>(compressed, 128));
            if (type.starts_with("application/vnd.oasis.opendocument.text"))
                return "an OpenDocument text document (.odt)";
            if (type.starts_with("application/vnd.oasis.opendocument.spreadsheet"))
                return "an OpenDocument spreadsheet (.ods)";
            if (type.starts_with("application/vnd.oasis.opendocument.presentation"))
                return "an OpenDocument presentation (.odp)";
            if (type.starts_with("application/vnd.oasis.opendocument"))
                return "an OpenDocument file";
            if (type.starts_with("application/epub+zip"))
                return "an EPUB e-book";
            return "a zip archive of type " + std::string(type.substr(0, type.find_first_of("\r\n")));
        }
        if (name.starts_with("word/"))
            word = true;
        if (name.starts_with("xl/"))
            return "an Excel workbook";
        if (name.starts_with("ppt/"))
            return "a PowerPoint presentation";
        if (name.starts_with("visio/"))
            return "a Visio drawing";
        if (word)
            return {};
        // Sizes live in the data descriptor after the data: stop walking.
        if (flags & 0x08)
            break;
        if (dataStart + compressed > bytes.size())
            break;
        offset = dataStart + compressed;
    }
    return {};
}

} // namespace plainora::engine
