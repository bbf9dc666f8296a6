#pragma once
// The WordprocessingML elements a StoryReader acts on, the lookup from an
// element's local name, which it makes for every element of a story, and
// the stack of the open elements' tags.

#include "engine/Limits.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace plainora::engine::docx {

// WordprocessingML elements by family (StoryReader::familyOf): a new
// element goes among the elements of its family, and its name into
// storyTagOf.
enum class StoryTag : unsigned char {
    Other,
    // Stories and what reads as one: startStoryElement
    Document,
    WordDocument,
    Body,
    Hdr,
    Ftr,
    Footnote,
    Endnote,
    Comment,
    TxbxContent,
    // Skipped with all they hold, or read in a format of their own: skipWordElement
    Del,
    MoveFrom,
    DelText,
    DelInstrText,
    RubyText,
    AltChunk,
    // Paragraphs: startParagraphElement
    P,
    PPr,
    PStyle,
    NumPr,
    Ilvl,
    NumId,
    ListPr,
    // Runs: startRunElement
    R,
    RPr,
    T,
    InstrText,
    Tab,
    PTab,
    Br,
    Cr,
    NoBreakHyphen,
    SoftHyphen,
    Sym,
    Vanish,
    SpecVanish,
    RStyle,
    // Fields and content controls: startFieldElement
    FldChar,
    CheckBox,
    Default,
    Checked,
    DdList,
    ListEntry,
    Result,
    Sdt,
    SdtContent,
    // Tables: startTableElement
    Tbl,
    Tr,
    Tc,
    TrPr,
    TcPr,
    VMerge,
    // Note references and section properties: startNoteElement
    FootnoteReference,
    EndnoteReference,
    SectPr,
    HeaderReference,
    FooterReference,
    FootnotePr,
    EndnotePr,
    NumFmt,
    NumStart,
    NumRestart,
};

// The element of that local name in the w: namespace; Other for the rest.
StoryTag storyTagOf(std::string_view local);

// The tags of a story's open elements, innermost last. It holds as many as
// the parser lets elements nest, so that opening one never allocates; any
// deeper are only counted, and read as Other.
class StoryTagStack
{
public:
    void push(StoryTag tag)
    {
        if (m_size < m_tags.size())
            m_tags[m_size++] = tag;
        else
            ++m_beyond;
    }
    // Closes the innermost element; returns its tag.
    StoryTag pop()
    {
        if (m_beyond > 0) {
            --m_beyond;
            return StoryTag::Other;
        }
        return m_size > 0 ? m_tags[--m_size] : StoryTag::Other;
    }
    std::size_t size() const { return m_size + m_beyond; }
    // The tag of the element that many levels above the innermost (0: the
    // innermost); Other past the outermost.
    StoryTag above(std::size_t levels) const
    {
        if (levels < m_beyond || levels - m_beyond >= m_size)
            return StoryTag::Other;
        return m_tags[m_size - 1 - (levels - m_beyond)];
    }

private:
    std::array<StoryTag, limits::kMaxXmlDepth> m_tags{};
    std::size_t m_size = 0;
    std::size_t m_beyond = 0;
};

} // namespace plainora::engine::docx
