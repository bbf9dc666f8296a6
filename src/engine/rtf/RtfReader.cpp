// RTF reader: the tokenizer's units interpreted with a stack of group
// states. Each group knows its destination (body text, a note, a font table,
// something to ignore), its Unicode fallback count, its font (for the code
// page of \'hh bytes), hidden and deleted text, and its paragraph's table
// level. Destinations that hold no text are skipped by brace matching,
// without interpretation. Each family of control words is read by its own
// function (RtfReader.h says which file holds which).
//
// [x] \uN with \ucN fallback skipping, surrogate pairs
// [x] \'hh and raw 8-bit text in \ansicpg and \fcharset/\cpg code pages, DBCS
// [x] symbol fonts mapped to Unicode look-alikes
// [x] paragraphs, breaks, special characters
// [x] tables (\cell, \row, \nestcell, \nestrow, \intbl, \itap), nested
// [x] fields: result only, nested; check boxes as [X] / [ ]
// [x] footnotes and endnotes (\chftn, \ftnalt), annotations on request
// [x] headers and footers on request; shape text after its anchor paragraph
// [x] list labels (\listtext, \pntext), their separator from \levelfollow;
//     \upr/\ud
// [x] hidden (\v) and deleted (\deleted) text dropped
// [x] the document ends where its own group closes
// [x] mail saved as RTF around HTML (\fromhtml1): the HTML is taken out of
//     its \*\htmltag groups and the text between them, RTF-only \htmlrtf
//     regions left out, and read as a web page
// [ ] \dbch/\hich/\loch associated fonts (the \f font decides)

#include "engine/rtf/RtfReader.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"

namespace plainora::engine::rtf {

Status RtfReader::pushGroup()
{
    if (m_states.size() >= static_cast<std::size_t>(limits::kMaxRtfGroupDepth))
        return nestedTooDeep("its groups", limits::kMaxRtfGroupDepth);
    GroupState copy = m_states.back();
    copy.ownsStory = false;
    copy.ownsField = false;
    m_states.push_back(copy);
    return {};
}

void RtfReader::popGroup()
{
    if (m_states.size() <= 1)
        return; // an unmatched '}': ignore it and read on
    const GroupState closed = m_states.back();
    m_states.pop_back();
    if (closed.dest == Destination::FontTable && state().dest != Destination::FontTable)
        updateFont(state());
    if (closed.ownsField)
        closeField();
    if (closed.listLabel && !state().listLabel)
        closeListLabel(closed);
    if (closed.ownsStory)
        finishStory(closed.story);
}

void RtfReader::skipGroup()
{
    flushMultiByte();
    m_tokens.skipGroup();
    popGroup();
}

void RtfReader::controlSymbol(char symbol)
{
    switch (symbol) {
    case '*':
        m_starred = true;
        return;
    case '\n': // a backslash before a line end reads as \par
        if (m_fromHtml) {
            encapsulatedHtmlWord(Word::Par);
            return;
        }
        applyLabelFollow();
        if (emitting())
            builder().endParagraph(paragraphLevel());
        return;
    case '~':
        if (emitting())
            emit("\u00A0");
        return;
    case '_':
        if (emitting())
            emit("-");
        return;
    case '\\':
    case '{':
    case '}':
        text(std::string_view(&symbol, 1));
        return;
    case '\t':
        if (emitting())
            emit("\t");
        return;
    default: // \- optional hyphen, \: index subentry, \| formula: nothing to show
        return;
    }
}

Status RtfReader::controlWord(const RtfToken& token)
{
    const WordInfo info = m_words.find(token.word);
    const bool starred = m_starred;
    m_starred = false;

    // Fallback characters after \uN: a control word counts as one, but the
    // structure of the document is never given up for a fallback.
    if (m_skip > 0) {
        switch (info.word) {
        case Word::Par:
        case Word::Sect:
        case Word::Cell:
        case Word::Row:
        case Word::NestCell:
        case Word::NestRow:
            m_skip = 0;
            break;
        default:
            --m_skip;
            return {};
        }
    }
    if (info.word != Word::U && info.word != Word::Uc)
        m_utf16.reset();

    const std::int32_t p = token.parameter;
    const bool on = !token.hasParameter || p != 0;
    if (m_fromHtml && encapsulatedHtmlWord(info.word))
        return {};
    switch (familyOf(info.word)) {
    case WordFamily::Unknown:
        if (starred)
            skipGroup();
        break;
    case WordFamily::Structure:
        structureWord(info.word);
        break;
    case WordFamily::Table:
        tableWord(info.word, p, on);
        break;
    case WordFamily::Character:
        characterWord(info, p);
        break;
    case WordFamily::Property:
        propertyWord(info.word, on);
        break;
    case WordFamily::Font:
        fontWord(info.word, p);
        break;
    case WordFamily::Note:
        noteWord(info, p);
        break;
    case WordFamily::Field:
        fieldWord(info.word, p);
        break;
    case WordFamily::Destination:
        destinationWord(info.word);
        break;
    case WordFamily::Html:
        htmlWord(info.word, on);
        break;
    case WordFamily::List:
        listWord(info.word, p);
        break;
    }
    return {};
}

void RtfReader::structureWord(Word word)
{
    const GroupState& s = state();
    switch (word) {
    case Word::Par:
        applyLabelFollow();
        if (m_trimAfterNoteMark == s.story)
            m_trimAfterNoteMark = -1;
        if (emitting())
            builder().endParagraph(paragraphLevel());
        m_text.spend(kNodeCost);
        return;
    case Word::Sect:
        if (m_stories[s.story].kind == StoryKind::Body)
            ++m_section;
        applyLabelFollow();
        if (emitting() && !builder().paragraphEmpty())
            builder().endParagraph(paragraphLevel());
        return;
    case Word::Line:
    case Word::Page:
    case Word::Column:
        if (emitting())
            emit("\n");
        return;
    case Word::Tab:
        if (emitting())
            emit("\t");
        return;
    default:
        return;
    }
}

void RtfReader::tableWord(Word word, std::int32_t p, bool on)
{
    GroupState& s = state();
    switch (word) {
    case Word::Cell:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endCell(1);
        m_text.spend(kNodeCost);
        return;
    case Word::NestCell:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endCell(std::max(2, paragraphLevel()));
        m_text.spend(kNodeCost);
        return;
    case Word::Row:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endRow(1);
        m_text.spend(kNodeCost);
        return;
    case Word::NestRow: // written inside \*\nesttableprops
        applyLabelFollow();
        if (s.dest == Destination::Text || s.dest == Destination::Ignore)
            builder().endRow(std::max(2, paragraphLevel()));
        m_text.spend(kNodeCost);
        return;
    case Word::Intbl:
        s.intbl = on;
        return;
    case Word::Itap:
        s.itap = std::clamp<std::int32_t>(p, 0, limits::kMaxTableNesting);
        return;
    case Word::NestTableProps:
        s.dest = Destination::Ignore;
        return;
    default:
        return;
    }
}

void RtfReader::propertyWord(Word word, bool on)
{
    GroupState& s = state();
    switch (word) {
    case Word::Plain:
        s.font = -1;
        s.assocFont = -1;
        s.hidden = false;
        s.deleted = false;
        updateFont(s);
        return;
    case Word::Pard:
        s.intbl = false;
        s.itap = 0;
        s.ls = -1;
        s.ilvl = 0;
        return;
    case Word::V:
        s.hidden = on;
        return;
    case Word::Deleted:
        s.deleted = on;
        return;
    default:
        return;
    }
}

Result<Document> RtfReader::read()
{
    m_states.reserve(64);
    m_states.emplace_back();
    m_stories.emplace_back();
    bool opened = false; // the document's own group has started
    for (;;) {
        const RtfToken token = m_tokens.next();
        if (token.type != RtfToken::Type::Text && token.type != RtfToken::Type::HexByte &&
            token.type != RtfToken::Type::End)
            flushMultiByte();
        switch (token.type) {
        case RtfToken::Type::End:
            break;
        case RtfToken::Type::GroupStart: {
            m_skip = 0;
            m_starred = false;
            if (Status status = pushGroup(); !status)
                return status.error();
            opened = true;
            continue;
        }
        case RtfToken::Type::GroupEnd:
            m_skip = 0;
            m_starred = false;
            popGroup();
            if (m_states.size() > 1 || !opened)
                continue;
            break;
        case RtfToken::Type::ControlWord:
            if (Status status = controlWord(token); !status)
                return status.error();
            break;
        case RtfToken::Type::ControlSymbol:
            if (m_skip > 0) {
                --m_skip;
            } else {
                controlSymbol(token.symbol);
                if (token.symbol == '*')
                    continue;
            }
            break;
        case RtfToken::Type::HexByte:
            if (m_skip > 0) {
                --m_skip;
            } else {
                const char byte = static_cast<char>(token.byte);
                text(std::string_view(&byte, 1));
            }
            break;
        case RtfToken::Type::Text:
            text(token.text);
            break;
        case RtfToken::Type::Binary:
            if (m_skip > 0)
                --m_skip;
            break;
        }
        // Text after the document's own group has closed (another document
        // pasted after it, mail trailers) is not part of it.
        if (token.type == RtfToken::Type::End || (opened && m_states.size() == 1))
            break;
        m_starred = false;
        if (Status status = m_text.status(); !status)
            return status.error();
    }
    flushMultiByte();
    if (m_fromHtml)
        return readHtml(asBytes(m_html), m_options);
    // A file that ends inside groups ends them all.
    while (m_states.size() > 1)
        popGroup();
    m_document.body = m_stories[0].builder.finish(true);
    if (!m_references.empty())
        resolveReferences(m_document.body);
    return std::move(m_document);
}

} // namespace plainora::engine::rtf

namespace plainora::engine {

Result<Document> readRtf(ByteView bytes, const ReadOptions& options)
{
    // A byte-order mark or white space before "{\rtf" is no text.
    const std::size_t limit = std::min<std::size_t>(bytes.size(), 4096);
    for (std::size_t i = 0; i < limit; ++i) {
        if (bytes[i] == '{') {
            bytes = bytes.subspan(i);
            break;
        }
    }
    rtf::RtfReader reader(bytes, options);
    return reader.read();
}

} // namespace plainora::engine
