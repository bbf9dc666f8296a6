#include "engine/EquationField.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

TEST(EquationField, GivesThePhoneticGuidesBaseText)
{
    struct Case
    {
        const char* instruction;
        const char* shown; // nullptr: not text an equation gives
    };
    const Case cases[] = {
        // As Word saves a phonetic guide.
        {" EQ \\* jc2 \\* \"Font:MS Mincho\" \\* hps10 \\o\\ad(\\s\\up "
         "9(\u3068\u3046\u304d\u3087\u3046),\u6771\u4eac)",
         "\u6771\u4eac"},
        // As LibreOffice saves one, and with the reading after the base.
        {"EQ \\* jc3 \\* \"Font:DejaVu Sans\" \\* hps12 \\o\\al(\\s\\up 11(\u304b),\u5ddd)", "\u5ddd"},
        {"eq \\o(\u5ddd,\\s\\do 4(\u304b))", "\u5ddd"},
        // A locale whose list separator is ';', and escaped separators in the base.
        {"EQ \\o\\ac(\\s\\up 8(ab);Base\\, one)", "Base, one"},
        {"EQ \\o(A\\(1\\),\\s\\up 5(x))", "A(1)"},
        // A plain overstrike shows its characters.
        {"EQ \\o(=,/)", "=/"},
        // Other equations and other fields are not guessed at.
        {"EQ \\f(1,2)", nullptr},
        {"EQUATION \\o(a,b)", nullptr},
        {"HYPERLINK \"http://example.org/\\o(x)\"", nullptr},
        {"EQ \\o\\ad(\\s\\up 9(reading),base", nullptr},
        {"EQ \\* \"Font:\\o(x)\" hps10", nullptr},
    };
    for (const Case& c : cases) {
        const auto shown = equationFieldText(c.instruction);
        if (c.shown) {
            ASSERT_TRUE(shown.has_value()) << c.instruction;
            EXPECT_EQ(*shown, c.shown) << c.instruction;
        } else {
            EXPECT_FALSE(shown.has_value()) << c.instruction;
        }
    }
}

TEST(EquationField, KeepsAnEquationsInstructionWholeButOnlyTheStartOfOthers)
{
    EXPECT_EQ(fieldInstructionBytesKept(" HYPERLINK \"http://"), 32u);
    EXPECT_EQ(fieldInstructionBytesKept("E"), 32u);
    EXPECT_GT(fieldInstructionBytesKept(" EQ \\o"), 1000u);
    EXPECT_GT(fieldInstructionBytesKept("eq"), 1000u);
}
