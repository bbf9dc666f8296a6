// The body of a StoryReader's part, and what is read inside a story as a
// story of its own: text boxes, Word 2003 XML's inline notes and headers,
// and each note and comment of the notes and comments parts.

#include "StoryReaderTypes.h"

namespace plainora::engine::docx {

namespace {

const char* kNoAttributes[] = {nullptr};

} // namespace

// Returns whether the element starts a story of its own, or is skipped.
bool StoryReader::startInterruption(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::Hdr:
    case Tag::Ftr:
        if (m_part == Part::HeaderFooter)
            return false;
        // Word 2003 XML keeps headers and footers in the section properties.
        if (!m_context.options.includeHeadersFooters || m_part != Part::Document) {
            skipElement();
            return true;
        }
        m_tags.push_back(tag);
        interrupt(static_cast<int>(SavedStory::Kind::HeaderFooter));
        return true;
    case Tag::Footnote:
    case Tag::Endnote:
        if (m_part == Part::Footnotes || m_part == Part::Endnotes) {
            startNoteStory(attributes);
            return true;
        }
        if (parent == Tag::R && m_part == Part::Document) {
            // Word 2003 XML writes the note where it is referenced.
            if (!runVisible()) {
                skipElement();
                return true;
            }
            const bool endnote = tag == Tag::Endnote;
            noteReference(endnote, XmlAttributes(kNoAttributes));
            m_noteTargets.assign(
                1, (endnote ? m_context.document->endnotes : m_context.document->footnotes).size() - 1);
            m_inlineNoteIsEndnote = endnote;
            m_tags.push_back(tag);
            interrupt(static_cast<int>(SavedStory::Kind::Note));
            return true;
        }
        return false;
    case Tag::Comment:
        if (m_part == Part::Comments) {
            m_context.document->comments.push_back(
                Note{std::to_string(m_context.document->comments.size() + 1), {}});
            m_tags.push_back(tag);
            interrupt(static_cast<int>(SavedStory::Kind::Note));
            return true;
        }
        return false;
    default:
        return false;
    }
}

void StoryReader::startStoryElement(Tag tag)
{
    switch (tag) {
    case Tag::Body:
        if (m_part == Part::Document)
            pushContainer(&m_context.document->body);
        break;
    case Tag::TxbxContent:
        interrupt(static_cast<int>(SavedStory::Kind::TextBox));
        break;
    default:
        break;
    }
}

void StoryReader::endStoryElement(Tag tag)
{
    switch (tag) {
    case Tag::Body:
        if (m_part == Part::Document) {
            while (!m_paragraphs.empty())
                endParagraph();
            popContainer();
            resolveNoteMarks();
        }
        break;
    case Tag::TxbxContent:
        if (endsInterruption()) {
            std::vector<Block> blocks = resume();
            std::vector<Block>& target = m_paragraphs.empty()
                                             ? (m_containers.empty() ? blocks : *m_containers.back())
                                             : m_paragraphs.back()->anchored;
            if (&target != &blocks) {
                for (Block& block : blocks)
                    target.push_back(std::move(block));
            }
        }
        break;
    case Tag::Footnote:
    case Tag::Endnote:
    case Tag::Comment:
        if (endsInterruption())
            finishNote(tag, resume());
        break;
    case Tag::Hdr:
    case Tag::Ftr:
        if (m_part == Part::HeaderFooter) {
            while (!m_paragraphs.empty())
                endParagraph();
            flushCarry();
        } else if (endsInterruption()) {
            m_context.document->headersFooters.push_back(resume());
        }
        break;
    default:
        break;
    }
}

void StoryReader::interrupt(int kind)
{
    auto saved = std::make_unique<SavedStory>();
    saved->kind = static_cast<SavedStory::Kind>(kind);
    saved->paragraphs = std::move(m_paragraphs);
    saved->fields = std::move(m_fields);
    saved->codeFields = m_codeFields;
    saved->inRun = m_inRun;
    saved->runVanish = m_runVanish;
    saved->runStyleHidden = m_runStyleHidden;
    saved->carry = m_carry;
    saved->carryText = std::move(m_carryText);
    saved->carryBlocks = std::move(m_carryBlocks);
    saved->blocks = std::make_unique<std::vector<Block>>();
    saved->tagDepth = m_tags.size();
    saved->containerDepth = m_containers.size();
    m_paragraphs.clear();
    m_fields.clear();
    m_codeFields = 0;
    m_inRun = false;
    m_runVanish.reset();
    m_runStyleHidden = false;
    m_carry = false;
    m_carryText.clear();
    m_carryBlocks.clear();
    pushContainer(saved->blocks.get());
    m_interruptions.push_back(std::move(saved));
}

bool StoryReader::endsInterruption() const
{
    // The element's tag is already popped when it ends.
    return !m_interruptions.empty() && m_interruptions.back()->tagDepth == m_tags.size() + 1;
}

std::vector<Block> StoryReader::resume()
{
    while (!m_paragraphs.empty())
        endParagraph();
    // Containers a damaged interruption left open go with it, so that none
    // outlives the blocks it points into.
    flushCarry();
    m_containers.resize(std::min(m_containers.size(), m_interruptions.back()->containerDepth));
    std::unique_ptr<SavedStory> saved = std::move(m_interruptions.back());
    m_interruptions.pop_back();
    m_paragraphs = std::move(saved->paragraphs);
    m_fields = std::move(saved->fields);
    m_codeFields = saved->codeFields;
    m_inRun = saved->inRun;
    m_runVanish = saved->runVanish;
    m_runStyleHidden = saved->runStyleHidden;
    m_carry = saved->carry;
    m_carryText = std::move(saved->carryText);
    m_carryBlocks = std::move(saved->carryBlocks);
    return std::move(*saved->blocks);
}

} // namespace plainora::engine::docx
