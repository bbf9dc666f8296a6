#include "engine/FieldStack.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

namespace {

// Plays a story: '{' begins a field, '|' separates its instruction from its
// result, '}' ends it; '+' and '-' make the innermost field a ticked or an
// empty check box, '#' shows its box where the result would be (as RTF's
// \fldrslt does). Gives the text shown.
std::string play(std::string_view story, std::size_t maxDepth)
{
    FieldStack fields(maxDepth);
    std::string shown;
    for (char c : story) {
        OpenField* field = fields.innermost();
        if (c == '{') {
            fields.begin();
        } else if (c == '|') {
            fields.separate();
        } else if (c == '}') {
            const auto text = fields.end();
            if (text && fields.showingResults())
                shown += *text;
        } else if ((c == '+' || c == '-') && field) {
            field->checkBox = true;
            field->form = FormFieldState{1, c == '+' ? 1 : 0, 0};
        } else if (c == '#') {
            if (const auto text = fields.takeCheckBoxText())
                shown += *text;
        } else if (fields.inInstruction()) {
            fields.keepInstruction(static_cast<unsigned char>(c));
        } else if (fields.showingResults()) {
            fields.markResultShown();
            shown.push_back(c);
        }
    }
    return shown;
}

} // namespace

TEST(FieldStack, ShowsResultsAndWhatFieldsWithoutOneStandFor)
{
    const struct
    {
        std::string_view story;
        std::string_view shown;
        std::size_t maxDepth = 64;
    } cases[] = {
        {"a{PAGE|3}b", "a3b"},
        {"{REF {PAGE|1}|r}", "r"}, // a field inside an instruction shows nothing
        {"{IF x|outer {PAGE|2} end}", "outer 2 end"},
        {"{FORMCHECKBOX +}", "[X]"},
        {"{FORMCHECKBOX -|}", "[ ]"},
        {"{FORMCHECKBOX +|#}", "[X]"}, // shown once, at the result
        {"{EQ \\o(A,B)}", "AB"},       // an equation stores no result
        {"{EQ \\o(A,B)|R}", "R"},
        {"{PAGE}", ""},
        {"}a", "a"}, // an end without a begin
        // Beyond the depth kept, nothing shows until the deep fields end.
        {"{A|x{B|y{C|z}}w}v", "xwv", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(play(c.story, c.maxDepth), c.shown) << c.story;
}

TEST(FieldStack, KeepsTheInstructionsStart)
{
    const struct
    {
        std::u16string_view units;
        std::string_view kept;
    } cases[] = {
        {u" FORMCHECKBOX ", " FORMCHECKBOX "},
        {u"EQ \xD83D\xDE00", "EQ \xF0\x9F\x98\x80"}, // a surrogate pair is one character
        {u"EQ \xDE00x", "EQ \xEF\xBF\xBDx"},         // a lone low surrogate is not
    };
    for (const auto& c : cases) {
        FieldStack fields;
        fields.begin();
        for (char16_t unit : c.units)
            fields.keepInstructionUtf16(unit);
        EXPECT_EQ(fields.innermost()->instruction, c.kept);
    }

    FieldStack fields;
    fields.begin();
    fields.appendInstruction(" formCheckBox  \\* MERGEFORMAT");
    EXPECT_TRUE(fields.innermost()->instructionIs("FORMCHECKBOX"));
    EXPECT_FALSE(fields.innermost()->instructionIs("FORM"));
    const std::size_t room = fields.instructionRoom();
    fields.appendInstruction(std::string(room, 'x'));
    fields.keepInstruction(U'y'); // the start tells the kind: the rest is not kept
    EXPECT_EQ(fields.instructionRoom(), 0u);
    EXPECT_EQ(fields.innermost()->instruction.back(), 'x');
}
