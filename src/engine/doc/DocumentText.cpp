#include "engine/doc/DocumentText.h"

#include "engine/ErrorText.h"
#include "engine/TextBudget.h"
#include "engine/doc/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_set>

namespace plainora::engine::doc {

namespace {

constexpr std::uint32_t kPageSize = 512; // [MS-DOC] 2.8.5, 2.8.6: FKPs are 512-byte pages

// Text is decoded in slices of this many bytes, so a piece that spans runs
// of the stream is copied a slice at a time, never whole.
constexpr std::uint64_t kTextSliceBytes = 64 << 10;

ByteView fkpPage(const ScatteredBytes& wordDocument, std::uint32_t pn, std::vector<std::uint8_t>& scratch)
{
    return wordDocument.read(static_cast<std::uint64_t>(pn) * kPageSize, kPageSize, scratch);
}

} // namespace

namespace {

// The first paragraph or cell mark in [from, to) of text, or to. Blocks of a
// fixed size without one are passed over whole.
std::uint32_t nextMark(std::u16string_view text, std::uint32_t from, std::uint32_t to)
{
    constexpr std::uint32_t kBlock = 16;
    const char16_t* units = text.data();
    while (to - from >= kBlock) {
        const char16_t* block = units + from;
        unsigned marks = 0;
        for (std::size_t j = 0; j < kBlock; ++j)
            marks |= (block[j] == 0x0D) | (block[j] == 0x07);
        if (marks != 0)
            break;
        from += kBlock;
    }
    while (from < to && units[from] != 0x0D && units[from] != 0x07)
        ++from;
    return from;
}

} // namespace

// A missing character is 0: neither a mark nor a symbol. The text is counted
// in blocks of a fixed size, which the compiler counts many units at a time.
DocumentText::TextCensus DocumentText::TextCensus::of(std::u16string_view text)
{
    constexpr std::size_t kBlock = 64;
    TextCensus census;
    const char16_t* units = text.data();
    std::size_t i = 0;
    for (; i + kBlock <= text.size(); i += kBlock) {
        std::uint16_t marks = 0;
        std::uint16_t breaks = 0;
        std::uint16_t symbols = 0;
        for (std::size_t j = 0; j < kBlock; ++j) {
            const char16_t c = units[i + j];
            marks += (c == 0x0D) | (c == 0x07);
            breaks += c == 0x0C;
            symbols |= isSymbolFontUnit(c);
        }
        census.marks += marks;
        census.breaks += breaks;
        census.hasSymbolFontUnits |= symbols != 0;
    }
    for (; i < text.size(); ++i) {
        const char16_t c = units[i];
        census.marks += (c == 0x0D) | (c == 0x07);
        census.breaks += c == 0x0C;
        census.hasSymbolFontUnits |= isSymbolFontUnit(c);
    }
    return census;
}

namespace {

std::array<char16_t, 256> buildByteMap(int codePage)
{
    const std::string charset = charsetForCodePage(codePage);
    // A lead byte of a double-byte code page decodes as U+FFFD on its own,
    // which keeps every CP one character.
    const auto table = singleByteTable(charset.empty() ? "CP1252" : charset);
    std::array<char16_t, 256> map{};
    for (int i = 0; i < 256; ++i) {
        const auto* s = reinterpret_cast<const unsigned char*>(table[i].data());
        char32_t cp = 0xFFFD;
        if (table[i].size() == 1)
            cp = s[0];
        else if (table[i].size() == 2)
            cp = ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
        else if (table[i].size() == 3)
            cp = ((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
        map[i] = static_cast<char16_t>(cp);
    }
    return map;
}

} // namespace

// Building a map takes an iconv conversion per byte, so each code page's map
// is built once.
std::array<char16_t, 256> byteMapForCodePage(int codePage)
{
    static std::mutex mutex;
    static std::map<int, std::array<char16_t, 256>> maps;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = maps.find(codePage);
    if (it == maps.end())
        it = maps.emplace(codePage, buildByteMap(codePage)).first;
    return it->second;
}

const std::array<char16_t, 256>& DocumentText::compressedByteMap()
{
    static const std::array<char16_t, 256> map = [] {
        std::array<char16_t, 256> table{};
        for (int i = 0; i < 256; ++i)
            table[i] = static_cast<char16_t>(i);
        // [MS-DOC] 2.9.73: bytes of the Windows-1252 punctuation block.
        const std::pair<int, char16_t> special[] = {
            {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026}, {0x86, 0x2020},
            {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039}, {0x8C, 0x0152},
            {0x8E, 0x017D}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022},
            {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A},
            {0x9C, 0x0153}, {0x9E, 0x017E}, {0x9F, 0x0178}};
        for (const auto& [byte, unicode] : special)
            table[byte] = unicode;
        return table;
    }();
    return map;
}

Result<DocumentText> DocumentText::build(const Sources& sources)
{
    DocumentText text;
    text.m_wordDocument = sources.wordDocument;
    text.m_pieces = sources.pieces;
    text.m_styles = sources.styles;
    text.m_readProperties = sources.readProperties;
    const std::uint32_t total = sources.pieces->lastCp();
    // The whole text is held as UTF-16: account for it before allocating.
    if (Status status = TextBudget().spend(std::size_t{total} * 2); !status)
        return status.error();
    // Every character takes at least one byte of the stream: a piece table
    // that claims more is damaged, and is not trusted for an allocation.
    if (total > sources.wordDocument.size())
        return damaged("its piece table claims more text than the file holds");
    text.m_chars.assign(total, u'\0');
    text.m_flags.assign(total, Missing);
    const ScatteredBytes& stream = sources.wordDocument;
    std::vector<std::uint8_t> scratch;
    for (const Piece& piece : sources.pieces->pieces()) {
        const std::uint32_t length = piece.cpEnd - piece.cpStart;
        // Clip a piece that runs past the stream; its missing tail stays
        // marked and is never shown.
        const std::uint64_t available =
            piece.fc < stream.size() ? (stream.size() - piece.fc) / piece.charSize() : 0;
        const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, available));
        char16_t* out = text.m_chars.data() + piece.cpStart;
        const std::uint64_t sliceChars = kTextSliceBytes / piece.charSize();
        for (std::uint32_t done = 0; done < count;) {
            const std::uint32_t chars =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(sliceChars, count - done));
            const ByteView in = stream.read(piece.fc + std::uint64_t{done} * piece.charSize(),
                                            chars * piece.charSize(), scratch);
            if (piece.compressed) {
                const auto& map = *sources.byteMap;
                for (std::uint32_t i = 0; i < chars; ++i)
                    out[done + i] = map[in[i]];
            } else if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(out + done, in.data(), std::size_t{chars} * 2);
            } else {
                for (std::uint32_t i = 0; i < chars; ++i)
                    out[done + i] = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
            }
            done += chars;
        }
        std::fill_n(text.m_flags.data() + piece.cpStart, count, std::uint8_t{0});
    }
    text.m_census = TextCensus::of(text.m_chars);
    if (sources.readProperties) {
        // Strictly ascending FCs bound the pages a piece can touch by its length.
        text.m_chpxBte = Plc::parse(sources.table, sources.fib->block(FcLcb::PlcfBteChpx), 4, true);
        text.m_papxBte = Plc::parse(sources.table, sources.fib->block(FcLcb::PlcfBtePapx), 4, true);
        text.matchShiftedOffsets();
        text.readCharacterProperties(sources);
    }
    return text;
}

Result<DocumentText> DocumentText::buildUnformatted(ByteView stream, const PieceTable& pieces, int codePage)
{
    const auto byteMap = byteMapForCodePage(codePage);
    Sources sources;
    sources.wordDocument = stream;
    sources.pieces = &pieces;
    sources.byteMap = &byteMap;
    sources.readProperties = false;
    return build(sources);
}

// [MS-DOC] 2.9.33 ChpxFkp: rgfc[crun + 1], rgb[crun], crun in the last byte;
// rgb * 2 is the offset of a Chpx (cb + grpprl) in the page.
const std::vector<DocumentText::CharRun>& DocumentText::charPage(std::uint32_t pn) const
{
    auto [it, inserted] = m_charPages.try_emplace(pn);
    if (!inserted)
        return it->second;
    const ByteView page = fkpPage(m_wordDocument, pn, m_pageScratch);
    if (page.empty())
        return it->second;
    const std::uint32_t crun = page[kPageSize - 1];
    if (crun == 0 || 4 * (crun + 1) + crun > kPageSize - 1)
        return it->second;
    it->second.reserve(crun);
    for (std::uint32_t i = 0; i < crun; ++i) {
        CharRun run{readU32(page, 4 * i), readU32(page, 4 * (i + 1)), {}};
        const std::uint32_t offset = 2u * page[4 * (crun + 1) + i];
        if (offset != 0 && offset < kPageSize - 1) {
            const std::uint8_t cb = page[offset];
            const ByteView grpprl = slice(page, offset + 1, cb);
            // Properties a character style gives come first.
            CharProps direct;
            applyCharGrpprl(direct, grpprl);
            if (direct.hasIstd && m_styles)
                run.props.vanish = m_styles->character(direct.istd).vanish;
            applyCharGrpprl(run.props, grpprl);
        }
        if (run.fcEnd > run.fcStart)
            it->second.push_back(run);
    }
    // A damaged page may list its runs out of order; lookups need them sorted.
    std::sort(it->second.begin(), it->second.end(),
              [](const auto& a, const auto& b) { return a.fcStart < b.fcStart; });
    return it->second;
}

void DocumentText::readCharacterProperties(const Sources& sources)
{
    if (!m_chpxBte)
        return;
    const Plc& bte = *m_chpxBte;
    for (const Piece& piece : sources.pieces->pieces()) {
        const std::uint32_t size = piece.charSize();
        const std::uint64_t fcBegin = piece.fc;
        const std::uint64_t fcEnd = fcBegin + std::uint64_t{piece.cpEnd - piece.cpStart} * size;
        CharProps pieceProps;
        const ByteView modifiers = sources.pieces->modifiers(piece);
        applyCharGrpprl(pieceProps, modifiers);
        auto apply = [&](std::uint64_t lo, std::uint64_t hi, const CharProps& props) {
            const std::uint32_t first =
                piece.cpStart + static_cast<std::uint32_t>((lo - fcBegin + size - 1) / size);
            const std::uint32_t last =
                piece.cpStart + static_cast<std::uint32_t>((hi - fcBegin + size - 1) / size);
            std::uint8_t add = 0;
            if (props.dropped() || pieceProps.dropped())
                add |= Dropped;
            if (props.spec || pieceProps.spec)
                add |= Special;
            if (props.specVanish)
                add |= SpecVanish;
            const std::uint32_t end = std::min<std::uint32_t>(last, this->size());
            if (add != 0) {
                for (std::uint32_t cp = first; cp < end; ++cp)
                    m_flags[cp] |= add;
            }
            // Keep what a special character refers to, and the font of a
            // symbol-font character stored in the private-use range.
            if ((props.symbolChar != 0 || props.hasPicLocation) && (add & Special)) {
                for (std::uint32_t cp = first; cp < end; ++cp)
                    m_extras[cp] = props;
            } else if (m_census.hasSymbolFontUnits) {
                for (std::uint32_t cp = first; cp < end; ++cp) {
                    if (isSymbolFontUnit(m_chars[cp]))
                        m_extras[cp] = props;
                }
            }
        };
        // Runs are sorted: start at the last one that begins at or before the piece.
        auto applyRuns = [&](const std::vector<CharRun>& runs, std::int64_t shift) {
            const std::uint64_t begin = fcBegin + shift;
            const std::uint64_t end = fcEnd + shift;
            auto run =
                std::upper_bound(runs.begin(), runs.end(), begin,
                                 [](std::uint64_t value, const CharRun& r) { return value < r.fcStart; });
            if (run != runs.begin())
                --run;
            for (; run != runs.end() && run->fcStart < end; ++run) {
                const std::uint64_t lo = std::max<std::uint64_t>(run->fcStart, begin);
                const std::uint64_t hi = std::min<std::uint64_t>(run->fcEnd, end);
                if (lo < hi)
                    apply(lo - shift, hi - shift, run->props);
            }
        };
        if (!m_shifts.empty()) {
            const auto& shift = m_shifts[static_cast<std::size_t>(&piece - sources.pieces->pieces().data())];
            if (shift)
                applyRuns(m_shiftedCharRuns, *shift);
        } else {
            std::optional<std::size_t> index = bte.find(static_cast<std::uint32_t>(fcBegin));
            if (!index && bte.size() > 0 && bte.position(0) > fcBegin && bte.position(0) < fcEnd)
                index = 0;
            for (std::size_t i = index.value_or(bte.size()); i < bte.size() && bte.position(i) < fcEnd; ++i)
                applyRuns(charPage(readU32(bte.data(i), 0) & 0x3FFFFF), 0);
        }
        if (pieceProps.dropped() || pieceProps.spec)
            apply(fcBegin, fcEnd, CharProps{});
    }
}

const CharProps* DocumentText::extra(std::uint32_t cp) const
{
    const auto it = m_extras.find(cp);
    return it == m_extras.end() ? nullptr : &it->second;
}

// [MS-DOC] 2.9.177 PapxFkp: rgfc[cpara + 1], rgbx[cpara] (13 bytes, the
// first one the PapxInFkp offset / 2), cpara in the last byte.
const std::vector<DocumentText::ParaRun>& DocumentText::paraPage(std::uint32_t pn) const
{
    auto [it, inserted] = m_paraPages.try_emplace(pn);
    if (!inserted)
        return it->second;
    const ByteView page = fkpPage(m_wordDocument, pn, m_pageScratch);
    if (page.empty())
        return it->second;
    const std::uint32_t cpara = page[kPageSize - 1];
    if (cpara == 0 || 4 * (cpara + 1) + 13 * cpara > kPageSize - 1)
        return it->second;
    it->second.reserve(cpara);
    for (std::uint32_t i = 0; i < cpara; ++i) {
        ParaRun run{readU32(page, 4 * i), readU32(page, 4 * (i + 1)), {}};
        const std::uint32_t offset = 2u * page[4 * (cpara + 1) + 13 * i];
        if (offset != 0 && offset < kPageSize - 1) {
            // PapxInFkp: cb, then 2cb - 1 bytes; or 0, cb', then 2cb' bytes.
            std::uint32_t cb = page[offset];
            std::uint32_t start = offset + 1;
            std::uint32_t length = 2 * cb - 1;
            if (cb == 0) {
                cb = readU8(page, offset + 1);
                start = offset + 2;
                length = 2 * cb;
            }
            const ByteView data = slice(page, start, length);
            if (data.size() >= 2) {
                const std::uint16_t istd = readU16(data, 0);
                if (m_styles)
                    run.props = m_styles->paragraph(istd);
                run.props.istd = istd;
                applyParaGrpprl(run.props, data.subspan(2));
            }
        }
        if (run.fcEnd > run.fcStart)
            it->second.push_back(run);
    }
    // A damaged page may list its runs out of order; lookups need them sorted.
    std::sort(it->second.begin(), it->second.end(),
              [](const auto& a, const auto& b) { return a.fcStart < b.fcStart; });
    return it->second;
}

const DocumentText::ParaRun* DocumentText::paraRunAt(std::uint64_t fc) const
{
    if (!m_papxBte || fc > 0xFFFFFFFF)
        return nullptr;
    // Marks are looked up in order, mostly on the page of the one before.
    if (fc < m_lastParaPage.fcStart || fc >= m_lastParaPage.fcEnd) {
        const auto bte = m_papxBte->find(static_cast<std::uint32_t>(fc));
        if (!bte)
            return nullptr;
        m_lastParaPage = {m_papxBte->position(*bte), m_papxBte->position(*bte + 1),
                          readU32(m_papxBte->data(*bte), 0) & 0x3FFFFF};
    }
    const auto& runs = paraPage(m_lastParaPage.pn);
    const auto run =
        std::upper_bound(runs.begin(), runs.end(), fc,
                         [](std::uint64_t value, const ParaRun& r) { return value < r.fcStart; });
    if (run != runs.begin() && fc < std::prev(run)->fcEnd)
        return &*std::prev(run);
    return nullptr;
}

template <typename Run, typename Page>
std::optional<std::vector<Run>> DocumentText::allRuns(const Plc& bte, Page page, std::size_t limit) const
{
    std::vector<Run> all;
    std::unordered_set<std::uint32_t> seen;
    for (std::size_t i = 0; i < bte.size(); ++i) {
        const std::uint32_t pn = readU32(bte.data(i), 0) & 0x3FFFFF;
        if (!seen.insert(pn).second)
            continue;
        const auto& runs = (this->*page)(pn);
        if (all.size() + runs.size() > limit)
            return std::nullopt;
        all.insert(all.end(), runs.begin(), runs.end());
    }
    return all;
}

// Some programs that rewrite a file's text (8-bit pieces stored again as
// UTF-16, say) write a new piece table but leave the FKPs' offsets in
// another layout, so no paragraph mark finds its properties ([MS-DOC]
// 2.4.2 then calls the position invalid) and tables, list labels and hidden
// text are lost. The FKP runs still list the paragraphs in order, one per
// mark: matching them to the marks gives each piece the shift between its
// offsets and theirs, which must hold for every mark of the piece.
void DocumentText::matchShiftedOffsets()
{
    if (!m_papxBte || !m_chpxBte)
        return;
    const auto& pieces = m_pieces->pieces();
    auto isMark = [](char16_t c) { return c == 0x0D || c == 0x07; };
    const std::size_t marks = m_census.marks;
    const std::size_t breaks = m_census.breaks;
    // Most files find every mark: stop looking once half of them are found.
    std::size_t found = 0;
    for (const Piece& piece : pieces) {
        for (std::uint32_t cp = nextMark(m_chars, piece.cpStart, piece.cpEnd);
             cp < piece.cpEnd && 2 * found < marks; cp = nextMark(m_chars, cp + 1, piece.cpEnd))
            found += paraRunAt(piece.fc + std::uint64_t{cp - piece.cpStart} * piece.charSize()) != nullptr;
    }
    if (marks == 0 || 2 * found >= marks)
        return;
    // One run per mark or section end: a bin table that lists more cannot match.
    auto listed = allRuns<ParaRun>(*m_papxBte, &DocumentText::paraPage, marks + breaks);
    if (!listed)
        return;
    std::vector<ParaRun> paraRuns = std::move(*listed);
    for (std::size_t i = 1; i < paraRuns.size(); ++i) {
        if (paraRuns[i].fcStart < paraRuns[i - 1].fcEnd)
            return; // overlapping runs: no order to match
    }
    std::vector<std::optional<std::int64_t>> shifts(pieces.size());
    std::size_t next = 0;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const Piece& piece = pieces[p];
        for (std::uint32_t cp = piece.cpStart; cp < piece.cpEnd; ++cp) {
            const char16_t c = m_chars[cp];
            if ((m_flags[cp] & Missing) || (!isMark(c) && c != 0x0C))
                continue;
            const std::int64_t end = piece.fc + std::int64_t{cp - piece.cpStart + 1} * piece.charSize();
            // A 0x0C ends a paragraph only at a section end: it takes a run
            // only when the run ends where the piece's shift puts it.
            if (c == 0x0C) {
                if (shifts[p] && next < paraRuns.size() && paraRuns[next].fcEnd == end + *shifts[p])
                    ++next;
                continue;
            }
            if (next == paraRuns.size())
                return;
            const std::int64_t shift = std::int64_t{paraRuns[next].fcEnd} - end;
            if (shifts[p] && *shifts[p] != shift)
                return;
            shifts[p] = shift;
            ++next;
        }
    }
    if (next != paraRuns.size())
        return;
    m_shifts = std::move(shifts);
    m_shiftedParaRuns = std::move(paraRuns);
    // Every character run covers some text.
    m_shiftedCharRuns = allRuns<CharRun>(*m_chpxBte, &DocumentText::charPage, m_chars.size())
                            .value_or(std::vector<CharRun>{});
    std::sort(m_shiftedCharRuns.begin(), m_shiftedCharRuns.end(),
              [](const auto& a, const auto& b) { return a.fcStart < b.fcStart; });
}

ParaProps DocumentText::paragraph(std::uint32_t cp) const
{
    ParaProps props;
    if (!m_readProperties || !m_papxBte)
        return props;
    const auto pieceIndex = m_pieces->find(cp);
    if (!pieceIndex)
        return props;
    const Piece& piece = m_pieces->pieces()[*pieceIndex];
    const std::uint64_t fc = piece.fc + std::uint64_t{cp - piece.cpStart} * piece.charSize();
    const ParaRun* run = nullptr;
    if (m_shifts.empty()) {
        run = paraRunAt(fc);
    } else if (const auto& shift = m_shifts[*pieceIndex]) {
        const std::uint64_t moved = fc + *shift;
        const auto it =
            std::upper_bound(m_shiftedParaRuns.begin(), m_shiftedParaRuns.end(), moved,
                             [](std::uint64_t value, const ParaRun& r) { return value < r.fcStart; });
        if (it != m_shiftedParaRuns.begin() && moved < std::prev(it)->fcEnd)
            run = &*std::prev(it);
    }
    if (run)
        props = run->props;
    applyParaGrpprl(props, m_pieces->modifiers(piece));
    return props;
}

} // namespace plainora::engine::doc
