#pragma once
// Rendering of list numbers and symbol-font characters as a word processor
// displays them; shared by every reader that computes list labels.

#include <string>
#include <string_view>

namespace plainora::engine {

enum class NumberFormat {
    Decimal,      // 1, 2, 3
    DecimalZero,  // 01, 02, ... 10
    LowerLetter,  // a .. z, aa .. zz, aaa
    UpperLetter,  // A .. Z, AA
    LowerRoman,   // i, ii, iii
    UpperRoman,   // I, II, III
    Ordinal,      // 1st, 2nd, 3rd
    CardinalText, // One, Two
    OrdinalText,  // First, Second
    Chicago,      // *, †, ‡, §, then doubled: **, ††
    Bullet,       // the level text is the bullet itself
    None,         // no number
};

// ECMA-376 Part 1 17.18.59 ST_NumberFormat names ("decimal", "lowerRoman", ...);
// unknown names read as Decimal.
NumberFormat numberFormatFromOoxml(std::string_view name);
// [MS-DOC] 2.9.149 LVL nfc values (0 decimal, 1 upper roman, ...).
NumberFormat numberFormatFromNfc(int nfc);

// OpenDocument style:num-format values ("1", "a", "A", "i", "I"; empty for
// no number), also as the librevenge libraries pass them on.
NumberFormat numberFormatFromOdf(std::string_view format);

std::string formatListNumber(int value, NumberFormat format);

// How the automatically numbered notes of one kind (footnotes or endnotes)
// are numbered in a section.
struct NoteNumbering
{
    NumberFormat format = NumberFormat::Decimal;
    int start = 1;
    // Numbering starts again at each section. Restarting on each page is
    // not kept: without a page layout the notes count on.
    bool restartEachSection = false;
};

// Gives the marks of one kind of notes in document order.
class NoteCounter
{
public:
    // The mark of the next automatically numbered note, which lies in the
    // given section (sections counted from 0 in document order).
    std::string next(const NoteNumbering& numbering, int section);

private:
    bool m_started = false;
    int m_section = 0;
    int m_next = 1;
};

// The fonts whose characters are pictures at the places of letters, so
// their text needs mapping to Unicode look-alikes.
enum class SymbolFont {
    None,
    Symbol,
    Wingdings, // any "Wingdings..." font
    Webdings,
};
SymbolFont symbolFontOf(std::string_view fontName);
inline bool isSymbolFont(std::string_view fontName)
{
    return symbolFontOf(fontName) != SymbolFont::None;
}

// Maps a character of a symbol font (Symbol, Wingdings, Webdings) to its
// Unicode look-alike; characters of other fonts come back unchanged.
// Code points in the private-use range F000-F0FF are taken as the font's
// own byte value, as Word stores them.
char32_t mapSymbolFontCharacter(std::string_view fontName, char32_t codePoint);

} // namespace plainora::engine
