#pragma once
// The WordprocessingML elements a StoryReader acts on, and the lookup from
// an element's local name, which it makes for every element of a story.

#include <string_view>

namespace plainora::engine::docx {

// WordprocessingML elements by family (StoryReader::familyOf): a new element goes among
// the elements of its family.
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

} // namespace plainora::engine::docx
