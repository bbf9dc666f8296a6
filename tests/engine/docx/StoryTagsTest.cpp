// The element lookup of the story reader: every WordprocessingML element it
// acts on, by its local name, and names that must not be taken for one; and
// the stack of open elements' tags, at and past its depth.

#include "engine/docx/StoryTags.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using plainora::engine::docx::StoryTag;
using plainora::engine::docx::storyTagOf;
using plainora::engine::docx::StoryTagStack;
namespace limits = plainora::engine::limits;

namespace {

const std::vector<std::pair<std::string, StoryTag>> kKnown = {
    {"document", StoryTag::Document},
    {"wordDocument", StoryTag::WordDocument},
    {"body", StoryTag::Body},
    {"hdr", StoryTag::Hdr},
    {"ftr", StoryTag::Ftr},
    {"footnote", StoryTag::Footnote},
    {"endnote", StoryTag::Endnote},
    {"comment", StoryTag::Comment},
    {"txbxContent", StoryTag::TxbxContent},
    {"del", StoryTag::Del},
    {"moveFrom", StoryTag::MoveFrom},
    {"delText", StoryTag::DelText},
    {"delInstrText", StoryTag::DelInstrText},
    {"rt", StoryTag::RubyText},
    {"altChunk", StoryTag::AltChunk},
    {"p", StoryTag::P},
    {"pPr", StoryTag::PPr},
    {"pStyle", StoryTag::PStyle},
    {"numPr", StoryTag::NumPr},
    {"ilvl", StoryTag::Ilvl},
    {"numId", StoryTag::NumId},
    {"listPr", StoryTag::ListPr},
    {"r", StoryTag::R},
    {"rPr", StoryTag::RPr},
    {"t", StoryTag::T},
    {"instrText", StoryTag::InstrText},
    {"tab", StoryTag::Tab},
    {"ptab", StoryTag::PTab},
    {"br", StoryTag::Br},
    {"cr", StoryTag::Cr},
    {"noBreakHyphen", StoryTag::NoBreakHyphen},
    {"softHyphen", StoryTag::SoftHyphen},
    {"sym", StoryTag::Sym},
    {"vanish", StoryTag::Vanish},
    {"specVanish", StoryTag::SpecVanish},
    {"rStyle", StoryTag::RStyle},
    {"fldChar", StoryTag::FldChar},
    {"checkBox", StoryTag::CheckBox},
    {"default", StoryTag::Default},
    {"checked", StoryTag::Checked},
    {"ddList", StoryTag::DdList},
    {"listEntry", StoryTag::ListEntry},
    {"result", StoryTag::Result},
    {"sdt", StoryTag::Sdt},
    {"sdtContent", StoryTag::SdtContent},
    {"tbl", StoryTag::Tbl},
    {"tr", StoryTag::Tr},
    {"tc", StoryTag::Tc},
    {"trPr", StoryTag::TrPr},
    {"tcPr", StoryTag::TcPr},
    {"vMerge", StoryTag::VMerge},
    {"footnoteReference", StoryTag::FootnoteReference},
    {"endnoteReference", StoryTag::EndnoteReference},
    {"sectPr", StoryTag::SectPr},
    {"headerReference", StoryTag::HeaderReference},
    {"footerReference", StoryTag::FooterReference},
    {"footnotePr", StoryTag::FootnotePr},
    {"endnotePr", StoryTag::EndnotePr},
    {"numFmt", StoryTag::NumFmt},
    {"numStart", StoryTag::NumStart},
    {"numRestart", StoryTag::NumRestart},
};

TEST(StoryTags, MapsEveryKnownElementToItsTag)
{
    for (const auto& [name, tag] : kKnown)
        EXPECT_EQ(storyTagOf(name), tag) << name;
}

TEST(StoryTags, GivesEveryTagExactlyOneName)
{
    // The last tag of the enumeration bounds it: a tag added without a name
    // here, or named twice, shows.
    std::multiset<StoryTag> named;
    for (const auto& entry : kKnown)
        named.insert(entry.second);
    for (int value = 1; value <= static_cast<int>(StoryTag::NumRestart); ++value)
        EXPECT_EQ(named.count(static_cast<StoryTag>(value)), 1u) << "tag " << value;
}

TEST(StoryTags, TakesNoNearMissForAnElement)
{
    // Other cases and lengths of known names, and elements it leaves to
    // others, apart from the empty name and those with a space.
    std::vector<std::string> nearMisses = {"", "pPr ", "rt ", "footnote Reference"};
    std::istringstream words(
        "P R T b i pp pP pPrx ppr PPr tb tbls tbI Tbl br2 cR tR tcc ilvL numid numIds bodyx hdrs ft "
        "rStyles pstyle Vanish vanishh delTex delTexts document1 Document wordDocumen footnotes "
        "endnotes comments footnoteReferencE footnoteReferences endnoteReferencex headerreference "
        "sdtcontent txbxcontent instrtext noBreakHyphe rFonts sz szCs lang spacing jc ind "
        "bookmarkStart proofErr hyperlink ins moveTo tblPr tblGrid gridCol ");
    for (std::string word; words >> word;)
        nearMisses.push_back(word);
    for (const std::string& name : nearMisses)
        EXPECT_EQ(storyTagOf(name), StoryTag::Other) << '"' << name << '"';
    // A name with a NUL inside compares by its bytes, not as a C string.
    EXPECT_EQ(storyTagOf(std::string_view("p\0", 2)), StoryTag::Other);
    EXPECT_EQ(storyTagOf(std::string_view("tbl\0", 4)), StoryTag::Other);
}

TEST(StoryTagStack, ReadsElementsPastItsDepthAsOtherAndRecovers)
{
    StoryTagStack tags;
    EXPECT_EQ(tags.above(0), StoryTag::Other);
    EXPECT_EQ(tags.pop(), StoryTag::Other); // more ends than starts do no harm
    EXPECT_EQ(tags.size(), 0u);

    // As deep as it holds, then three more.
    const auto depth = static_cast<std::size_t>(limits::kMaxXmlDepth);
    const auto held = [](std::size_t level) { return level % 2 ? StoryTag::R : StoryTag::P; };
    for (std::size_t level = 0; level < depth; ++level)
        tags.push(held(level));
    for (int extra = 0; extra < 3; ++extra)
        tags.push(StoryTag::T);
    EXPECT_EQ(tags.size(), depth + 3);

    const std::pair<std::size_t, StoryTag> above[] = {
        {0, StoryTag::Other}, {2, StoryTag::Other}, {3, held(depth - 1)},
        {4, held(depth - 2)}, {depth + 2, held(0)}, {depth + 3, StoryTag::Other},
    };
    for (const auto& [levels, tag] : above)
        EXPECT_EQ(tags.above(levels), tag) << levels;

    for (int extra = 0; extra < 3; ++extra)
        EXPECT_EQ(tags.pop(), StoryTag::Other);
    EXPECT_EQ(tags.above(0), held(depth - 1));
    for (std::size_t level = depth; level-- > 0;)
        ASSERT_EQ(tags.pop(), held(level)) << level;
    EXPECT_EQ(tags.size(), 0u);
}

} // namespace
