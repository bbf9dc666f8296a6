#include "engine/NumberFormat.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

TEST(NumberFormat, RendersEveryListNumberFormatAsWordDisplaysIt)
{
    EXPECT_EQ(formatListNumber(7, NumberFormat::Decimal), "7");
    EXPECT_EQ(formatListNumber(7, NumberFormat::DecimalZero), "07");
    EXPECT_EQ(formatListNumber(12, NumberFormat::DecimalZero), "12");
    EXPECT_EQ(formatListNumber(1, NumberFormat::LowerLetter), "a");
    EXPECT_EQ(formatListNumber(27, NumberFormat::LowerLetter), "aa");
    EXPECT_EQ(formatListNumber(54, NumberFormat::UpperLetter), "BBB");
    EXPECT_EQ(formatListNumber(1994, NumberFormat::UpperRoman), "MCMXCIV");
    EXPECT_EQ(formatListNumber(4, NumberFormat::LowerRoman), "iv");
    EXPECT_EQ(formatListNumber(11, NumberFormat::Ordinal), "11th");
    EXPECT_EQ(formatListNumber(22, NumberFormat::Ordinal), "22nd");
    EXPECT_EQ(formatListNumber(21, NumberFormat::CardinalText), "Twenty-one");
    EXPECT_EQ(formatListNumber(3, NumberFormat::OrdinalText), "Third");
    EXPECT_EQ(formatListNumber(40, NumberFormat::OrdinalText), "Fortieth");
    EXPECT_EQ(formatListNumber(5, NumberFormat::Bullet), "");
    EXPECT_EQ(formatListNumber(1, NumberFormat::Chicago), "*");
    EXPECT_EQ(formatListNumber(4, NumberFormat::Chicago), "\u00A7");
    EXPECT_EQ(formatListNumber(6, NumberFormat::Chicago), "\u2020\u2020");
}

TEST(NoteCounter, CountsOnThroughSectionsOrStartsAgainInEach)
{
    const NoteNumbering continuous{NumberFormat::LowerRoman, 3, false};
    const NoteNumbering restarting{NumberFormat::UpperLetter, 2, true};
    struct Step
    {
        const NoteNumbering* numbering;
        int section;
        const char* mark;
    };
    // One counter through a document whose third section restarts its notes.
    const Step steps[] = {{&continuous, 0, "iii"}, {&continuous, 0, "iv"}, {&continuous, 1, "v"},
                          {&restarting, 2, "B"},   {&restarting, 2, "C"},  {&restarting, 4, "B"}};
    NoteCounter counter;
    for (const Step& step : steps)
        EXPECT_EQ(counter.next(*step.numbering, step.section), step.mark) << "section " << step.section;
}

TEST(NumberFormat, MapsFormatNamesAndSymbolFontBullets)
{
    EXPECT_EQ(numberFormatFromOoxml("upperRoman"), NumberFormat::UpperRoman);
    EXPECT_EQ(numberFormatFromOoxml("somethingNew"), NumberFormat::Decimal);
    EXPECT_EQ(numberFormatFromNfc(4), NumberFormat::LowerLetter);
    EXPECT_EQ(numberFormatFromNfc(23), NumberFormat::Bullet);
    EXPECT_EQ(numberFormatFromNfc(9), NumberFormat::Chicago);
    EXPECT_EQ(numberFormatFromOoxml("chicago"), NumberFormat::Chicago);
    EXPECT_EQ(mapSymbolFontCharacter("Symbol", 0xF0B7), U'\u2022');
    EXPECT_EQ(mapSymbolFontCharacter("Wingdings", 0xF0A7), U'\u25AA');
    EXPECT_EQ(mapSymbolFontCharacter("Symbol", 'a'), U'\u03B1');
    EXPECT_EQ(mapSymbolFontCharacter("Courier New", 'o'), U'o');
}

// Font tables spell names in any case; only the exact names (and the whole
// Wingdings family) are picture fonts, not fonts that merely start alike.
TEST(NumberFormat, RecognisesSymbolFontsByName)
{
    const std::pair<std::string_view, SymbolFont> cases[] = {
        {"SYMBOL", SymbolFont::Symbol},
        {"Wingdings 2", SymbolFont::Wingdings},
        {"wingdings", SymbolFont::Wingdings},
        {"WebDings", SymbolFont::Webdings},
        {"Symbol MT", SymbolFont::None},
        {"Webdings 2", SymbolFont::None},
        {"", SymbolFont::None},
    };
    for (const auto& [name, font] : cases) {
        EXPECT_EQ(symbolFontOf(name), font) << name;
        EXPECT_EQ(isSymbolFont(name), font != SymbolFont::None) << name;
    }
}
