// Paragraphs and runs of a StoryReader's story: list labels, hidden text,
// paragraphs whose mark was deleted or hidden and so join the next one.

#include "engine/TextEncoding.h"
#include "engine/docx/ListNumbering.h"
#include "engine/docx/StoryReaderTypes.h"
#include "engine/docx/StyleSheet.h"

#include <charconv>

namespace plainora::engine::docx {

// A paragraph whose mark went away at the end of its container still shows
// its text.
void StoryReader::flushCarry()
{
    if (!m_story.carry)
        return;
    m_story.carry = false;
    if (m_containers.empty() || (m_story.carryText.empty() && m_story.carryBlocks.empty()))
        return;
    std::vector<Block>& out = *m_containers.back();
    if (!m_story.carryText.empty())
        out.push_back(Block::paragraph(std::move(m_story.carryText)));
    for (Block& block : m_story.carryBlocks)
        out.push_back(std::move(block));
    m_story.carryText.clear();
    m_story.carryBlocks.clear();
}

namespace {

// Paragraph text up to this size leaves its reused buffer as an exact copy;
// a longer one takes the buffer with it, rather than be held twice.
constexpr std::size_t kCopiedTextBytes = 64 * 1024;

} // namespace

void StoryReader::startParagraph()
{
    std::unique_ptr<Paragraph> paragraph;
    if (m_spareParagraphs.empty()) {
        paragraph = std::make_unique<Paragraph>();
    } else {
        paragraph = std::move(m_spareParagraphs.back());
        m_spareParagraphs.pop_back();
    }
    if (m_story.carry) {
        paragraph->text = std::move(m_story.carryText);
        paragraph->anchored = std::move(m_story.carryBlocks);
        m_story.carryText.clear();
        m_story.carryBlocks.clear();
        m_story.carry = false;
    }
    if (!m_pendingPrefix.empty()) {
        paragraph->text += m_pendingPrefix;
        m_pendingPrefix.clear();
    }
    m_story.paragraphs.push_back(std::move(paragraph));
}

StoryReader::StyleFacts& StoryReader::styleFacts(std::string_view styleId)
{
    if (m_lastStyleFacts && styleId == m_lastStyleId)
        return *m_lastStyleFacts;
    auto it = m_styleFacts.find(styleId);
    if (it == m_styleFacts.end()) {
        StyleFacts facts;
        if (const StyleSheet* styles = m_context.styles) {
            facts.hides = styles->hides(styleId);
            if (const auto numbering = styles->numbering(styleId)) {
                facts.numId = numbering->numId;
                facts.level = numbering->level;
            }
        }
        it = m_styleFacts.emplace(std::string(styleId), facts).first;
    }
    m_lastStyleId = it->first;
    m_lastStyleFacts = &it->second;
    return it->second;
}

// Once the paragraph properties are known: style-inherited hiding and the
// list label ([E1] 17.9.23 numbering through a paragraph style).
void StoryReader::resolveParagraph()
{
    if (m_story.paragraphs.empty() || m_story.paragraphs.back()->resolved)
        return;
    Paragraph& paragraph = *m_story.paragraphs.back();
    paragraph.resolved = true;
    const StyleSheet* styles = m_context.styles;
    std::string_view style = paragraph.style;
    if (style.empty() && styles)
        style = styles->defaultParagraphStyle();
    StyleFacts* facts = nullptr;
    if (styles && !style.empty()) {
        // Most paragraphs name no style and take the default one.
        if (!paragraph.style.empty())
            facts = &styleFacts(style);
        else if (m_defaultStyleFacts)
            facts = m_defaultStyleFacts;
        else
            facts = m_defaultStyleFacts = &styleFacts(style);
    }
    paragraph.hiddenByStyle = facts && facts->hides;
    paragraph.markGone = paragraph.markDeleted || paragraph.markVanish.value_or(paragraph.hiddenByStyle);
    if (paragraph.markGone)
        return; // joins the next paragraph, which carries the label

    std::string label;
    if (paragraph.legacyLabel) {
        label = *paragraph.legacyLabel + "\t";
    } else if (ListNumbering* numbering = m_context.numbering) {
        if (paragraph.numId) {
            label = numbering->nextLabel(*paragraph.numId, paragraph.level.value_or(0));
        } else if (facts && facts->numId) {
            if (!paragraph.level && !facts->listLevel)
                facts->listLevel = numbering->levelForStyle(*facts->numId, style, facts->level);
            label =
                numbering->nextLabel(*facts->numId, paragraph.level ? *paragraph.level : *facts->listLevel);
        }
    }
    if (!label.empty())
        paragraph.text.insert(0, label);
}

void StoryReader::endParagraph()
{
    if (m_story.paragraphs.empty())
        return;
    resolveParagraph();
    std::unique_ptr<Paragraph> paragraph = std::move(m_story.paragraphs.back());
    m_story.paragraphs.pop_back();
    if (paragraph->markGone) {
        m_story.carry = true;
        m_story.carryText = std::move(paragraph->text);
        m_story.carryBlocks = std::move(paragraph->anchored);
    } else if (!m_containers.empty()) {
        std::vector<Block>& out = *m_containers.back();
        std::string& text = paragraph->text;
        out.emplace_back().text = text.size() <= kCopiedTextBytes ? std::string(text) : std::move(text);
        for (Block& block : paragraph->anchored)
            out.push_back(std::move(block));
    }
    paragraph->reset();
    m_spareParagraphs.push_back(std::move(paragraph));
}

void StoryReader::startParagraphElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::P:
        startParagraph();
        break;
    case Tag::PStyle:
        if (parent == Tag::PPr && !m_story.paragraphs.empty())
            m_story.paragraphs.back()->style = attrOr(attributes, "val");
        break;
    case Tag::NumId:
        if (parent == Tag::NumPr && !m_story.paragraphs.empty() && m_tags.above(2) == Tag::PPr)
            m_story.paragraphs.back()->numId = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::Ilvl:
        if (parent == Tag::NumPr && !m_story.paragraphs.empty() && m_tags.above(2) == Tag::PPr)
            m_story.paragraphs.back()->level = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    default:
        break;
    }
}

void StoryReader::endParagraphElement(Tag tag)
{
    switch (tag) {
    case Tag::P:
        endParagraph();
        if (m_sectionEndsWithParagraph) {
            m_sectionEndsWithParagraph = false;
            endSection();
        }
        break;
    case Tag::PPr:
        resolveParagraph();
        break;
    default:
        break;
    }
}

void StoryReader::startRunElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::R:
        m_story.inRun = true;
        m_story.runVanish.reset();
        m_story.runStyleHidden = false;
        break;
    case Tag::T:
    case Tag::InstrText:
        m_capture = runVisible();
        m_captureInstruction =
            tag == Tag::InstrText && !m_story.fields.empty() && !m_story.fields.back().inResult;
        break;
    case Tag::Vanish:
    case Tag::SpecVanish:
    case Tag::RStyle:
        startRunProperty(tag, parent, attributes);
        break;
    case Tag::Tab:
    case Tag::PTab:
    case Tag::Br:
    case Tag::Cr:
    case Tag::NoBreakHyphen:
    case Tag::Sym:
        startRunContent(tag, parent, attributes);
        break;
    default:
        break;
    }
}

void StoryReader::startRunProperty(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    if (parent != Tag::RPr)
        return;
    if (tag == Tag::RStyle) {
        if (m_story.inRun && m_context.styles)
            m_story.runStyleHidden = styleFacts(attrOr(attributes, "val")).hides;
    } else if (m_tags.above(2) == Tag::PPr) {
        if (!m_story.paragraphs.empty())
            m_story.paragraphs.back()->markVanish = onOff(attributes.get(Ns::W, "val"));
    } else if (m_story.inRun) {
        m_story.runVanish = onOff(attributes.get(Ns::W, "val"));
    }
}

void StoryReader::startRunContent(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::Tab:
    case Tag::PTab:
        if (parent == Tag::R && runVisible())
            appendText("\t");
        break;
    case Tag::Br:
    case Tag::Cr:
        if (parent == Tag::R && runVisible())
            appendText("\n");
        break;
    case Tag::NoBreakHyphen:
        if (runVisible())
            appendText("-");
        break;
    case Tag::Sym:
        if (runVisible()) {
            // w:char is hexadecimal, often F0xx for a symbol font's byte ([E1] 17.3.3.30).
            const std::string_view hex = attrOr(attributes, "char");
            unsigned code = 0;
            const auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
            if (ec == std::errc() && code > 0 && code <= 0x10FFFF)
                appendCodePoint(
                    mapSymbolFontCharacter(attrOr(attributes, "font"), static_cast<char32_t>(code)));
        }
        break;
    default:
        break;
    }
}

void StoryReader::endRunElement(Tag tag)
{
    switch (tag) {
    case Tag::R:
        m_story.inRun = false;
        m_story.runVanish.reset();
        m_story.runStyleHidden = false;
        if (m_customMarkNote)
            finishCustomMark();
        break;
    case Tag::T:
    case Tag::InstrText:
        m_capture = false;
        m_captureInstruction = false;
        break;
    default:
        break;
    }
}

} // namespace plainora::engine::docx
