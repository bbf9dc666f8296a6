#include "engine/docx/XmlText.h"

#include "engine/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace plainora::engine::docx {

namespace {

bool isXmlChar(std::uint32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

// The tree parser takes UTF-8 only and leaves document types alone: a part
// in another encoding, or with a DOCTYPE (which might declare entities), is
// left to expat.
bool treeCanParse(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!text.starts_with("<"))
        return false;
    if (text.starts_with("<?xml")) {
        const std::size_t end = text.find("?>");
        if (end == std::string_view::npos)
            return false;
        const std::string_view declaration = text.substr(0, end);
        const std::size_t encoding = declaration.find("encoding");
        if (encoding != std::string_view::npos) {
            const std::size_t quote = declaration.find_first_of("'\"", encoding);
            if (quote == std::string_view::npos)
                return false;
            const std::string_view name = declaration.substr(quote + 1);
            if (!startsWithIgnoringCase(name, "utf-8") || name.size() < 6 || name[5] != declaration[quote])
                return false;
        }
    }
    // A DOCTYPE can only stand before the root element.
    std::size_t root = 0;
    while (root != std::string_view::npos && root + 1 < text.size() &&
           (text[root + 1] == '!' || text[root + 1] == '?'))
        root = text.find('<', root + 1);
    return text.substr(0, root).find("<!DOCTYPE") == std::string_view::npos;
}

// The checks expat makes and the tree parser does not: every byte part of
// well-formed UTF-8, no control character, every numeric character
// reference naming a character XML allows. ASCII without '&' or a control
// byte goes 32 bytes at a time (a loop the compiler makes into vector
// instructions), or else eight.
bool isCleanXmlText(std::string_view text)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    constexpr std::size_t kBlock = 32;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + kBlock <= text.size()) {
            unsigned char special = 0;
            for (std::size_t k = 0; k < kBlock; ++k) {
                const auto c = static_cast<unsigned char>(text[i + k]);
                special |= static_cast<unsigned char>((c < 0x20) | (c >= 0x80) | (c == '&'));
            }
            if (!special) {
                i += kBlock;
                continue;
            }
        }
        if (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            const std::uint64_t ampersands = word ^ (kOnes * '&');
            const std::uint64_t special =
                (word | ((word - kOnes * 0x20) & ~word) | ((ampersands - kOnes) & ~ampersands)) & kHigh;
            if (!special) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            std::size_t end = i;
            while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80)
                ++end;
            if (!isValidUtf8(text.substr(i, end - i)))
                return false;
            i = end;
            continue;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        if (c == '&' && text.substr(i).starts_with("&#")) {
            const bool hex = text.substr(i).starts_with("&#x");
            std::size_t at = i + (hex ? 3 : 2);
            std::uint32_t value = 0;
            bool any = false;
            for (; at < text.size() && text[at] != ';'; ++at) {
                const int digit = hex ? hexDigitValue(static_cast<unsigned char>(text[at]))
                                      : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);
                if (digit < 0 || value > 0x10FFFF)
                    return false;
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
                any = true;
            }
            if (!any || !isXmlChar(value))
                return false;
        }
        ++i;
    }
    return true;
}

pugi::xml_parse_result loadInPlace(pugi::xml_document& tree, std::string& text)
{
    const unsigned options = pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_eol |
                             pugi::parse_cdata | pugi::parse_ws_pcdata;
    return tree.load_buffer_inplace(text.data(), text.size(), options, pugi::encoding_utf8);
}

// Line and column (from 1) of a byte offset, as expat reports them.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return {line, offset - lineStart + 1};
}

// Where the markup starting at text[at] == '<' ends (one past its '>'), or
// npos while it is incomplete.
std::size_t markupEnd(std::string_view text, std::size_t at)
{
    const std::string_view rest = text.substr(at);
    auto after = [&](std::string_view close) {
        const std::size_t end = text.find(close, at + 2);
        return end == std::string_view::npos ? end : end + close.size();
    };
    if (rest.starts_with("<!--"))
        return after("-->");
    if (rest.starts_with("<![CDATA["))
        return after("]]>");
    if (rest.starts_with("<?"))
        return after("?>");
    if (rest.size() < 9 && std::string_view("<![CDATA[").starts_with(rest))
        return std::string_view::npos; // too short to tell yet
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string_view tagName(std::string_view tag)
{
    const std::size_t end = tag.find_first_of(" \t\r\n/>");
    return tag.substr(0, end);
}

bool isNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace plainora::engine::docx
