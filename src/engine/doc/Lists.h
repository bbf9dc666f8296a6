#pragma once
// List labels of Word binary documents from the list tables ([MS-DOC]
// 2.9.201 PlfLst with its appended LVLs, 2.9.200 PlfLfo; 2.4.6.3-2.4.6.4),
// and the font names that bullets and symbols need ([MS-DOC] 2.9.263 SttbfFfn).

#include "engine/NumberFormat.h"
#include "engine/doc/Fib.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace plainora::engine::doc {

std::vector<std::string> readFontNames(ByteView table, FibBlock sttbfFfn);

class ListNumbering
{
public:
    static ListNumbering parse(ByteView table, FibBlock plfLst, FibBlock plfLfo,
                               const std::vector<std::string>* fonts);

    // The label of the next paragraph of list ilfo at level ilvl, with its
    // suffix; counts the paragraph. Empty for no list.
    std::string label(std::int32_t ilfo, std::int32_t ilvl);

private:
    struct Level
    {
        std::int32_t startAt = 1;
        NumberFormat format = NumberFormat::Decimal;
        bool legal = false;
        bool noRestart = false;
        std::uint8_t restartLimit = 0;
        std::uint8_t follow = 0; // 0 TAB, 1 space, 2 nothing
        std::u16string text;     // the number text; 0..8 are placeholders
        std::uint16_t font = 0xFFFF;
    };
    struct List
    {
        std::uint32_t lsid = 0;
        std::vector<Level> levels; // 1 or 9
    };
    struct Override
    {
        std::uint32_t lsid = 0;
        std::map<int, Level> levels;         // LFOLVLs with their own LVL
        std::map<int, std::int32_t> startAt; // LFOLVLs that restart numbering
        bool started = false;
    };
    struct Counters
    {
        std::int32_t value[9] = {};
        bool used[9] = {};
    };

    const Level* level(const Override& lfo, int ilvl) const;

    std::vector<List> m_lists;
    std::vector<Override> m_overrides;
    std::map<std::uint32_t, Counters> m_counters; // by lsid
    const std::vector<std::string>* m_fonts = nullptr;
};

} // namespace plainora::engine::doc
