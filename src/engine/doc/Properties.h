#pragma once
// Property storage of Word binary documents: Prl/grpprl iteration
// ([MS-DOC] 2.2.5), the few character and paragraph properties that change
// the text, and the style sheet that supplies inherited ones ([MS-DOC] 2.9.271 STSH).

#include "engine/TextEncoding.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace plainora::engine::doc {

// Calls visit(sprm, operand) for each Prl of a grpprl; stops at the first
// Prl that would run past the end.
template <typename Visit> void forEachPrl(ByteView grpprl, Visit&& visit);

// The operand size of a Prl starting at offset, or 0 when it does not fit.
std::size_t prlOperandSize(ByteView grpprl, std::size_t offset);

struct CharProps
{
    bool deleted = false;         // sprmCFRMarkDel: a deleted revision
    bool vanish = false;          // sprmCFVanish: hidden text
    bool spec = false;            // sprmCFSpec: special character
    bool specVanish = false;      // sprmCFSpecVanish: a 0x0B style separator
    std::uint16_t symbolFont = 0; // sprmCSymbol, with symbolChar != 0
    std::uint16_t symbolChar = 0;
    std::uint32_t picLocation = 0; // sprmCPicLocation
    bool hasPicLocation = false;
    std::uint16_t istd = 0x0A;   // sprmCIstd: character style
    std::uint16_t font = 0xFFFF; // sprmCRgFtc0
    bool hasIstd = false;

    bool dropped() const { return deleted || vanish; }
};

struct ParaProps
{
    bool inTable = false;   // sprmPFInTable
    bool ttp = false;       // sprmPFTtp: row end at depth 1
    bool innerCell = false; // sprmPFInnerTableCell
    bool innerTtp = false;  // sprmPFInnerTtp
    std::int32_t itap = -1; // sprmPItap, -1 when absent
    std::int32_t dtap = 0;  // sprmPDtap
    std::int32_t ilfo = 0;  // sprmPIlfo
    std::int32_t ilvl = 0;  // sprmPIlvl
    std::uint16_t istd = 0; // paragraph style

    // Table depth per [MS-DOC] 2.4.3.
    int depth() const;
};

void applyCharPrl(CharProps& props, std::uint16_t sprm, ByteView operand);
void applyParaPrl(ParaProps& props, std::uint16_t sprm, ByteView operand);
void applyCharGrpprl(CharProps& props, ByteView grpprl);
void applyParaGrpprl(ParaProps& props, ByteView grpprl);

// The styles' paragraph list settings and character properties, each
// resolved through its chain of base styles.
class StyleSheet
{
public:
    // The sheet reads stsh as its styles are asked for: the bytes must
    // outlive it.
    static StyleSheet parse(ByteView stsh);

    // Properties of a paragraph style (default when unknown).
    ParaProps paragraph(std::uint16_t istd) const;
    // Character properties a paragraph or character style gives.
    CharProps character(std::uint16_t istd) const;

private:
    struct Style
    {
        bool present = false;
        bool resolved = false; // para and chars read from bytes
        std::uint16_t base = 0x0FFF;
        ByteView bytes; // the STD
        ParaProps para;
        CharProps chars;
    };
    // The style at istd, a present one, with its own properties read.
    const Style& resolved(std::uint16_t istd) const;

    mutable std::vector<Style> m_styles;
    std::uint16_t m_cbStdBase = 0;
};

template <typename Visit> void forEachPrl(ByteView grpprl, Visit&& visit)
{
    std::size_t offset = 0;
    while (offset + 2 <= grpprl.size()) {
        const std::uint16_t sprm = static_cast<std::uint16_t>(grpprl[offset] | (grpprl[offset + 1] << 8));
        const std::size_t size = prlOperandSize(grpprl, offset);
        if (size == 0 || offset + 2 + size > grpprl.size())
            return;
        visit(sprm, grpprl.subspan(offset + 2, size));
        offset += 2 + size;
    }
}

} // namespace plainora::engine::doc
