#pragma once
// What the files of StoryReader share: the elements it knows, in families,
// and the paragraphs, tables, fields and interruptions of the story being
// read. StoryReader.cpp dispatches each element to its family:
// StoryContainers.cpp (the body, and the text boxes, notes, comments and
// headers read as stories of their own), StoryParagraphs.cpp (paragraphs
// and runs), StoryTables.cpp, StoryFields.cpp (fields and content controls)
// and StoryNotes.cpp (note references, numbering and sections).

#include "engine/docx/StoryReader.h"
#include "engine/docx/StoryTags.h"

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

// Each family runs up to its last element.
inline StoryReader::TagFamily StoryReader::familyOf(Tag tag)
{
    if (tag == Tag::Other)
        return TagFamily::Other;
    if (tag <= Tag::TxbxContent)
        return TagFamily::Story;
    if (tag <= Tag::AltChunk)
        return TagFamily::Skipped;
    if (tag <= Tag::ListPr)
        return TagFamily::Paragraph;
    if (tag <= Tag::RStyle)
        return TagFamily::Run;
    if (tag <= Tag::SdtContent)
        return TagFamily::Field;
    if (tag <= Tag::VMerge)
        return TagFamily::Table;
    return TagFamily::Note;
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
