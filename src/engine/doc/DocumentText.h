#pragma once
// The characters of every document part in CP order, with the character
// properties that decide what is shown ([MS-DOC] 2.4.1, 2.4.6.2), and the
// paragraph properties of each paragraph mark ([MS-DOC] 2.4.2, 2.8.6).

#include "engine/Error.h"
#include "engine/doc/Fib.h"
#include "engine/doc/PieceTable.h"
#include "engine/doc/Properties.h"
#include "engine/doc/ScatteredBytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plainora::engine::doc {

class DocumentText
{
public:
    enum Flag : std::uint8_t {
        Dropped = 1,    // deleted revision or hidden text
        Special = 2,    // sprmCFSpec
        SpecVanish = 4, // a style separator
        Missing = 8,    // the piece points outside the stream
    };

    struct Sources
    {
        ScatteredBytes wordDocument; // read in place, never copied whole
        ByteView table;              // empty for Word 6/95
        const Fib* fib = nullptr;
        const PieceTable* pieces = nullptr;
        const StyleSheet* styles = nullptr;
        // 8-bit characters to Unicode: the [MS-DOC] 2.9.73 mapping for Word
        // 97, the document's code page for older files.
        const std::array<char16_t, 256>* byteMap = nullptr;
        bool readProperties = true; // Word 97 FKPs; off for older files
    };

    static Result<DocumentText> build(const Sources& sources);
    // Text without properties, 8-bit pieces decoded in a code page: Word
    // 6/95 and older files.
    static Result<DocumentText> buildUnformatted(ByteView stream, const PieceTable& pieces, int codePage);

    std::uint32_t size() const { return static_cast<std::uint32_t>(m_chars.size()); }
    char16_t at(std::uint32_t cp) const { return m_chars[cp]; }
    std::uint8_t flags(std::uint32_t cp) const { return m_flags[cp]; }
    std::u16string_view chars(std::uint32_t begin, std::uint32_t end) const
    {
        return std::u16string_view(m_chars).substr(begin, end - begin);
    }
    std::span<const std::uint8_t> flags(std::uint32_t begin, std::uint32_t end) const
    {
        return std::span<const std::uint8_t>(m_flags).subspan(begin, end - begin);
    }
    // The symbol (sprmCSymbol) or picture location of a special character,
    // or the font of a private-use symbol character; nullptr otherwise.
    const CharProps* extra(std::uint32_t cp) const;
    // Properties of the paragraph whose mark is the character at cp.
    ParaProps paragraph(std::uint32_t cp) const;

    // A symbol font's character, stored in the private-use range.
    static bool isSymbolFontUnit(char16_t c) { return (c & 0xFF00) == 0xF000; }

    // The [MS-DOC] 2.9.73 mapping of compressed 8-bit text.
    static const std::array<char16_t, 256>& compressedByteMap();

private:
    struct ParaRun
    {
        std::uint32_t fcStart;
        std::uint32_t fcEnd;
        ParaProps props;
    };
    struct CharRun
    {
        std::uint32_t fcStart;
        std::uint32_t fcEnd;
        CharProps props;
    };

    // What later steps look for in the text, counted in one pass.
    struct TextCensus
    {
        std::size_t marks = 0;  // paragraph and cell marks
        std::size_t breaks = 0; // page and section breaks
        bool hasSymbolFontUnits = false;

        static TextCensus of(std::u16string_view text);
    };

    void readCharacterProperties(const Sources& sources);
    const std::vector<CharRun>& charPage(std::uint32_t pn) const;
    const std::vector<ParaRun>& paraPage(std::uint32_t pn) const;
    // The paragraph run whose range holds fc, found through the bin table.
    const ParaRun* paraRunAt(std::uint64_t fc) const;
    // Every run of the pages the bin table lists, in its order; nullopt
    // past limit runs.
    template <typename Run, typename Page>
    std::optional<std::vector<Run>> allRuns(const Plc& bte, Page page, std::size_t limit) const;
    void matchShiftedOffsets();

    std::u16string m_chars;
    std::vector<std::uint8_t> m_flags;
    TextCensus m_census;
    std::unordered_map<std::uint32_t, CharProps> m_extras; // symbols and picture locations
    ScatteredBytes m_wordDocument;
    mutable std::vector<std::uint8_t> m_pageScratch; // an FKP page that spans two runs
    const PieceTable* m_pieces = nullptr;
    const StyleSheet* m_styles = nullptr;
    std::optional<Plc> m_papxBte;
    std::optional<Plc> m_chpxBte;
    bool m_readProperties = false;
    mutable std::unordered_map<std::uint32_t, std::vector<CharRun>> m_charPages;
    mutable std::unordered_map<std::uint32_t, std::vector<ParaRun>> m_paraPages;
    struct PageInBinTable
    {
        std::uint32_t fcStart = 0; // the range of the bin table's entry
        std::uint32_t fcEnd = 0;
        std::uint32_t pn = 0;
    };
    mutable PageInBinTable m_lastParaPage; // of the last paragraph looked up
    // When the FKPs' offsets disagree with the piece table: what to add to
    // each piece's offsets to find its runs, and every run, sorted.
    std::vector<std::optional<std::int64_t>> m_shifts;
    std::vector<ParaRun> m_shiftedParaRuns;
    std::vector<CharRun> m_shiftedCharRuns;
};

// 8-bit characters of a code page to Unicode; lead bytes of double-byte
// code pages become U+FFFD.
std::array<char16_t, 256> byteMapForCodePage(int codePage);

} // namespace plainora::engine::doc
