#include "engine/docx/StoryTags.h"

namespace plainora::engine::docx {

// By length first: each length has few names, and comparing with a name of
// known length takes a few instructions, which matters for a lookup made
// for every element of a story.
StoryTag storyTagOf(std::string_view local)
{
    switch (local.size()) {
    case 1:
        switch (local[0]) {
        case 'p':
            return StoryTag::P;
        case 'r':
            return StoryTag::R;
        case 't':
            return StoryTag::T;
        }
        break;
    case 2:
        if (local == "rt")
            return StoryTag::RubyText;
        if (local == "br")
            return StoryTag::Br;
        if (local == "cr")
            return StoryTag::Cr;
        if (local == "tr")
            return StoryTag::Tr;
        if (local == "tc")
            return StoryTag::Tc;
        break;
    case 3:
        if (local == "pPr")
            return StoryTag::PPr;
        if (local == "rPr")
            return StoryTag::RPr;
        if (local == "tab")
            return StoryTag::Tab;
        if (local == "sym")
            return StoryTag::Sym;
        if (local == "del")
            return StoryTag::Del;
        if (local == "tbl")
            return StoryTag::Tbl;
        if (local == "sdt")
            return StoryTag::Sdt;
        if (local == "hdr")
            return StoryTag::Hdr;
        if (local == "ftr")
            return StoryTag::Ftr;
        break;
    case 4:
        if (local == "body")
            return StoryTag::Body;
        if (local == "ilvl")
            return StoryTag::Ilvl;
        if (local == "ptab")
            return StoryTag::PTab;
        if (local == "trPr")
            return StoryTag::TrPr;
        if (local == "tcPr")
            return StoryTag::TcPr;
        break;
    case 5:
        if (local == "numPr")
            return StoryTag::NumPr;
        if (local == "numId")
            return StoryTag::NumId;
        break;
    case 6:
        if (local == "pStyle")
            return StoryTag::PStyle;
        if (local == "numFmt")
            return StoryTag::NumFmt;
        if (local == "vanish")
            return StoryTag::Vanish;
        if (local == "rStyle")
            return StoryTag::RStyle;
        if (local == "vMerge")
            return StoryTag::VMerge;
        if (local == "ddList")
            return StoryTag::DdList;
        if (local == "result")
            return StoryTag::Result;
        if (local == "sectPr")
            return StoryTag::SectPr;
        if (local == "listPr")
            return StoryTag::ListPr;
        break;
    case 7:
        if (local == "delText")
            return StoryTag::DelText;
        if (local == "fldChar")
            return StoryTag::FldChar;
        if (local == "default")
            return StoryTag::Default;
        if (local == "checked")
            return StoryTag::Checked;
        if (local == "endnote")
            return StoryTag::Endnote;
        if (local == "comment")
            return StoryTag::Comment;
        break;
    case 8:
        if (local == "document")
            return StoryTag::Document;
        if (local == "altChunk")
            return StoryTag::AltChunk;
        if (local == "numStart")
            return StoryTag::NumStart;
        if (local == "moveFrom")
            return StoryTag::MoveFrom;
        if (local == "checkBox")
            return StoryTag::CheckBox;
        if (local == "footnote")
            return StoryTag::Footnote;
        break;
    case 9:
        if (local == "instrText")
            return StoryTag::InstrText;
        if (local == "endnotePr")
            return StoryTag::EndnotePr;
        if (local == "listEntry")
            return StoryTag::ListEntry;
        break;
    case 10:
        if (local == "footnotePr")
            return StoryTag::FootnotePr;
        if (local == "numRestart")
            return StoryTag::NumRestart;
        if (local == "softHyphen")
            return StoryTag::SoftHyphen;
        if (local == "specVanish")
            return StoryTag::SpecVanish;
        if (local == "sdtContent")
            return StoryTag::SdtContent;
        break;
    case 11:
        if (local == "txbxContent")
            return StoryTag::TxbxContent;
        break;
    case 12:
        if (local == "wordDocument")
            return StoryTag::WordDocument;
        if (local == "delInstrText")
            return StoryTag::DelInstrText;
        break;
    case 13:
        if (local == "noBreakHyphen")
            return StoryTag::NoBreakHyphen;
        break;
    case 15:
        if (local == "headerReference")
            return StoryTag::HeaderReference;
        if (local == "footerReference")
            return StoryTag::FooterReference;
        break;
    case 16:
        if (local == "endnoteReference")
            return StoryTag::EndnoteReference;
        break;
    case 17:
        if (local == "footnoteReference")
            return StoryTag::FootnoteReference;
        break;
    default:
        break;
    }
    return StoryTag::Other;
}

} // namespace plainora::engine::docx
