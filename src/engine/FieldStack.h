#pragma once
// The fields open at a point of a story, innermost last. Word's binary format
// and RTF both store a field as its instruction followed by the result Word
// last showed, and fields nest. The text shows the result; a field whose
// result is not stored shows what its instruction says instead: a form check
// box its state, an equation its text.

#include "engine/TextEncoding.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine {

// A form field's stored state: [MS-DOC] 2.9.79 FFData iType, iRes and wDef;
// RTF \fftype, \ffres and \ffdefres.
struct FormFieldState
{
    int type = 0;    // 1: a check box
    int result = 25; // 25: the default applies
    int defaultResult = 0;

    bool isCheckBox() const { return type == 1; }
    bool ticked() const { return (result == 25 ? defaultResult : result) == 1; }
};

struct OpenField
{
    std::string instruction; // UTF-8: the start of the instruction, or an equation whole
    bool inResult = false;   // past the instruction
    bool resultShown = false;
    bool resultHidden = false; // the stored result is not text (RTF \fldpriv)
    std::optional<FormFieldState> form;
    // The reader found a form check box: its state is shown once, where the
    // result would be or when the field ends.
    bool checkBox = false;
    bool checkBoxShown = false;
    Utf16Joiner instructionUnits{Utf16Joiner::LoneHigh::Drop}; // of the instruction, read as UTF-16

    // The instruction's first word is keyword, in any letter case.
    bool instructionIs(std::string_view keyword) const;
};

class FieldStack
{
public:
    // Fields nested deeper than maxDepth are counted, not kept; while one of
    // them is open no field is innermost and no result shows.
    explicit FieldStack(std::size_t maxDepth = std::numeric_limits<std::size_t>::max()) : m_maxDepth(maxDepth)
    {
    }

    void begin();
    // The innermost field's instruction ends; its result follows.
    void separate();
    // Closes the innermost field and gives the text it shows beyond its
    // result: a check box's state not yet shown, or an equation's text when
    // its result showed nothing.
    std::optional<std::string> end();

    // Null when no field is open or the innermost lies beyond the depth kept.
    OpenField* innermost();
    // Every open field is in its result: their text is the story's.
    bool showingResults() const;
    bool inInstruction() const;

    // Keep the innermost field's instruction up to fieldInstructionBytesKept.
    void keepInstruction(char32_t codePoint); // a surrogate becomes U+FFFD
    void keepInstructionUtf16(char16_t unit); // pairs surrogates
    std::size_t instructionRoom() const;      // bytes still kept
    void appendInstruction(std::string_view utf8);

    // Text of the innermost field's result went out.
    void markResultShown();
    // The innermost check box's text where its result would be, once.
    std::optional<std::string> takeCheckBoxText();

private:
    std::vector<OpenField> m_fields;
    std::size_t m_overflow = 0;
    std::size_t m_maxDepth;
};

} // namespace plainora::engine
