// Stories of the RTF reader: the destinations that start notes, comments,
// headers and footers and shape text, note numbering, and mail that wraps
// an HTML page.

#include "engine/Layout.h"
#include "engine/rtf/RtfReader.h"

#include <charconv>

namespace plainora::engine::rtf {

void RtfReader::destinationWord(Word word)
{
    GroupState& s = state();
    switch (word) {
    case Word::Fonttbl:
        s.dest = Destination::FontTable;
        return;
    case Word::SkipDestination:
        skipGroup();
        return;
    case Word::Footnote:
        if (s.dest != Destination::Text || m_stories[s.story].kind != StoryKind::Body || s.ownsStory) {
            skipGroup();
            return;
        }
        newStory(StoryKind::Footnote);
        return;
    case Word::Ftnalt:
        if (s.ownsStory && m_stories[s.story].kind == StoryKind::Footnote)
            m_stories[s.story].kind = StoryKind::Endnote;
        return;
    case Word::Annotation:
        if (!m_options.includeComments || s.dest != Destination::Text || s.ownsStory) {
            skipGroup();
            return;
        }
        newStory(StoryKind::Comment);
        return;
    case Word::HeaderFooter:
        if (!m_options.includeHeadersFooters || s.dest != Destination::Text ||
            m_stories[s.story].kind != StoryKind::Body || s.ownsStory) {
            skipGroup();
            return;
        }
        newStory(StoryKind::HeaderFooter);
        return;
    case Word::Upr:
    case Word::Object:
    case Word::Shp:
        if (s.dest != Destination::Ignore)
            s.resume = s.dest;
        s.dest = Destination::Ignore;
        return;
    case Word::Ud:
    case Word::Result:
        s.dest = s.resume;
        return;
    case Word::Shpinst:
        s.dest = Destination::Ignore;
        return;
    case Word::Shptxt:
        if (s.resume != Destination::Text || s.ownsStory) {
            skipGroup();
            return;
        }
        newStory(StoryKind::Shape);
        return;
    default:
        return;
    }
}

void RtfReader::htmlWord(Word word, bool on)
{
    switch (word) {
    case Word::FromHtml:
        // [MS-OXRTFEX] 2.2.3.1: in the header, before any text of the body.
        if (on && m_states.size() == 2 && m_stories.size() == 1 && m_stories[0].builder.size() == 0 &&
            m_stories[0].builder.paragraphEmpty()) {
            m_fromHtml = true;
            m_html = "\xEF\xBB\xBF"; // the page is gathered as UTF-8, whatever its <meta> says
        }
        return;
    case Word::HtmlTag:
        skipGroup(); // markup of the wrapped page: only read when it is taken out
        return;
    case Word::HtmlRtf:
        state().rtfOnly = on;
        return;
    default:
        return;
    }
}

// In a document that wraps HTML, the RTF's own structure is its rendering of
// the page, not the page ([MS-OXRTFEX] 2.2.3.2): paragraph ends are white space
// of the page's source, tables, sections and notes are left to the markup.
// Returns whether the word was taken care of here.
bool RtfReader::encapsulatedHtmlWord(Word word)
{
    switch (word) {
    case Word::Par:
    case Word::Line:
        if (emitting())
            emit("\r\n");
        return true;
    case Word::HtmlTag:
        // [MS-OXRTFEX] 2.1.3.1.4: markup; the number after the word is flags.
        state().htmlTag = true;
        return true;
    case Word::Page:
    case Word::Sect:
    case Word::Column:
    case Word::Cell:
    case Word::NestCell:
    case Word::Row:
    case Word::NestRow:
    case Word::Chftn:
    case Word::ListText:
        return true;
    case Word::Footnote:
    case Word::Annotation:
    case Word::HeaderFooter:
    case Word::Shptxt:
        skipGroup();
        return true;
    default:
        return false;
    }
}

int RtfReader::newStory(StoryKind kind)
{
    Story story;
    story.kind = kind;
    story.parent = state().story;
    m_stories.push_back(std::move(story));
    m_text.spend(4 * kNodeCost);
    GroupState& s = state();
    s.story = static_cast<int>(m_stories.size()) - 1;
    s.ownsStory = true;
    s.dest = Destination::Text;
    s.intbl = false;
    s.itap = 0;
    return s.story;
}

void RtfReader::finishStory(int index)
{
    flushMultiByte();
    if (m_trimAfterNoteMark == index)
        m_trimAfterNoteMark = -1;
    if (m_labelTabStory == index)
        m_labelTabStory = -1;
    Story& story = m_stories[index];
    std::vector<Block> blocks = story.builder.finish(false);
    switch (story.kind) {
    case StoryKind::Body:
        break;
    case StoryKind::Footnote:
    case StoryKind::Endnote: {
        trimNoteStart(blocks, /*afterOwnMark=*/false); // \chftn trims as it streams
        Note note{noteMark(story.kind), std::move(blocks)};
        if (m_pendingReference >= 0) {
            m_references[m_pendingReference] = noteReferenceText(note.mark);
            m_pendingReference = -1;
        }
        (story.kind == StoryKind::Endnote ? m_document.endnotes : m_document.footnotes)
            .push_back(std::move(note));
        break;
    }
    case StoryKind::HeaderFooter:
        m_document.headersFooters.push_back(std::move(blocks));
        break;
    case StoryKind::Comment: {
        trimNoteStart(blocks, /*afterOwnMark=*/false);
        m_document.comments.push_back(Note{commentMark(m_document.comments.size()), std::move(blocks)});
        break;
    }
    case StoryKind::Shape:
        m_stories[story.parent].builder.addAnchored(std::move(blocks));
        break;
    }
    // Stories end in the reverse order they start (groups nest), so the
    // finished one is the last.
    if (index + 1 == static_cast<int>(m_stories.size()) && index > 0)
        m_stories.pop_back();
    else
        story.builder = BlockBuilder();
}

void RtfReader::noteWord(const WordInfo& info, std::int32_t p)
{
    const GroupState& s = state();
    switch (info.word) {
    case Word::Chftn:
        if (emitting() && m_stories[s.story].kind == StoryKind::Body) {
            m_pendingReference = static_cast<int>(m_references.size());
            m_references.emplace_back();
            emit(std::string(1, kRefStart) + std::to_string(m_pendingReference) + kRefEnd);
        } else if (emitting() && builder().size() == 0 &&
                   (m_stories[s.story].kind == StoryKind::Footnote ||
                    m_stories[s.story].kind == StoryKind::Endnote)) {
            m_trimAfterNoteMark = s.story;
        }
        return;
    case Word::FtnStart:
        m_footnoteNumbering.start = std::clamp(p, 0, 1 << 20);
        return;
    case Word::AftnStart:
        m_endnoteNumbering.start = std::clamp(p, 0, 1 << 20);
        return;
    case Word::FtnFormat:
        m_footnoteNumbering.format = static_cast<NumberFormat>(info.value);
        return;
    case Word::AftnFormat:
        m_endnoteNumbering.format = static_cast<NumberFormat>(info.value);
        return;
    case Word::FtnRestart:
        m_footnoteNumbering.restartEachSection = info.value != 0;
        return;
    case Word::AftnRestart:
        m_endnoteNumbering.restartEachSection = info.value != 0;
        return;
    case Word::SftnStart:
    case Word::SftnFormat:
    case Word::SftnRestart:
        sectionNoteProperty(m_sectionFootnotes, info, p);
        return;
    case Word::SaftnStart:
    case Word::SaftnFormat:
    case Word::SaftnRestart:
        sectionNoteProperty(m_sectionEndnotes, info, p);
        return;
    case Word::Sectd:
        m_sectionFootnotes = {};
        m_sectionEndnotes = {};
        return;
    default:
        return;
    }
}

void RtfReader::sectionNoteProperty(SectionNotes& section, const WordInfo& info, std::int32_t parameter)
{
    switch (info.word) {
    case Word::SftnStart:
    case Word::SaftnStart:
        section.start = std::clamp(parameter, 0, 1 << 20);
        break;
    case Word::SftnFormat:
    case Word::SaftnFormat:
        section.format = static_cast<NumberFormat>(info.value);
        break;
    default:
        section.restartEachSection = info.value != 0;
        break;
    }
}

std::string RtfReader::noteMark(StoryKind kind)
{
    if (kind == StoryKind::Endnote)
        return m_endnoteCounter.next(m_sectionEndnotes.over(m_endnoteNumbering), m_section);
    return m_footnoteCounter.next(m_sectionFootnotes.over(m_footnoteNumbering), m_section);
}

void RtfReader::resolveReferences(std::vector<Block>& blocks)
{
    for (Block& block : blocks) {
        if (block.kind == Block::Kind::Table) {
            for (TableRow& row : block.rows)
                for (TableCell& cell : row.cells)
                    resolveReferences(cell.blocks);
            continue;
        }
        std::string& text = block.text;
        if (text.find(kRefStart) == std::string::npos)
            continue;
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != kRefStart) {
                out.push_back(text[i]);
                continue;
            }
            const std::size_t end = text.find(kRefEnd, i);
            if (end == std::string::npos)
                break;
            std::size_t index = m_references.size();
            std::from_chars(text.data() + i + 1, text.data() + end, index);
            if (index < m_references.size())
                out += m_references[index];
            i = end;
        }
        text = std::move(out);
    }
}

} // namespace plainora::engine::rtf
