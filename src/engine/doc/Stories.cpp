#include "Stories.h"

#include "BlockBuilder.h"
#include "EquationField.h"
#include "Layout.h"
#include "Limits.h"
#include "LittleEndian.h"
#include "NumberFormat.h"
#include "TextEncoding.h"

#include <algorithm>

namespace plainora::engine::doc {

namespace {

struct OpenField
{
    bool inResult = false;
    bool resultShown = false; // the result gave text
    std::string code;         // UTF-8: the start of the instruction, or an equation whole
    char16_t highSurrogate = 0;
    std::optional<std::uint32_t> dataLocation;

    void keep(char16_t c)
    {
        if (code.size() >= fieldInstructionBytesKept(code))
            return;
        if (isHighSurrogate(c)) {
            highSurrogate = c;
            return;
        }
        char32_t point = c;
        if (isLowSurrogate(c) && highSurrogate)
            point = combineSurrogates(highSurrogate, c);
        highSurrogate = 0;
        appendUtf8(code, point);
    }
};

// [MS-DOC] 2.9.79 FFData of a check box, behind the 68-byte header of a
// NilPICFAndBinData in the Data stream: bits iType (2) and iRes (5); iRes 25
// means "the default state", stored in wDef after the name.
std::optional<bool> checkBoxState(ByteView data, std::uint32_t location)
{
    const std::uint64_t ffdata = std::uint64_t{location} + 0x44;
    if (readU32(data, ffdata) != 0xFFFFFFFF || !fits(data, ffdata, 12))
        return std::nullopt;
    const std::uint16_t bits = readU16(data, ffdata + 4);
    if ((bits & 0x3) != 1)
        return std::nullopt;
    const int iRes = (bits >> 2) & 0x1F;
    if (iRes != 25)
        return iRes == 1;
    const std::uint16_t nameLength = readU16(data, ffdata + 10);
    return readU16(data, ffdata + 12 + 2ull * nameLength + 2) != 0;
}

class StoryBuilder
{
public:
    explicit StoryBuilder(StoryContext& context) : m_context(context), m_text(*context.text) {}

    std::vector<Block> run(std::uint32_t begin, std::uint32_t end)
    {
        end = std::min(end, m_text.size());
        m_nextMark = m_context.noteMarks.lower_bound(begin);
        for (std::uint32_t cp = begin; cp < end; ++cp)
            step(cp);
        if (!m_builder.paragraphEmpty() || !m_pendingBlocks.empty())
            endParagraph(end, 0x0D, /*paragraphMark=*/false);
        return m_builder.finish();
    }

private:
    bool visible() const
    {
        for (const OpenField& field : m_fields)
            if (!field.inResult)
                return false;
        return m_fieldOverflow == 0;
    }

    void step(std::uint32_t cp)
    {
        const char16_t c = m_text.at(cp);
        const std::uint8_t flags = m_text.flags(cp);
        if (flags & DocumentText::Missing)
            return;
        // Field characters are honoured even when hidden, so that a field
        // hidden or deleted as a whole stays balanced.
        if (c == 0x13) {
            if (m_fields.size() < static_cast<std::size_t>(limits::kMaxFieldNesting))
                m_fields.push_back({});
            else
                ++m_fieldOverflow;
            return;
        }
        if (c == 0x14) {
            if (m_fieldOverflow == 0 && !m_fields.empty())
                m_fields.back().inResult = true;
            return;
        }
        if (c == 0x15) {
            closeField();
            return;
        }
        if (!m_fields.empty() && !m_fields.back().inResult && m_fieldOverflow == 0) {
            OpenField& field = m_fields.back();
            if (c == 0x01 && (flags & DocumentText::Special)) {
                if (const CharProps* extra = m_text.extra(cp); extra && extra->hasPicLocation)
                    field.dataLocation = extra->picLocation;
            } else if (c >= 0x20 || c == '\t') {
                field.keep(c);
            }
        }
        if (!visible())
            return;
        if (flags & DocumentText::Dropped)
            return;
        if (!m_fields.empty())
            m_fields.back().resultShown = true;
        while (m_nextMark != m_context.noteMarks.end() && m_nextMark->first < cp)
            ++m_nextMark;
        if (m_nextMark != m_context.noteMarks.end() && m_nextMark->first == cp) {
            m_builder.append(m_nextMark->second);
            return;
        }
        const bool special = flags & DocumentText::Special;
        switch (c) {
        case 0x0D:
            endParagraph(cp, c, true);
            return;
        case 0x07:
            endParagraph(cp, c, true);
            return;
        case 0x0C:
            if (m_context.sectionEnds.count(cp))
                endParagraph(cp, 0x0D, true);
            else
                m_builder.append('\n');
            return;
        case 0x0B:
            if (!(flags & DocumentText::SpecVanish))
                m_builder.append('\n');
            return;
        case 0x0E:
            m_builder.append('\n');
            return;
        case 0x09:
            m_builder.append('\t');
            return;
        case 0x1E:
            m_builder.append('-');
            return;
        case 0x08:
            if (auto anchored = m_context.anchoredBlocks.find(cp);
                anchored != m_context.anchoredBlocks.end()) {
                for (Block& block : anchored->second)
                    m_pendingBlocks.push_back(std::move(block));
                m_context.anchoredBlocks.erase(anchored);
            }
            return;
        case 0x28:
            if (special) {
                if (const CharProps* extra = m_text.extra(cp); extra && extra->symbolChar != 0) {
                    appendUtf8(m_builder.paragraph(),
                               mapSymbolFontCharacter(fontName(extra->symbolFont), extra->symbolChar));
                    return;
                }
            }
            break;
        default:
            break;
        }
        if (c < 0x20)
            return;                       // anchors, note marks and other control characters leave nothing
        if (c >= 0xF000 && c <= 0xF0FF) { // a symbol font's character
            const CharProps* extra = m_text.extra(cp);
            appendUtf8(m_builder.paragraph(),
                       mapSymbolFontCharacter(fontName(extra ? extra->font : 0xFFFF), c));
            return;
        }
        if (special && (c == 0x3C || c == 0x3E))
            return; // structured-document-tag bookmarks
        appendCodeUnit(c);
    }

    std::string_view fontName(std::uint16_t font) const
    {
        const auto* fonts = m_context.fonts;
        return (fonts && font < fonts->size()) ? std::string_view((*fonts)[font]) : std::string_view();
    }

    void appendCodeUnit(char16_t c)
    {
        if (isHighSurrogate(c)) {
            if (m_highSurrogate)
                appendUtf8(m_builder.paragraph(), 0xFFFD);
            m_highSurrogate = c;
            return;
        }
        if (isLowSurrogate(c)) {
            if (m_highSurrogate) {
                appendUtf8(m_builder.paragraph(), combineSurrogates(m_highSurrogate, c));
                m_highSurrogate = 0;
            } else {
                appendUtf8(m_builder.paragraph(), 0xFFFD);
            }
            return;
        }
        if (m_highSurrogate) {
            appendUtf8(m_builder.paragraph(), 0xFFFD);
            m_highSurrogate = 0;
        }
        appendUtf8(m_builder.paragraph(), c);
    }

    void closeField()
    {
        if (m_fieldOverflow > 0) {
            --m_fieldOverflow;
            return;
        }
        if (m_fields.empty())
            return; // an end without a begin
        OpenField field = std::move(m_fields.back());
        m_fields.pop_back();
        if (!visible())
            return;
        const auto start = field.code.find_first_not_of(' ');
        if (start != std::string::npos && field.code.compare(start, 12, "FORMCHECKBOX") == 0 &&
            field.dataLocation) {
            if (const auto checked = checkBoxState(m_context.dataStream, *field.dataLocation))
                m_builder.append(checkBoxText(*checked));
        } else if (!field.resultShown) {
            if (const auto text = equationFieldText(field.code))
                m_builder.append(*text);
        }
    }

    void endParagraph(std::uint32_t cp, char16_t mark, bool paragraphMark)
    {
        std::string& paragraph = m_builder.paragraph();
        if (m_highSurrogate) {
            appendUtf8(paragraph, 0xFFFD);
            m_highSurrogate = 0;
        }
        int depth = 0;
        bool rowEnd = false;
        bool cellEnd = false;
        ParaProps props;
        if (m_context.tablesFromProperties) {
            if (paragraphMark)
                props = m_text.paragraph(cp);
            depth = props.depth();
            if (mark == 0x07 && depth == 0)
                depth = 1;
            if (depth == 1) {
                rowEnd = mark == 0x07 && props.ttp;
                cellEnd = mark == 0x07 && !rowEnd;
            } else if (depth > 1) {
                rowEnd = props.innerTtp;
                cellEnd = !rowEnd && (props.innerCell || mark == 0x07);
            }
        } else if (mark == 0x07) {
            // Without paragraph properties: a cell mark right after a cell
            // mark ends the row.
            depth = 1;
            rowEnd = m_lastMarkWasCell && paragraph.empty();
            cellEnd = !rowEnd;
        }
        m_lastMarkWasCell = cellEnd;
        if (!rowEnd && props.ilfo != 0 && m_context.lists)
            paragraph.insert(0, m_context.lists->label(props.ilfo, props.ilvl));
        // Tables nested deeper than the limit land in the deepest one kept.
        depth = std::min(depth, limits::kMaxTableNesting);
        if (rowEnd) {
            // The row-end mark holds no text of its own; content anchored to
            // it starts the next row.
            paragraph.clear();
            m_builder.endRow(depth);
            m_builder.addBlocks(depth, std::move(m_pendingBlocks));
        } else {
            m_builder.addAnchored(std::move(m_pendingBlocks));
            if (cellEnd)
                m_builder.endCell(depth, /*keepEmpty=*/true);
            else
                m_builder.endParagraph(depth);
        }
        m_pendingBlocks.clear();
    }

    StoryContext& m_context;
    const DocumentText& m_text;
    BlockBuilder m_builder;
    std::vector<OpenField> m_fields;
    std::size_t m_fieldOverflow = 0;
    std::map<std::uint32_t, std::string>::const_iterator m_nextMark;
    std::vector<Block> m_pendingBlocks;
    char16_t m_highSurrogate = 0;
    bool m_lastMarkWasCell = false;
};

} // namespace

std::vector<Block> readStory(StoryContext& context, std::uint32_t begin, std::uint32_t end)
{
    StoryBuilder builder(context);
    return builder.run(begin, end);
}

} // namespace plainora::engine::doc
