#pragma once
// Turns one document part (a story: the main text, a note, a header, a text
// box) into blocks of the document model: fields show their results,
// special characters follow the plain-text layout, paragraph marks become
// paragraphs or table cells and rows ([MS-DOC] 2.4.2-2.4.5, 2.8.25).

#include "engine/Document.h"
#include "engine/doc/DocumentText.h"
#include "engine/doc/Lists.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace plainora::engine::doc {

struct StoryContext
{
    const DocumentText* text = nullptr;
    ListNumbering* lists = nullptr; // null: no list labels
    const std::vector<std::string>* fonts = nullptr;
    ByteView dataStream;                                        // form-field data
    std::map<std::uint32_t, std::string> noteMarks;             // CP of a note reference -> "[1]"
    std::map<std::uint32_t, std::vector<Block>> anchoredBlocks; // CP of a shape anchor -> its text box
    std::set<std::uint32_t> sectionEnds;                        // CPs of 0x0C section marks
    bool tablesFromProperties = true; // false: guess rows from 0x07 alone (Word 6/95)
};

// Reads the characters [begin, end) into blocks.
std::vector<Block> readStory(StoryContext& context, std::uint32_t begin, std::uint32_t end);

} // namespace plainora::engine::doc
