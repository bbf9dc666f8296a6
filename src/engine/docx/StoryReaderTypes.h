#pragma once
// What the files of StoryReader share: the elements it knows, in families,
// and the paragraphs, tables, fields and interruptions of the story being
// read. StoryReader.cpp dispatches each element to its family:
// StoryContainers.cpp (the body, and the text boxes, notes, comments and
// headers read as stories of their own), StoryParagraphs.cpp (paragraphs
// and runs), StoryTables.cpp, StoryFields.cpp (fields and content controls)
// and StoryNotes.cpp (note references, numbering and sections).

#include "engine/docx/StoryReader.h"

#include <array>
#include <cstddef>

namespace plainora::engine::docx {

enum class StoryReader::TagFamily : unsigned char {
    Other,
    Story,
    Skipped,
    Paragraph,
    Run,
    Field,
    Table,
    Note
};

// Each family runs up to its last element; looked up for every element, so
// from a table.
inline StoryReader::TagFamily StoryReader::familyOf(Tag tag)
{
    static constexpr auto kFamilies = [] {
        std::array<TagFamily, static_cast<std::size_t>(Tag::NumRestart) + 1> families{};
        for (std::size_t i = 1; i < families.size(); ++i) {
            const auto element = static_cast<Tag>(i);
            families[i] = element <= Tag::TxbxContent  ? TagFamily::Story
                          : element <= Tag::AltChunk   ? TagFamily::Skipped
                          : element <= Tag::ListPr     ? TagFamily::Paragraph
                          : element <= Tag::RStyle     ? TagFamily::Run
                          : element <= Tag::SdtContent ? TagFamily::Field
                          : element <= Tag::VMerge     ? TagFamily::Table
                                                       : TagFamily::Note;
        }
        return families;
    }();
    return kFamilies[static_cast<std::size_t>(tag)];
}

struct StoryReader::Paragraph
{
    std::string text;
    std::vector<Block> anchored; // text boxes, after the paragraph
    std::string style;
    std::optional<int> numId;
    std::optional<int> level;
    std::optional<bool> markVanish;
    bool markDeleted = false;
    bool resolved = false;
    bool hiddenByStyle = false;
    bool markGone = false;
    std::optional<std::string> legacyLabel; // Word 2003 XML: the label as Word displayed it

    // Ready for the next paragraph, with the buffers it grew: every member
    // above is reset here.
    void reset()
    {
        text.clear();
        anchored.clear();
        style.clear();
        numId.reset();
        level.reset();
        markVanish.reset();
        markDeleted = resolved = hiddenByStyle = markGone = false;
        legacyLabel.reset();
    }
};

// Asked for most elements, so kept where every file of the reader inlines them.
inline StoryReader::Tag StoryReader::parentTag() const
{
    return m_tags.above(0);
}

inline bool StoryReader::visible() const
{
    return m_story.codeFields == 0 && m_suppressed == 0;
}

inline bool StoryReader::runVisible() const
{
    if (!visible())
        return false;
    if (!m_story.inRun)
        return true;
    if (m_story.runVanish)
        return !*m_story.runVanish;
    if (m_story.runStyleHidden)
        return false;
    return m_story.paragraphs.empty() || !m_story.paragraphs.back()->hiddenByStyle;
}

struct StoryReader::Table
{
    std::vector<TableRow> rows;
    TableRow row;
    TableCell cell;
    bool rowDeleted = false;
    bool mergeContinue = false;
};

struct StoryReader::Field
{
    bool inResult = false;
    enum class Kind { Plain, CheckBox, DropDown } kind = Kind::Plain;
    std::optional<bool> checkDefault;
    std::optional<bool> checked;
    std::vector<std::string> entries;
    int entryDefault = 0;
    std::optional<int> entryResult;
    std::string instruction;  // its start, or an equation whole
    bool resultShown = false; // the result gave text
};

struct StoryReader::ContentControl
{
    bool checkBox = false;
    bool checked = false;
    bool suppressing = false;
};

// A text box, a note or a header being read inside a story, and the state
// of the story it interrupts.
struct StoryReader::Interruption
{
    StoryState interrupted;
    std::unique_ptr<std::vector<Block>> blocks; // what the interruption reads
    std::size_t tagDepth = 0;                   // of the interrupting element
    std::size_t containerDepth = 0;             // below the interruption's own container
    InterruptionKind kind = InterruptionKind::TextBox;
};

// A w: attribute's value, or the fallback where it is absent.
inline std::string_view attrOr(const XmlAttributes& attributes, std::string_view local,
                               std::string_view fallback = {})
{
    const char* value = attributes.get(Ns::W, local);
    return value ? std::string_view(value) : fallback;
}

} // namespace plainora::engine::docx
