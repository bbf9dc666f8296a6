#pragma once
// Rendering of list numbers and symbol-font characters as a word processor
// displays them; shared by every reader that computes list labels.

#include <string>
#include <string_view>

namespace plainora::engine {

enum class NumberFormat {
    Decimal,            // 1, 2, 3
    DecimalZero,        // 01, 02, ... 10
    LowerLetter,        // a .. z, aa .. zz, aaa
    UpperLetter,        // A .. Z, AA
    LowerRoman,         // i, ii, iii
    UpperRoman,         // I, II, III
    Ordinal,            // 1st, 2nd, 3rd
    CardinalText,       // One, Two
    OrdinalText,        // First, Second
    Bullet,             // the level text is the bullet itself
    None,               // no number
};

// ECMA-376 Part 1 17.18.59 ST_NumberFormat names ("decimal", "lowerRoman", ...);
// unknown names read as Decimal.
NumberFormat numberFormatFromOoxml(std::string_view name);
// [MS-DOC] 2.9.149 LVL nfc values (0 decimal, 1 upper roman, ...).
NumberFormat numberFormatFromNfc(int nfc);

std::string formatListNumber(int value, NumberFormat format);

// Maps a character of a symbol font (Symbol, Wingdings, Webdings) to its
// Unicode look-alike; characters of other fonts come back unchanged.
// Code points in the private-use range F000-F0FF are taken as the font's
// own byte value, as Word stores them.
char32_t mapSymbolFontCharacter(std::string_view fontName, char32_t codePoint);

} // namespace plainora::engine
