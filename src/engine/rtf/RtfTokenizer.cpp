#include "engine/rtf/RtfTokenizer.h"

#include <cstring>

namespace plainora::engine {

namespace {

bool isLetter(std::uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

// [RTF 1.6] "RTF Syntax": parameters are signed 16-bit numbers, some words
// take 32-bit ones. Keep ten digits at most and clamp to 32 bits.
constexpr std::size_t kMaxParameterDigits = 10;

} // namespace

RtfToken RtfTokenizer::next()
{
    RtfToken token;
    // Raw CR and LF carry no meaning in RTF.
    while (m_pos < m_size && (m_data[m_pos] == '\r' || m_data[m_pos] == '\n'))
        ++m_pos;
    if (m_pos >= m_size)
        return token;
    const std::uint8_t c = m_data[m_pos];
    if (c == '{') {
        ++m_pos;
        token.type = RtfToken::Type::GroupStart;
        return token;
    }
    if (c == '}') {
        ++m_pos;
        token.type = RtfToken::Type::GroupEnd;
        return token;
    }
    if (c == '\\') {
        readControl(token);
        return token;
    }
    const std::size_t start = m_pos;
    while (m_pos < m_size) {
        const std::uint8_t b = m_data[m_pos];
        if (b == '\\' || b == '{' || b == '}' || b == '\r' || b == '\n')
            break;
        ++m_pos;
    }
    token.type = RtfToken::Type::Text;
    token.text = std::string_view(reinterpret_cast<const char*>(m_data + start), m_pos - start);
    return token;
}

void RtfTokenizer::readControl(RtfToken& token)
{
    ++m_pos; // the backslash
    if (m_pos >= m_size) {
        token.type = RtfToken::Type::End;
        return;
    }
    const std::uint8_t c = m_data[m_pos];
    if (!isLetter(c)) {
        ++m_pos;
        if (c == '\'') {
            const int high = m_pos < m_size ? hexDigitValue(m_data[m_pos]) : -1;
            const int low = m_pos + 1 < m_size ? hexDigitValue(m_data[m_pos + 1]) : -1;
            if (high < 0 || low < 0) { // a broken escape: drop it
                token.type = RtfToken::Type::ControlSymbol;
                token.symbol = '\'';
                return;
            }
            m_pos += 2;
            token.type = RtfToken::Type::HexByte;
            token.byte = static_cast<std::uint8_t>(high * 16 + low);
            return;
        }
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = (c == '\r' || c == '\n') ? '\n' : static_cast<char>(c);
        return;
    }
    const std::size_t start = m_pos;
    while (m_pos < m_size && isLetter(m_data[m_pos]))
        ++m_pos;
    token.type = RtfToken::Type::ControlWord;
    // A word longer than RTF allows is read whole but never matches a known one.
    const std::size_t length = m_pos - start;
    token.word = std::string_view(reinterpret_cast<const char*>(m_data + start),
                                  length > kMaxWordLength ? kMaxWordLength + 1 : length);
    bool negative = false;
    if (m_pos + 1 < m_size && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < m_size && isDigit(m_data[m_pos])) {
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (m_pos < m_size && isDigit(m_data[m_pos])) {
            if (digits < kMaxParameterDigits)
                value = value * 10 + (m_data[m_pos] - '0');
            ++digits;
            ++m_pos;
        }
        if (negative)
            value = -value;
        if (value > INT32_MAX)
            value = INT32_MAX;
        if (value < INT32_MIN)
            value = INT32_MIN;
        token.hasParameter = true;
        token.parameter = static_cast<std::int32_t>(value);
    }
    if (m_pos < m_size && m_data[m_pos] == ' ')
        ++m_pos; // the delimiting space belongs to the control word
    if (token.word == "bin")
        skipBinary(token.hasParameter ? token.parameter : 0, &token);
}

void RtfTokenizer::skipBinary(std::int64_t length, RtfToken* token)
{
    // [RTF 1.5] "Pictures": \binN is followed by N raw bytes. A negative or
    // too large count is cut to what the file holds.
    const std::size_t remaining = m_size - m_pos;
    const std::size_t count =
        length <= 0 ? 0 : (static_cast<std::uint64_t>(length) > remaining ? remaining : std::size_t(length));
    if (token) {
        token->type = RtfToken::Type::Binary;
        token->text = std::string_view(reinterpret_cast<const char*>(m_data + m_pos), count);
    }
    m_pos += count;
}

bool RtfTokenizer::skipGroup()
{
    std::size_t depth = 1;
    while (m_pos < m_size) {
        // Jump to the next byte that matters.
        const void* hit = nullptr;
        for (std::size_t i = m_pos; i < m_size; ++i) {
            const std::uint8_t b = m_data[i];
            if (b == '{' || b == '}' || b == '\\') {
                hit = m_data + i;
                break;
            }
        }
        if (!hit) {
            m_pos = m_size;
            return false;
        }
        m_pos = static_cast<const std::uint8_t*>(hit) - m_data;
        const std::uint8_t c = m_data[m_pos];
        if (c == '{') {
            ++depth;
            ++m_pos;
        } else if (c == '}') {
            ++m_pos;
            if (--depth == 0)
                return true;
        } else if (m_pos + 1 < m_size && m_data[m_pos + 1] == 'b' && m_pos + 3 < m_size &&
                   m_data[m_pos + 2] == 'i' && m_data[m_pos + 3] == 'n' &&
                   (m_pos + 4 >= m_size || !isLetter(m_data[m_pos + 4]))) {
            RtfToken ignored;
            readControl(ignored); // skips the binary data too
        } else {
            m_pos += 2; // an escaped brace or backslash, or the first letter of a word
        }
    }
    return false;
}

} // namespace plainora::engine
