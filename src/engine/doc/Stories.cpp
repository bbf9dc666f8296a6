#include "engine/doc/Stories.h"

#include "engine/BlockBuilder.h"
#include "engine/FieldStack.h"
#include "engine/Limits.h"
#include "engine/NumberFormat.h"
#include "engine/TextEncoding.h"
#include "engine/doc/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

namespace plainora::engine::doc {

namespace {

// [MS-DOC] 2.9.79 FFData of a form field, behind the 68-byte header of a
// NilPICFAndBinData in the Data stream: bits iType (2) and iRes (5); iRes 25
// means "the default state", stored in wDef after the name.
std::optional<FormFieldState> formFieldState(ByteView data, std::uint32_t location)
{
    const std::uint64_t ffdata = std::uint64_t{location} + 0x44;
    if (readU32(data, ffdata) != 0xFFFFFFFF || !fits(data, ffdata, 12))
        return std::nullopt;
    const std::uint16_t bits = readU16(data, ffdata + 4);
    FormFieldState form;
    form.type = bits & 0x3;
    form.result = (bits >> 2) & 0x1F;
    if (form.isCheckBox() && form.result == 25) {
        const std::uint16_t nameLength = readU16(data, ffdata + 10);
        form.defaultResult = readU16(data, ffdata + 12 + 2ull * nameLength + 2) != 0 ? 1 : 0;
    }
    return form;
}

// Units that step() would only append to the paragraph when they carry no
// flags: neither controls, surrogates (which pair up) nor symbol-font
// characters.
bool isPlainUnit(char16_t c)
{
    return c >= 0x20 && (c < 0xD800 || c > 0xDFFF) && !DocumentText::isSymbolFontUnit(c);
}

// Appends the UTF-8 of the plain units without flags that start units and
// returns how many there were. Printable ASCII, most of any text, is checked
// and narrowed in blocks of a fixed size, which the compiler handles many
// units at a time.
std::size_t appendPlainUnits(std::string& out, std::u16string_view units, std::span<const std::uint8_t> flags)
{
    constexpr std::size_t kBlock = 16;
    char buffer[1024];
    std::size_t used = 0;
    std::size_t i = 0;
    std::size_t unitByUnit = 0; // after a block that was not all ASCII
    while (i < units.size()) {
        if (used > sizeof buffer - 3 * kBlock) {
            out.append(buffer, used);
            used = 0;
        }
        if (unitByUnit == 0 && units.size() - i >= kBlock) {
            unsigned outside = 0;
            for (std::size_t j = 0; j < kBlock; ++j)
                outside |= flags[i + j] | (static_cast<char16_t>(units[i + j] - 0x20) >= 0x60);
            if (outside == 0) {
                char narrow[kBlock];
                for (std::size_t j = 0; j < kBlock; ++j)
                    narrow[j] = static_cast<char>(units[i + j]);
                std::memcpy(buffer + used, narrow, kBlock);
                used += kBlock;
                i += kBlock;
                continue;
            }
            unitByUnit = kBlock;
        }
        const char16_t c = units[i];
        if (flags[i] != 0 || !isPlainUnit(c))
            break;
        if (c < 0x80) {
            buffer[used++] = static_cast<char>(c);
        } else if (c < 0x800) {
            buffer[used++] = static_cast<char>(0xC0 | (c >> 6));
            buffer[used++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            buffer[used++] = static_cast<char>(0xE0 | (c >> 12));
            buffer[used++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            buffer[used++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        ++i;
        if (unitByUnit > 0)
            --unitByUnit;
    }
    out.append(buffer, used);
    return i;
}

class StoryBuilder
{
public:
    explicit StoryBuilder(StoryContext& context) : m_context(context), m_text(*context.text) {}

    std::vector<Block> run(std::uint32_t begin, std::uint32_t end)
    {
        end = std::min(end, m_text.size());
        m_nextMark = m_context.noteMarks.lower_bound(begin);
        for (std::uint32_t cp = begin; cp < end;) {
            const std::uint32_t next = appendPlainRun(cp, end);
            if (next > cp)
                cp = next;
            else
                step(cp++);
        }
        if (!m_builder.paragraphEmpty() || !m_pendingBlocks.empty())
            endParagraph(end, 0x0D, /*paragraphMark=*/false);
        return m_builder.finish();
    }

private:
    bool visible() const { return m_fields.showingResults(); }

    // Most of a story is plain text shown as it stands: the characters
    // from cp that step() would each just append go out at once. Returns
    // where they end, cp when there are none.
    std::uint32_t appendPlainRun(std::uint32_t cp, std::uint32_t end)
    {
        if (m_text.flags(cp) != 0 || !isPlainUnit(m_text.at(cp)) || !visible())
            return cp;
        while (m_nextMark != m_context.noteMarks.end() && m_nextMark->first < cp)
            ++m_nextMark;
        if (m_nextMark != m_context.noteMarks.end())
            end = std::min(end, m_nextMark->first);
        if (end <= cp)
            return cp;
        std::string& paragraph = m_builder.paragraph();
        m_utf16.flush([&](char32_t point) { appendUtf8(paragraph, point); });
        m_fields.markResultShown();
        return cp + static_cast<std::uint32_t>(
                        appendPlainUnits(paragraph, m_text.chars(cp, end), m_text.flags(cp, end)));
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
            m_fields.begin();
            return;
        }
        if (c == 0x14) {
            m_fields.separate();
            return;
        }
        if (c == 0x15) {
            closeField();
            return;
        }
        if (m_fields.inInstruction()) {
            if (c == 0x01 && (flags & DocumentText::Special)) {
                if (const CharProps* extra = m_text.extra(cp); extra && extra->hasPicLocation)
                    m_fields.innermost()->form = formFieldState(m_context.dataStream, extra->picLocation);
            } else if (c >= 0x20 || c == '\t') {
                m_fields.keepInstructionUtf16(c);
            }
        }
        if (!visible())
            return;
        if (flags & DocumentText::Dropped)
            return;
        m_fields.markResultShown();
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
            return; // anchors, note marks and other control characters leave nothing
        if (DocumentText::isSymbolFontUnit(c)) {
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
        m_utf16.push(c, [this](char32_t point) { appendUtf8(m_builder.paragraph(), point); });
    }

    // A check box is known by its instruction and its form data both.
    void closeField()
    {
        if (OpenField* field = m_fields.innermost())
            field->checkBox =
                field->instructionIs("FORMCHECKBOX") && field->form && field->form->isCheckBox();
        const auto text = m_fields.end();
        if (text && visible())
            m_builder.append(*text);
    }

    void endParagraph(std::uint32_t cp, char16_t mark, bool paragraphMark)
    {
        std::string& paragraph = m_builder.paragraph();
        m_utf16.flush([&](char32_t point) { appendUtf8(paragraph, point); });
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
    FieldStack m_fields{limits::kMaxFieldNesting};
    std::map<std::uint32_t, std::string>::const_iterator m_nextMark;
    std::vector<Block> m_pendingBlocks;
    Utf16Joiner m_utf16{Utf16Joiner::LoneHigh::Replace};
    bool m_lastMarkWasCell = false;
};

} // namespace

std::vector<Block> readStory(StoryContext& context, std::uint32_t begin, std::uint32_t end)
{
    StoryBuilder builder(context);
    return builder.run(begin, end);
}

} // namespace plainora::engine::doc
