#pragma once
// Splits RTF into its lexical units: group braces, control words with their
// optional parameter, control symbols, escaped bytes (\'hh) and runs of
// plain text. It keeps no state beyond its position, so nesting depth and
// destinations are the reader's business.

#include "engine/TextEncoding.h"

#include <cstdint>
#include <string_view>

namespace plainora::engine {

struct RtfToken
{
    enum class Type { End, GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Text, Binary };

    Type type = Type::End;
    std::string_view word; // ControlWord: the letters (at most kMaxWordLength)
    bool hasParameter = false;
    std::int32_t parameter = 0;
    char symbol = 0;       // ControlSymbol; a backslash before CR or LF reads as '\n'
    std::uint8_t byte = 0; // HexByte
    std::string_view text; // Text: raw bytes without CR and LF; Binary: the \bin data
};

class RtfTokenizer
{
public:
    // [RTF 1.6] "RTF Syntax": a control word has at most 32 letters.
    static constexpr std::size_t kMaxWordLength = 32;

    explicit RtfTokenizer(ByteView bytes) : m_data(bytes.data()), m_size(bytes.size()) {}

    // The next token; Type::End at the end of the input.
    RtfToken next();

    // Skips the rest of the current group, up to and including its closing
    // brace, without looking at its content beyond braces, escapes and \bin
    // data. Returns false when the input ends first.
    bool skipGroup();

    std::size_t position() const { return m_pos; }
    std::size_t size() const { return m_size; }

private:
    void readControl(RtfToken& token);
    // Skips \binN data: N bytes after the control word, never past the end.
    void skipBinary(std::int64_t length, RtfToken* token);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace plainora::engine
