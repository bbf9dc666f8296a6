#include "engine/doc/Lists.h"

#include "engine/doc/LittleEndian.h"
#include "engine/doc/Properties.h"

namespace plainora::engine::doc {

namespace {

constexpr std::size_t kLstfSize = 28;
constexpr std::size_t kLvlfSize = 28;
constexpr std::size_t kLfoSize = 16;
constexpr std::size_t kLfoLvlSize = 8;
constexpr std::uint16_t kSprmCRgFtc0 = 0x4A4F;

} // namespace

// SttbfFfn: cData, cbExtra, then per font cbFfnM1 + FFN; the font's name
// (xszFfn) starts 39 bytes into the FFN.
std::vector<std::string> readFontNames(ByteView table, FibBlock sttbfFfn)
{
    std::vector<std::string> names;
    const ByteView bytes = slice(table, sttbfFfn.fc, sttbfFfn.lcb);
    if (bytes.size() < 4)
        return names;
    const std::uint16_t count = readU16(bytes, 0);
    std::size_t offset = 4;
    for (std::uint16_t i = 0; i < count && offset < bytes.size(); ++i) {
        const std::size_t length = bytes[offset];
        const ByteView ffn = slice(bytes, offset + 1, length);
        offset += 1 + length;
        std::u16string name;
        for (std::size_t pos = 39; pos + 1 < ffn.size(); pos += 2) {
            const char16_t c = readU16(ffn, pos);
            if (c == 0)
                break;
            name.push_back(c);
        }
        std::string utf8;
        for (char16_t c : name)
            appendUtf8(utf8, c);
        names.push_back(std::move(utf8));
    }
    return names;
}

ListNumbering ListNumbering::parse(ByteView table, FibBlock plfLst, FibBlock plfLfo,
                                   const std::vector<std::string>* fonts)
{
    ListNumbering numbering;
    numbering.m_fonts = fonts;
    if (plfLst.lcb < 2 || !fits(table, plfLst.fc, plfLst.lcb))
        return numbering;
    const std::int16_t cLst = readI16(table, plfLst.fc);
    if (cLst <= 0 || std::uint64_t(cLst) * kLstfSize + 2 > plfLst.lcb)
        return numbering;
    // The LVLs follow PlfLst, outside lcbPlfLst ([MS-DOC] 2.9.201).
    std::uint64_t lvlOffset = std::uint64_t{plfLst.fc} + plfLst.lcb;
    auto readLevel = [&](std::uint64_t& offset, Level& level) -> bool {
        const ByteView lvlf = slice(table, offset, kLvlfSize);
        if (lvlf.empty())
            return false;
        level.startAt = readI32(lvlf, 0);
        const std::uint8_t nfc = lvlf[4];
        level.format = numberFormatFromNfc(nfc);
        level.legal = lvlf[5] & 0x04;
        level.noRestart = lvlf[5] & 0x08;
        level.follow = lvlf[15];
        const std::uint8_t cbChpx = lvlf[24];
        const std::uint8_t cbPapx = lvlf[25];
        level.restartLimit = lvlf[26];
        offset += kLvlfSize + cbPapx;
        forEachPrl(slice(table, offset, cbChpx), [&](std::uint16_t sprm, ByteView operand) {
            if (sprm == kSprmCRgFtc0)
                level.font = readU16(operand, 0);
        });
        offset += cbChpx;
        const std::uint16_t cch = readU16(table, offset);
        if (!fits(table, offset + 2, 2ull * cch))
            return false;
        for (std::uint16_t i = 0; i < cch; ++i)
            level.text.push_back(readU16(table, offset + 2 + 2ull * i));
        offset += 2 + 2ull * cch;
        return true;
    };
    for (std::int16_t i = 0; i < cLst; ++i) {
        const std::uint64_t lstf = plfLst.fc + 2 + i * kLstfSize;
        List list;
        list.lsid = readU32(table, lstf);
        const bool simple = readU8(table, lstf + 26) & 0x01;
        list.levels.resize(simple ? 1 : 9);
        for (Level& level : list.levels)
            if (!readLevel(lvlOffset, level))
                return numbering; // keep the lists read so far usable
        numbering.m_lists.push_back(std::move(list));
    }
    if (plfLfo.lcb < 4 || !fits(table, plfLfo.fc, plfLfo.lcb))
        return numbering;
    const std::uint32_t lfoMac = readU32(table, plfLfo.fc);
    if (std::uint64_t{lfoMac} * kLfoSize + 4 > plfLfo.lcb)
        return numbering;
    std::vector<std::uint8_t> levelCounts(lfoMac);
    numbering.m_overrides.resize(lfoMac);
    for (std::uint32_t i = 0; i < lfoMac; ++i) {
        const std::uint64_t lfo = plfLfo.fc + 4 + std::uint64_t{i} * kLfoSize;
        numbering.m_overrides[i].lsid = readU32(table, lfo);
        levelCounts[i] = readU8(table, lfo + 12);
    }
    // LFOData per LFO: cp, then clfolvl LFOLVLs, each with an LVL when
    // fFormatting is set.
    std::uint64_t offset = plfLfo.fc + 4 + std::uint64_t{lfoMac} * kLfoSize;
    const std::uint64_t end = std::uint64_t{plfLfo.fc} + plfLfo.lcb;
    for (std::uint32_t i = 0; i < lfoMac && offset < end; ++i) {
        offset += 4;
        for (std::uint8_t j = 0; j < levelCounts[i] && offset + kLfoLvlSize <= end; ++j) {
            const std::int32_t startAt = readI32(table, offset);
            const std::uint32_t bits = readU32(table, offset + 4);
            offset += kLfoLvlSize;
            const int ilvl = bits & 0x0F;
            if (bits & 0x10)
                numbering.m_overrides[i].startAt[ilvl] = startAt;
            if (bits & 0x20) {
                Level level;
                if (!readLevel(offset, level))
                    return numbering;
                numbering.m_overrides[i].levels[ilvl] = std::move(level);
            }
        }
    }
    return numbering;
}

const ListNumbering::Level* ListNumbering::level(const Override& lfo, int ilvl) const
{
    if (const auto it = lfo.levels.find(ilvl); it != lfo.levels.end())
        return &it->second;
    for (const List& list : m_lists) {
        if (list.lsid != lfo.lsid)
            continue;
        if (list.levels.size() == 1)
            return &list.levels[0];
        return ilvl < static_cast<int>(list.levels.size()) ? &list.levels[ilvl] : nullptr;
    }
    return nullptr;
}

std::string ListNumbering::label(std::int32_t ilfo, std::int32_t ilvl)
{
    // [MS-DOC] 2.6.2 sprmPIlfo: negative values index like their absolute value.
    if (ilfo < 0)
        ilfo = -ilfo;
    if (ilfo == 0 || ilfo == 0x7FF || ilvl < 0 || ilvl > 8 ||
        ilfo > static_cast<std::int32_t>(m_overrides.size()))
        return {};
    Override& lfo = m_overrides[ilfo - 1];
    const Level* own = level(lfo, ilvl);
    if (!own)
        return {};
    Counters& counters = m_counters[lfo.lsid];
    // Count this paragraph; deeper levels start again ([MS-DOC] 2.4.6.4).
    if (!lfo.started) {
        lfo.started = true;
        for (const auto& [restartLevel, startAt] : lfo.startAt) {
            if (restartLevel >= 0 && restartLevel < 9) {
                counters.value[restartLevel] = startAt - 1;
                counters.used[restartLevel] = true;
            }
        }
    }
    if (!counters.used[ilvl]) {
        counters.used[ilvl] = true;
        counters.value[ilvl] = own->startAt;
    } else {
        ++counters.value[ilvl];
    }
    for (int deeper = ilvl + 1; deeper < 9; ++deeper) {
        const Level* next = level(lfo, deeper);
        if (next && next->noRestart && next->restartLimit <= ilvl)
            continue;
        counters.used[deeper] = false;
    }

    std::string text;
    if (own->format == NumberFormat::Bullet) {
        for (char16_t c : own->text) {
            const std::string_view font = (m_fonts && own->font < m_fonts->size())
                                              ? std::string_view((*m_fonts)[own->font])
                                              : std::string_view();
            appendUtf8(text, mapSymbolFontCharacter(font, c));
        }
    } else {
        for (char16_t c : own->text) {
            if (c < 9) {
                const Level* placeholder = level(lfo, c);
                const std::int32_t value =
                    counters.used[c] ? counters.value[c] : (placeholder ? placeholder->startAt : 1);
                NumberFormat format = placeholder ? placeholder->format : NumberFormat::Decimal;
                if (own->legal && format != NumberFormat::DecimalZero)
                    format = NumberFormat::Decimal;
                text += formatListNumber(value, format);
            } else {
                appendUtf8(text, c);
            }
        }
    }
    if (own->follow == 0)
        text.push_back('\t');
    else if (own->follow == 1)
        text.push_back(' ');
    return text;
}

} // namespace plainora::engine::doc
