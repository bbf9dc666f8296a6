#pragma once
// The tokens of the plain-text layout that stand inside running text: note
// references, the labels of the notes after the body, and form check boxes.
// Readers say what stands there ("a reference to note 3", "a ticked check
// box"); this header alone says how it reads, so every format agrees.

#include "engine/Document.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine {

enum class NoteKind { Footnote, Endnote, Comment };

// Where a note is anchored in the text: "[1]", "[*]".
inline std::string noteReferenceText(std::string_view mark)
{
    std::string reference;
    reference.reserve(mark.size() + 2);
    reference.push_back('[');
    reference.append(mark);
    reference.push_back(']');
    return reference;
}

// Before a note's first line in the notes after the body: "[1] ",
// "[comment 2] ".
inline std::string noteLabelText(NoteKind kind, std::string_view mark)
{
    return noteReferenceText(kind == NoteKind::Comment ? "comment " + std::string(mark) : std::string(mark)) +
           ' ';
}

// Comments count 1, 2, 3 in document order whatever their authors' marks.
inline std::string commentMark(std::size_t index)
{
    return std::to_string(index + 1);
}

// A form check box, by its state.
constexpr std::string_view checkBoxText(bool ticked)
{
    return ticked ? "[X]" : "[ ]";
}

// A note's text follows its label's space, so spaces before it go. Right
// after the note's own mark (its auto-number character, w:footnoteRef,
// \chftn) a tab goes too: it only separated the mark from the text.
constexpr std::string_view kNoteMarkSeparators = " \t";
inline std::string_view trimNoteStart(std::string_view textAfterMark)
{
    const std::size_t start = textAfterMark.find_first_not_of(kNoteMarkSeparators);
    return start == std::string_view::npos ? std::string_view() : textAfterMark.substr(start);
}
inline void trimNoteStart(std::vector<Block>& blocks, bool afterOwnMark)
{
    if (!blocks.empty() && blocks.front().kind == Block::Kind::Paragraph) {
        std::string& text = blocks.front().text;
        text.erase(0,
                   std::min(text.find_first_not_of(afterOwnMark ? kNoteMarkSeparators : " "), text.size()));
    }
}

} // namespace plainora::engine
