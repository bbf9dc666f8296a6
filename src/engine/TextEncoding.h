#pragma once
// Character set conversions shared by the readers and the writer.

#include "engine/Error.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plainora::engine {

using ByteView = std::span<const std::uint8_t>;

inline ByteView asBytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void appendUtf8(std::string& out, char32_t codePoint);

// The value of an ASCII hexadecimal digit, or -1 for any other character.
constexpr int hexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// ASCII-only case folding: markup, part and font names compare without
// regard to case whatever the process locale is, and other bytes stay as
// they are.
constexpr char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string asciiLower(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

bool isValidUtf8(std::string_view text);
// The text with each byte that belongs to no well-formed sequence replaced by U+FFFD.
std::string repairUtf8(std::string_view text);

// UTF-16 code units: a high surrogate and the low one after it make one
// code point beyond the Basic Multilingual Plane.
constexpr bool isHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr char32_t combineSurrogates(char32_t high, char32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Joins UTF-16 code units given one at a time into code points. A high
// surrogate waits for the next unit. One that no low surrogate follows is
// U+FFFD (Replace) or left out (Drop); a low surrogate without its high one
// is passed on as it is, and appendUtf8 makes it U+FFFD.
class Utf16Joiner
{
public:
    enum class LoneHigh { Replace, Drop };

    explicit constexpr Utf16Joiner(LoneHigh loneHigh) : m_loneHigh(loneHigh) {}

    // Calls take(char32_t) for each code point the unit completes.
    template <typename Take> void push(char32_t unit, Take&& take)
    {
        if (isHighSurrogate(unit)) {
            flush(take);
            m_high = unit;
        } else if (m_high && isLowSurrogate(unit)) {
            take(combineSurrogates(m_high, unit));
            m_high = 0;
        } else {
            flush(take);
            take(unit);
        }
    }
    // At the end of the text the units belong to.
    template <typename Take> void flush(Take&& take)
    {
        if (m_high && m_loneHigh == LoneHigh::Replace)
            take(char32_t(0xFFFD));
        m_high = 0;
    }
    void reset() { m_high = 0; }

private:
    char32_t m_high = 0;
    LoneHigh m_loneHigh;
};

// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16leToUtf8(ByteView bytes);
void appendUtf16le(std::string& out, ByteView bytes);

// The iconv name of a Windows code page ("CP1252" for 1252, "UTF-8" for
// 65001, ...), or an empty string for one iconv does not know.
std::string charsetForCodePage(int codePage);

// The Windows code page of a font character set (RTF's \fcharset), or 0
// for the default set and unknown ones, which take the document's.
int codePageForCharset(int charset);
// The Windows code page of an older Word document, from its language id.
int codePageForLanguage(std::uint16_t lid);

// Decodes bytes of an iconv character set to UTF-8; a byte sequence the
// character set cannot decode becomes U+FFFD. Unknown charsets decode as
// Windows-1252.
std::string decodeToUtf8(ByteView bytes, const std::string& charset);

// "UTF-16LE" or "UTF-16BE" when the bytes are UTF-16 text: by their
// byte-order mark, or without one by the zero high bytes of Latin text;
// nullptr otherwise. bomLength says how many bytes the mark takes.
const char* guessUtf16(ByteView bytes, std::size_t* bomLength = nullptr);

// Code pages whose characters take more than one byte (932, 936, 949, 950,
// 1361, 54936, 65001, ...): their bytes cannot be decoded one at a time.
bool isMultiByteCodePage(int codePage);

// The UTF-8 form of each of the 256 byte values of a single-byte character
// set, decoded once so that a reader can decode byte by byte without iconv.
// A byte the set does not define is U+FFFD; an unknown set reads as
// Windows-1252.
std::array<std::string, 256> singleByteTable(const std::string& charset);

struct EncodedText
{
    std::string bytes;
    std::size_t replacedCharacters = 0; // characters the target could not hold
};

// Whether an iconv character-set name is UTF-8 (no conversion needed).
bool isUtf8Charset(const std::string& charset);

// Encodes UTF-8 text into an iconv character set; a character the target
// cannot hold is written as '?' and counted.
Result<EncodedText> encodeFromUtf8(std::string_view utf8, const std::string& charset);

} // namespace plainora::engine
