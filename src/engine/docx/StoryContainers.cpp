// The body of a StoryReader's part, and what is read inside a story as a
// story of its own: text boxes, Word 2003 XML's inline notes and headers,
// and each note and comment of the notes and comments parts.

#include "engine/Layout.h"
#include "engine/docx/StoryReaderTypes.h"

#include <utility>

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
        m_tags.push(tag);
        interrupt(InterruptionKind::HeaderFooter);
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
            m_tags.push(tag);
            interrupt(InterruptionKind::Note);
            return true;
        }
        return false;
    case Tag::Comment:
        if (m_part == Part::Comments) {
            m_context.document->comments.push_back(
                Note{commentMark(m_context.document->comments.size()), {}});
            m_tags.push(tag);
            interrupt(InterruptionKind::Note);
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
        interrupt(InterruptionKind::TextBox);
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
            while (!m_story.paragraphs.empty())
                endParagraph();
            popContainer();
            resolveNoteMarks();
        }
        break;
    case Tag::TxbxContent:
        if (endsInterruption()) {
            std::vector<Block> blocks = resume();
            std::vector<Block>& target = m_story.paragraphs.empty()
                                             ? (m_containers.empty() ? blocks : *m_containers.back())
                                             : m_story.paragraphs.back()->anchored;
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
            while (!m_story.paragraphs.empty())
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

void StoryReader::interrupt(InterruptionKind kind)
{
    auto interruption = std::make_unique<Interruption>();
    interruption->kind = kind;
    interruption->interrupted = std::exchange(m_story, StoryState{});
    interruption->blocks = std::make_unique<std::vector<Block>>();
    interruption->tagDepth = m_tags.size();
    interruption->containerDepth = m_containers.size();
    pushContainer(interruption->blocks.get());
    m_interruptions.push_back(std::move(interruption));
}

bool StoryReader::endsInterruption() const
{
    // The element's tag is already popped when it ends.
    return !m_interruptions.empty() && m_interruptions.back()->tagDepth == m_tags.size() + 1;
}

std::vector<Block> StoryReader::resume()
{
    while (!m_story.paragraphs.empty())
        endParagraph();
    // Containers a damaged interruption left open go with it, so that none
    // outlives the blocks it points into.
    flushCarry();
    m_containers.resize(std::min(m_containers.size(), m_interruptions.back()->containerDepth));
    std::unique_ptr<Interruption> interruption = std::move(m_interruptions.back());
    m_interruptions.pop_back();
    m_story = std::move(interruption->interrupted);
    return std::move(*interruption->blocks);
}

} // namespace plainora::engine::docx
