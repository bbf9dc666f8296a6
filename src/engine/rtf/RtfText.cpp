// Characters of the RTF reader: text in the fonts' code pages, \uN with its
// fallback, symbol fonts, the font table.

#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/rtf/RtfReader.h"

#include <map>
#include <mutex>

namespace plainora::engine::rtf {

namespace {

// Tables are built once per process: iconv takes longer to open than a
// small document takes to read.
const std::array<std::string, 256>& cachedSingleByteTable(const std::string& charset)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<std::array<std::string, 256>>> tables;
    std::lock_guard lock(mutex);
    auto& slot = tables[charset];
    if (!slot)
        slot = std::make_unique<std::array<std::string, 256>>(singleByteTable(charset));
    return *slot;
}

} // namespace

void RtfReader::updateFont(GroupState& s)
{
    const std::int32_t id =
        (s.rtl && s.assocFont >= 0) ? s.assocFont : (s.font >= 0 ? s.font : m_defaultFont);
    const auto it = m_fonts.find(id);
    s.fontInfo = it == m_fonts.end() ? nullptr : &it->second;
}

const Decoder& RtfReader::decoderFor(int codePage)
{
    if (codePage == m_lastCodePage)
        return *m_lastDecoder;
    auto& slot = m_decoders[codePage];
    if (!slot) {
        slot = std::make_unique<Decoder>();
        slot->charset = charsetForCodePage(codePage);
        if (slot->charset.empty())
            slot->charset = "CP1252";
        slot->multiByte = isMultiByteCodePage(codePage);
        if (!slot->multiByte)
            slot->table = &cachedSingleByteTable(slot->charset);
    }
    m_lastCodePage = codePage;
    m_lastDecoder = slot.get();
    return *slot;
}

void RtfReader::emit(std::string_view utf8)
{
    if (m_fromHtml) {
        m_html.append(utf8);
        m_text.spend(utf8.size());
        return;
    }
    if (m_trimAfterNoteMark >= 0 && m_trimAfterNoteMark == state().story) {
        utf8 = trimNoteStart(utf8);
        if (utf8.empty())
            return;
        m_trimAfterNoteMark = -1;
    }
    builder().append(utf8);
    m_text.spend(utf8.size());
    m_fields.markResultShown();
}

void RtfReader::emitCodePoint(char32_t codePoint)
{
    if (codePoint < 0x20 && codePoint != '\t')
        return; // control characters, and our own reference markers
    std::string utf8;
    appendUtf8(utf8, codePoint);
    emit(utf8);
}

void RtfReader::flushMultiByte()
{
    if (m_multiByte.empty())
        return;
    const std::string decoded = decodeToUtf8(asBytes(m_multiByte), m_multiByteDecoder->charset);
    m_multiByte.clear();
    std::string clean;
    clean.reserve(decoded.size());
    for (char c : decoded) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            clean.push_back(c);
    }
    emit(clean);
}

void RtfReader::text(std::string_view bytes)
{
    if (m_skip > 0) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(m_skip));
        m_skip -= static_cast<int>(n);
        bytes.remove_prefix(n);
    }
    if (bytes.empty())
        return;
    GroupState& s = state();
    if (s.dest == Destination::FontTable) {
        fontTableText(bytes);
        return;
    }
    if (s.instruction && m_fields.innermost()) {
        instructionText(bytes);
        return;
    }
    if (!emitting())
        return;
    if (s.fontInfo && s.fontInfo->symbol && !s.htmlTag) {
        for (char c : bytes)
            emitCodePoint(mapSymbolFontCharacter(s.fontInfo->name, static_cast<unsigned char>(c)));
        return;
    }
    // HTML markup is in the document's code page, whatever the font.
    const int codePage =
        (s.fontInfo && s.fontInfo->codePage && !s.htmlTag) ? s.fontInfo->codePage : m_codePage;
    const Decoder& decoder = decoderFor(codePage);
    if (decoder.multiByte) {
        if (m_multiByteDecoder != &decoder)
            flushMultiByte();
        m_multiByteDecoder = &decoder;
        m_multiByte.append(bytes);
        return;
    }
    flushMultiByte();
    m_scratch.clear();
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 && b < 0x80)
            continue;
        m_scratch.append(bytes.substr(runStart, i - runStart));
        runStart = i + 1;
        if (b >= 0x80)
            m_scratch += (*decoder.table)[b];
        else if (b == '\t')
            m_scratch.push_back('\t');
    }
    if (runStart == 0) {
        emit(bytes);
        return;
    }
    m_scratch.append(bytes.substr(runStart));
    emit(m_scratch);
}

// A font's name, up to the ';' that ends its definition.
void RtfReader::fontTableText(std::string_view bytes)
{
    if (m_fontBeingDefined < 0)
        return;
    auto it = m_fonts.find(m_fontBeingDefined);
    if (it == m_fonts.end())
        return;
    for (char c : bytes) {
        if (c == ';') {
            m_fontBeingDefined = -1;
            break;
        }
        if (it->second.name.size() < 64)
            it->second.name.push_back(c);
    }
    if (m_fontBeingDefined < 0) {
        Font& font = it->second;
        while (!font.name.empty() && font.name.back() == ' ')
            font.name.pop_back();
        font.symbol = font.symbol || isSymbolFont(font.name);
    }
}

void RtfReader::instructionText(std::string_view bytes)
{
    const GroupState& s = state();
    bytes = bytes.substr(0, m_fields.instructionRoom());
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        m_fields.appendInstruction(bytes);
    } else {
        const int codePage = (s.fontInfo && s.fontInfo->codePage) ? s.fontInfo->codePage : m_codePage;
        m_fields.appendInstruction(decodeToUtf8(asBytes(bytes), decoderFor(codePage).charset));
    }
}

void RtfReader::characterWord(const WordInfo& info, std::int32_t p)
{
    GroupState& s = state();
    if (info.word == Word::Uc) {
        s.uc = std::clamp<std::int32_t>(p, 0, limits::kMaxRtfUnicodeFallback);
        return;
    }
    if (info.word == Word::Character) {
        if (emitting())
            emit(characterWordText(info.value));
        return;
    }
    // \uN
    m_skip = s.uc;
    // [RTF 1.5] "Unicode RTF": a signed 16-bit number; above 32767 it is
    // written negative.
    char32_t c = (p < -32768 || p > 65535) ? 0xFFFD : static_cast<char32_t>(p < 0 ? p + 65536 : p);
    if (s.instruction && m_fields.innermost()) {
        // An equation's text: surrogate pairs are rare enough there to give U+FFFD.
        m_fields.keepInstruction(c);
        return;
    }
    if (!emitting())
        return;
    m_utf16.push(c, [&](char32_t point) {
        // A joined pair is beyond any symbol font's codes.
        if (point <= 0xFFFF && s.fontInfo && s.fontInfo->symbol) {
            point = mapSymbolFontCharacter(s.fontInfo->name, point);
        } else if (point >= 0xF000 && point <= 0xF0FF) {
            // A private-use character: a symbol font's code. A list label
            // without a font of its own is taken as the usual Symbol bullet.
            point =
                mapSymbolFontCharacter(s.listLabel ? "Symbol" : (s.fontInfo ? s.fontInfo->name : ""), point);
        }
        emitCodePoint(point);
    });
}

void RtfReader::fontWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    switch (word) {
    case Word::F:
        if (s.dest == Destination::FontTable) {
            m_fontBeingDefined = p;
            if (m_fonts.size() < limits::kMaxRtfFonts || m_fonts.count(p))
                m_fonts[p];
            else
                m_fontBeingDefined = -1;
        } else {
            s.font = p;
            updateFont(s);
        }
        return;
    case Word::Af:
        if (s.dest != Destination::FontTable) {
            s.assocFont = p;
            updateFont(s);
        }
        return;
    case Word::Rtlch:
    case Word::Ltrch:
        s.rtl = word == Word::Rtlch;
        updateFont(s);
        return;
    case Word::Ansi:
    case Word::Mac:
    case Word::Pc:
    case Word::Pca:
        // [RTF 1.6] "Character Set"; a later \ansicpg is more precise.
        if (!m_codePageGiven)
            m_codePage = word == Word::Ansi ? 1252 : word == Word::Mac ? 10000 : word == Word::Pc ? 437 : 850;
        return;
    case Word::Ansicpg:
        if (p > 0 && !charsetForCodePage(p).empty()) {
            m_codePage = p;
            m_codePageGiven = true;
        }
        return;
    case Word::Deff:
        m_defaultFont = p;
        return;
    case Word::Fcharset:
    case Word::Cpg:
        if (s.dest == Destination::FontTable && m_fontBeingDefined >= 0) {
            Font& font = m_fonts[m_fontBeingDefined];
            if (word == Word::Fcharset) {
                font.symbol = p == 2;
                if (!font.codePage)
                    font.codePage = codePageForCharset(p);
            } else if (p > 0 && !charsetForCodePage(p).empty()) {
                font.codePage = p;
            }
        }
        return;
    default:
        return;
    }
}

} // namespace plainora::engine::rtf
