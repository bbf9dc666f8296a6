#include "FormatSniffer.h"

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

std::string lowerPrefix(ByteView bytes, std::size_t limit)
{
    std::string text;
    const std::size_t n = std::min(bytes.size(), limit);
    text.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        text.push_back(static_cast<char>(std::tolower(bytes[i])));
    return text;
}

// Skips a UTF-8 byte-order mark and leading white space.
ByteView trimmedStart(ByteView bytes)
{
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        bytes = bytes.subspan(3);
    std::size_t i = 0;
    while (i < bytes.size() && i < 4096 && std::isspace(bytes[i]))
        ++i;
    return bytes.subspan(i);
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

} // namespace

SniffResult sniffFormat(ByteView bytes)
{
    static constexpr std::string_view kCfbMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (startsWith(bytes, kCfbMagic))
        return {Format::CompoundFile, {}};
    if (startsWith(bytes, "PK\x03\x04") || startsWith(bytes, "PK\x05\x06"))
        return {Format::OoxmlPackage, {}};
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
    if (startsWith(bytes, "%PDF"))
        return {Format::Other, "a PDF document"};
    if (startsWith(bytes, "\x89PNG"))
        return {Format::Other, "a PNG image"};
    if (startsWith(bytes, "\xFF\xD8\xFF"))
        return {Format::Other, "a JPEG image"};
    if (startsWith(bytes, "GIF8"))
        return {Format::Other, "a GIF image"};
    if (startsWith(bytes, "\x1F\x8B"))
        return {Format::Other, "a gzip archive"};
    if (startsWith(bytes, "7z\xBC\xAF"))
        return {Format::Other, "a 7-Zip archive"};
    if (startsWith(bytes, "Rar!"))
        return {Format::Other, "a RAR archive"};
    if (startsWith(bytes, "\x7F" "ELF"))
        return {Format::Other, "a program (ELF executable)"};
    if (startsWith(bytes, "MZ"))
        return {Format::Other, "a Windows program"};

    const ByteView start = trimmedStart(bytes);
    if (startsWith(start, "{\\rtf"))
        return {Format::Rtf, {}};
    const std::string head = lowerPrefix(start, 4096);
    if (head.starts_with("<?xml") || head.starts_with("<pkg:package") || head.starts_with("<w:worddocument")) {
        if (head.find("pkg:package") != std::string::npos || head.find("w:worddocument") != std::string::npos ||
            head.find("schemas.microsoft.com/office/word/2003/wordml") != std::string::npos ||
            head.find("progid=\"word.document\"") != std::string::npos)
            return {Format::FlatXml, {}};
        if (head.find("<html") != std::string::npos)
            return {Format::Html, {}};
        return {Format::Other, "an XML file that is not a Word document"};
    }
    if (head.starts_with("<!doctype html") || head.starts_with("<html") || head.starts_with("<head") ||
        head.starts_with("<body") || (head.starts_with("<!--") && head.find("<html") != std::string::npos) ||
        head.starts_with("<meta"))
        return {Format::Html, {}};
    if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF"))
        return {Format::PlainText, {}};
    if (looksLikeText(bytes))
        return {Format::PlainText, {}};
    return {Format::Unknown, {}};
}

} // namespace plainora::engine
