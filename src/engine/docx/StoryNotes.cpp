// Notes of a StoryReader's story: references and their marks, numbered once
// each section's note properties are known, and the notes' own text.

#include "engine/Layout.h"
#include "engine/docx/StoryReaderTypes.h"
#include "engine/docx/StyleSheet.h"

#include <charconv>

namespace plainora::engine::docx {

namespace {

// A note mark not yet numbered: control characters XML text cannot hold
// around its index into StoryContext::pendingMarks.
constexpr char kMarkStart[] = "\x01";
constexpr char kMarkEnd = '\x02';

void replacePendingMarks(std::vector<Block>& blocks, const std::vector<std::string>& marks)
{
    for (Block& block : blocks) {
        for (TableRow& row : block.rows)
            for (TableCell& cell : row.cells)
                replacePendingMarks(cell.blocks, marks);
        std::string& text = block.text;
        if (text.find(kMarkStart[0]) == std::string::npos)
            continue;
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = text.find(kMarkStart[0]); at != std::string::npos;
             at = text.find(kMarkStart[0], from)) {
            const std::size_t end = text.find(kMarkEnd, at);
            std::size_t index = marks.size();
            if (end != std::string::npos)
                std::from_chars(text.data() + at + 1, text.data() + end, index);
            out.append(text, from, at - from);
            if (index < marks.size()) {
                out += marks[index];
                from = end + 1;
            } else {
                from = at + 1;
            }
        }
        out.append(text, from);
        text = std::move(out);
    }
}

} // namespace

void applyNoteProperty(NoteNumbering& numbering, std::string_view local, const char* value)
{
    if (!value)
        return;
    if (local == "numFmt") {
        numbering.format = numberFormatFromOoxml(value);
        if (numbering.format == NumberFormat::Bullet || numbering.format == NumberFormat::None)
            numbering.format = NumberFormat::Decimal; // as Word does ([OI29500] 2.1.306)
    } else if (local == "numStart") {
        numbering.start = std::clamp(intValue(value, 1), 0, 32767);
    } else if (local == "numRestart") {
        numbering.restartEachSection = std::string_view(value) == "eachSect";
    }
}

void StoryReader::startNoteElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::FootnoteReference:
    case Tag::EndnoteReference:
        if (m_part != Part::Footnotes && m_part != Part::Endnotes && runVisible())
            noteReference(tag == Tag::EndnoteReference, attributes);
        break;
    case Tag::SectPr:
        // A section's properties sit in its last paragraph's or, for the
        // last section, at the body's end ([E1] 17.6.17); a revision's old
        // properties (w:sectPrChange) do not count.
        if (m_part == Part::Document && (parent == Tag::PPr || parent == Tag::Body))
            m_sectionNumbering.emplace(m_context.footnoteNumbering, m_context.endnoteNumbering);
        break;
    case Tag::FootnotePr:
    case Tag::EndnotePr:
        m_notePropertiesOfEndnotes = tag == Tag::EndnotePr;
        break;
    case Tag::NumFmt:
    case Tag::NumStart:
    case Tag::NumRestart:
        if ((parent == Tag::FootnotePr || parent == Tag::EndnotePr) && m_sectionNumbering &&
            m_tags.above(2) == Tag::SectPr) {
            applyNoteProperty(m_notePropertiesOfEndnotes ? m_sectionNumbering->second
                                                         : m_sectionNumbering->first,
                              tag == Tag::NumFmt     ? "numFmt"
                              : tag == Tag::NumStart ? "numStart"
                                                     : "numRestart",
                              attributes.get(Ns::W, "val"));
        }
        break;
    case Tag::HeaderReference:
    case Tag::FooterReference:
        if (parent == Tag::SectPr && m_part == Part::Document && m_context.options.includeHeadersFooters) {
            if (const char* id = attributes.get(Ns::R, "id"))
                m_context.headerFooterIds.emplace_back(id);
        }
        break;
    default:
        break;
    }
}

void StoryReader::endNoteElement(Tag tag)
{
    if (tag != Tag::SectPr || !m_sectionNumbering)
        return;
    if (parentTag() == Tag::PPr)
        m_sectionEndsWithParagraph = true; // the paragraph's text is still the section's
    else
        endSection();
}

void StoryReader::noteReference(bool endnote, const XmlAttributes& attributes)
{
    Document& document = *m_context.document;
    std::vector<Note>& notes = endnote ? document.endnotes : document.footnotes;
    const int id = intValue(attributes.get(Ns::W, "id"), -1);
    const std::size_t index = notes.size();
    notes.push_back(Note{});
    (endnote ? m_context.endnoteIndexes : m_context.footnoteIndexes).emplace(id, index);
    if (onOff(attributes.get(Ns::W, "customMarkFollows")) && attributes.get(Ns::W, "customMarkFollows")) {
        // The rest of the run is the mark ([E1] 17.11.14).
        m_customMarkNote = &notes;
        m_customMarkIndex = index;
        m_customMarkText.clear();
        return;
    }
    if (m_part != Part::Document) {
        // Headers, footers and comments are read after the body: its marks are known.
        NoteCounter& counter = endnote ? m_context.endnoteCounter : m_context.footnoteCounter;
        notes[index].mark = counter.next(endnote ? m_context.endnoteNumbering : m_context.footnoteNumbering,
                                         m_context.section);
        appendText(noteReferenceText(notes[index].mark));
        return;
    }
    appendText(kMarkStart + std::to_string(m_context.pendingMarks.size()) + kMarkEnd);
    m_context.pendingMarks.push_back({endnote, index, m_context.section});
}

// Numbers the body's notes once every section's properties are known and
// puts their marks in place of the placeholders.
void StoryReader::resolveNoteMarks()
{
    if (m_context.pendingMarks.empty())
        return;
    Document& document = *m_context.document;
    std::vector<std::string> marks;
    marks.reserve(m_context.pendingMarks.size());
    for (const StoryContext::PendingMark& pending : m_context.pendingMarks) {
        const auto section = static_cast<std::size_t>(pending.section);
        const bool known = section < m_context.sectionNumbering.size();
        const NoteNumbering& numbering =
            pending.endnote
                ? (known ? m_context.sectionNumbering[section].second : m_context.endnoteNumbering)
                : (known ? m_context.sectionNumbering[section].first : m_context.footnoteNumbering);
        NoteCounter& counter = pending.endnote ? m_context.endnoteCounter : m_context.footnoteCounter;
        std::string mark = counter.next(numbering, pending.section);
        std::vector<Note>& notes = pending.endnote ? document.endnotes : document.footnotes;
        if (pending.note < notes.size())
            notes[pending.note].mark = mark;
        marks.push_back(noteReferenceText(mark));
    }
    m_context.pendingMarks.clear();
    replacePendingMarks(document.body, marks);
    for (std::vector<Block>& blocks : document.headersFooters) // Word 2003 XML keeps them in the body
        replacePendingMarks(blocks, marks);
}

void StoryReader::endSection()
{
    if (m_sectionNumbering) {
        const auto section = static_cast<std::size_t>(m_context.section);
        if (m_context.sectionNumbering.size() <= section)
            m_context.sectionNumbering.resize(section + 1,
                                              {m_context.footnoteNumbering, m_context.endnoteNumbering});
        m_context.sectionNumbering[section] = *m_sectionNumbering;
        m_sectionNumbering.reset();
    }
    ++m_context.section;
}

void StoryReader::finishCustomMark()
{
    if (!m_customMarkNote)
        return;
    std::vector<Note>& notes = *m_customMarkNote;
    m_customMarkNote = nullptr;
    if (m_customMarkIndex < notes.size())
        notes[m_customMarkIndex].mark = m_customMarkText;
    appendText(noteReferenceText(m_customMarkText));
    m_customMarkText.clear();
}

// A note of the notes part, read only when the body refers to it; the
// separators Word keeps there are not notes ([E1] 17.11.10).
void StoryReader::startNoteStory(const XmlAttributes& attributes)
{
    const std::string_view type = attrOr(attributes, "type", "normal");
    const int id = intValue(attributes.get(Ns::W, "id"), -1);
    const auto& indexes = m_part == Part::Endnotes ? m_context.endnoteIndexes : m_context.footnoteIndexes;
    const auto [first, last] = indexes.equal_range(id);
    if (type != "normal" || first == last) {
        skipElement();
        return;
    }
    m_noteTargets.clear();
    for (auto it = first; it != last; ++it)
        m_noteTargets.push_back(it->second);
    m_tags.push(Tag::Footnote);
    interrupt(InterruptionKind::Note);
}

// The note or comment now ending was read as a story of its own: its blocks
// go to the notes that take it.
void StoryReader::finishNote(Tag tag, std::vector<Block> blocks)
{
    trimNoteStart(blocks, /*afterOwnMark=*/true); // w:footnoteRef and the space after it
    Document& document = *m_context.document;
    if (tag == Tag::Comment) {
        if (!document.comments.empty())
            document.comments.back().blocks = std::move(blocks);
        return;
    }
    const bool endnote = m_part == Part::Endnotes || (m_part == Part::Document && m_inlineNoteIsEndnote);
    std::vector<Note>& notes = endnote ? document.endnotes : document.footnotes;
    for (std::size_t index : m_noteTargets) {
        if (index < notes.size())
            notes[index].blocks = blocks;
    }
}

} // namespace plainora::engine::docx
