#include "engine/NumberFormat.h"

#include "engine/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace plainora::engine {

namespace {

std::string toRoman(int value, bool upper)
{
    if (value <= 0 || value >= 4000)
        return std::to_string(value);
    static constexpr std::array<std::pair<int, const char*>, 13> kParts{{{1000, "m"},
                                                                         {900, "cm"},
                                                                         {500, "d"},
                                                                         {400, "cd"},
                                                                         {100, "c"},
                                                                         {90, "xc"},
                                                                         {50, "l"},
                                                                         {40, "xl"},
                                                                         {10, "x"},
                                                                         {9, "ix"},
                                                                         {5, "v"},
                                                                         {4, "iv"},
                                                                         {1, "i"}}};
    std::string out;
    for (const auto& [amount, letters] : kParts) {
        while (value >= amount) {
            out += letters;
            value -= amount;
        }
    }
    if (upper)
        std::transform(out.begin(), out.end(), out.begin(), [](char c) { return asciiUpper(c); });
    return out;
}

// Word repeats the letter: 27 is "aa", 53 is "aaa".
std::string toLetters(int value, bool upper)
{
    if (value <= 0)
        return std::to_string(value);
    const char letter = static_cast<char>((upper ? 'A' : 'a') + (value - 1) % 26);
    const int repeat = std::min((value - 1) / 26 + 1, 64);
    return std::string(static_cast<std::size_t>(repeat), letter);
}

// The four note symbols in turn, repeated once more each round: 5 is "**".
std::string chicagoSymbols(int value)
{
    if (value <= 0)
        return std::to_string(value);
    static constexpr std::array<const char*, 4> kSymbols{"*", "\u2020", "\u2021", "\u00A7"};
    const int repeat = std::min((value - 1) / 4 + 1, 64);
    std::string out;
    for (int i = 0; i < repeat; ++i)
        out += kSymbols[static_cast<std::size_t>((value - 1) % 4)];
    return out;
}

std::string ordinalSuffix(int value)
{
    const int lastTwo = value % 100;
    if (lastTwo >= 11 && lastTwo <= 13)
        return "th";
    switch (value % 10) {
    case 1:
        return "st";
    case 2:
        return "nd";
    case 3:
        return "rd";
    default:
        return "th";
    }
}

constexpr std::array<const char*, 20> kOnes{"zero",    "one",     "two",       "three",    "four",
                                            "five",    "six",     "seven",     "eight",    "nine",
                                            "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                            "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<const char*, 10> kTens{"",      "",      "twenty",  "thirty", "forty",
                                            "fifty", "sixty", "seventy", "eighty", "ninety"};

std::string cardinalWords(int value)
{
    if (value < 0 || value >= 1000000)
        return std::to_string(value);
    if (value < 20)
        return kOnes[static_cast<std::size_t>(value)];
    if (value < 100) {
        std::string out = kTens[static_cast<std::size_t>(value / 10)];
        if (value % 10)
            out += std::string("-") + kOnes[static_cast<std::size_t>(value % 10)];
        return out;
    }
    if (value < 1000) {
        std::string out = std::string(kOnes[static_cast<std::size_t>(value / 100)]) + " hundred";
        if (value % 100)
            out += " " + cardinalWords(value % 100);
        return out;
    }
    std::string out = cardinalWords(value / 1000) + " thousand";
    if (value % 1000)
        out += " " + cardinalWords(value % 1000);
    return out;
}

std::string ordinalWords(int value)
{
    std::string words = cardinalWords(value);
    static constexpr std::array<std::pair<const char*, const char*>, 12> kIrregular{{{"one", "first"},
                                                                                     {"two", "second"},
                                                                                     {"three", "third"},
                                                                                     {"five", "fifth"},
                                                                                     {"eight", "eighth"},
                                                                                     {"nine", "ninth"},
                                                                                     {"twelve", "twelfth"},
                                                                                     {"twenty", "twentieth"},
                                                                                     {"thirty", "thirtieth"},
                                                                                     {"forty", "fortieth"},
                                                                                     {"fifty", "fiftieth"},
                                                                                     {"sixty", "sixtieth"}}};
    for (const auto& [plain, ordinal] : kIrregular) {
        const std::string suffix = plain;
        if (words.size() >= suffix.size() &&
            words.compare(words.size() - suffix.size(), suffix.size(), suffix) == 0) {
            const std::size_t start = words.size() - suffix.size();
            if (start == 0 || words[start - 1] == ' ' || words[start - 1] == '-')
                return words.substr(0, start) + ordinal;
        }
    }
    if (words.ends_with("y"))
        return words.substr(0, words.size() - 1) + "ieth";
    return words + "th";
}

std::string capitalised(std::string text)
{
    if (!text.empty())
        text[0] = asciiUpper(text[0]);
    return text;
}

} // namespace

NumberFormat numberFormatFromOoxml(std::string_view name)
{
    if (name == "decimalZero")
        return NumberFormat::DecimalZero;
    if (name == "lowerLetter")
        return NumberFormat::LowerLetter;
    if (name == "upperLetter")
        return NumberFormat::UpperLetter;
    if (name == "lowerRoman")
        return NumberFormat::LowerRoman;
    if (name == "upperRoman")
        return NumberFormat::UpperRoman;
    if (name == "ordinal")
        return NumberFormat::Ordinal;
    if (name == "cardinalText")
        return NumberFormat::CardinalText;
    if (name == "ordinalText")
        return NumberFormat::OrdinalText;
    if (name == "chicago")
        return NumberFormat::Chicago;
    if (name == "bullet")
        return NumberFormat::Bullet;
    if (name == "none")
        return NumberFormat::None;
    return NumberFormat::Decimal;
}

NumberFormat numberFormatFromNfc(int nfc)
{
    switch (nfc) {
    case 0:
        return NumberFormat::Decimal;
    case 1:
        return NumberFormat::UpperRoman;
    case 2:
        return NumberFormat::LowerRoman;
    case 3:
        return NumberFormat::UpperLetter;
    case 4:
        return NumberFormat::LowerLetter;
    case 5:
        return NumberFormat::Ordinal;
    case 6:
        return NumberFormat::CardinalText;
    case 7:
        return NumberFormat::OrdinalText;
    case 9:
        return NumberFormat::Chicago;
    case 22:
        return NumberFormat::DecimalZero;
    case 23:
        return NumberFormat::Bullet;
    case 255:
        return NumberFormat::None;
    default:
        return NumberFormat::Decimal;
    }
}

NumberFormat numberFormatFromOdf(std::string_view format)
{
    if (format.empty())
        return NumberFormat::None;
    switch (format[0]) {
    case 'a':
        return NumberFormat::LowerLetter;
    case 'A':
        return NumberFormat::UpperLetter;
    case 'i':
        return NumberFormat::LowerRoman;
    case 'I':
        return NumberFormat::UpperRoman;
    default:
        return NumberFormat::Decimal;
    }
}

std::string formatListNumber(int value, NumberFormat format)
{
    switch (format) {
    case NumberFormat::Decimal:
        return std::to_string(value);
    case NumberFormat::DecimalZero:
        return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
    case NumberFormat::LowerLetter:
        return toLetters(value, false);
    case NumberFormat::UpperLetter:
        return toLetters(value, true);
    case NumberFormat::LowerRoman:
        return toRoman(value, false);
    case NumberFormat::UpperRoman:
        return toRoman(value, true);
    case NumberFormat::Ordinal:
        return std::to_string(value) + ordinalSuffix(value);
    case NumberFormat::CardinalText:
        return capitalised(cardinalWords(value));
    case NumberFormat::OrdinalText:
        return capitalised(ordinalWords(value));
    case NumberFormat::Chicago:
        return chicagoSymbols(value);
    case NumberFormat::Bullet:
    case NumberFormat::None:
        return {};
    }
    return std::to_string(value);
}

std::string NoteCounter::next(const NoteNumbering& numbering, int section)
{
    if (!m_started || (numbering.restartEachSection && section != m_section))
        m_next = numbering.start;
    m_started = true;
    m_section = section;
    return formatListNumber(m_next++, numbering.format);
}

SymbolFont symbolFontOf(std::string_view fontName)
{
    if (equalsIgnoringCase(fontName, "symbol"))
        return SymbolFont::Symbol;
    if (startsWithIgnoringCase(fontName, "wingdings"))
        return SymbolFont::Wingdings;
    if (equalsIgnoringCase(fontName, "webdings"))
        return SymbolFont::Webdings;
    return SymbolFont::None;
}

char32_t mapSymbolFontCharacter(std::string_view fontName, char32_t cp)
{
    const SymbolFont font = symbolFontOf(fontName);
    if (font == SymbolFont::None) {
        if (cp >= 0xF000 && cp <= 0xF0FF)
            return cp - 0xF000; // a private-use alias of a plain character
        return cp;
    }
    const char32_t code = (cp >= 0xF000 && cp <= 0xF0FF) ? cp - 0xF000 : cp;
    if (font == SymbolFont::Symbol) {
        switch (code) {
        case 0xB7:
            return U'\u2022'; // bullet
        case 0xA8:
            return U'\u2666';
        case 0xA9:
            return U'\u2665';
        case 0xAA:
            return U'\u2660';
        case 0xAB:
            return U'\u2194';
        case 0xAE:
            return U'\u2192';
        case 0xB0:
            return U'\u00B0';
        case 0xB1:
            return U'\u00B1';
        case 0xB4:
            return U'\u00D7';
        case 0xB8:
            return U'\u00F7';
        case 0xB9:
            return U'\u2260';
        case 0xA3:
            return U'\u2264';
        case 0xB3:
            return U'\u2265';
        case 0xA5:
            return U'\u221E';
        case 0xD6:
            return U'\u221A';
        case 0xE5:
            return U'\u2211';
        case 0x2D:
            return U'\u2212';
        default:
            break;
        }
        // Greek letters sit on the Latin letters of the Symbol font.
        static constexpr char32_t kGreekUpper[26] = {
            U'\u0391', U'\u0392', U'\u03A7', U'\u0394', U'\u0395', U'\u03A6', U'\u0393', U'\u0397', U'\u0399',
            U'\u03D1', U'\u039A', U'\u039B', U'\u039C', U'\u039D', U'\u039F', U'\u03A0', U'\u0398', U'\u03A1',
            U'\u03A3', U'\u03A4', U'\u03A5', U'\u03C2', U'\u03A9', U'\u039E', U'\u03A8', U'\u0396'};
        static constexpr char32_t kGreekLower[26] = {
            U'\u03B1', U'\u03B2', U'\u03C7', U'\u03B4', U'\u03B5', U'\u03C6', U'\u03B3', U'\u03B7', U'\u03B9',
            U'\u03D5', U'\u03BA', U'\u03BB', U'\u03BC', U'\u03BD', U'\u03BF', U'\u03C0', U'\u03B8', U'\u03C1',
            U'\u03C3', U'\u03C4', U'\u03C5', U'\u03D6', U'\u03C9', U'\u03BE', U'\u03C8', U'\u03B6'};
        if (code >= 'A' && code <= 'Z')
            return kGreekUpper[code - 'A'];
        if (code >= 'a' && code <= 'z')
            return kGreekLower[code - 'a'];
        return code < 0x80 ? code : U'\u2022';
    }
    if (font == SymbolFont::Wingdings) {
        switch (code) {
        case 0x9F:
            return U'\u2022';
        case 0xA7:
            return U'\u25AA'; // small black square
        case 0xA8:
            return U'\u25FB';
        case 0x6C:
            return U'\u25CF';
        case 0x6E:
            return U'\u25A0';
        case 0x6F:
            return U'\u25A1';
        case 0x71:
            return U'\u2751';
        case 0x75:
            return U'\u25C6';
        case 0x76:
            return U'\u2756';
        case 0xD8:
            return U'\u27A2';
        case 0xE0:
            return U'\u2794';
        case 0xE8:
            return U'\u2794';
        case 0xF0:
            return U'\u21E8';
        case 0xFB:
            return U'\u2717';
        case 0xFC:
            return U'\u2713';
        case 0xFD:
            return U'\u2612';
        case 0xFE:
            return U'\u2611';
        case 0x4A:
            return U'\u263A';
        default:
            return U'\u2022';
        }
    }
    return U'\u2022'; // webdings: no faithful mapping, keep a bullet
}

} // namespace plainora::engine
