#include "engine/doc/Properties.h"

#include "engine/Limits.h"
#include "engine/doc/LittleEndian.h"

#include <array>

namespace plainora::engine::doc {

namespace {

constexpr std::uint16_t kSprmCFRMarkDel = 0x0800;
constexpr std::uint16_t kSprmCPicLocation = 0x6A03;
constexpr std::uint16_t kSprmCSymbol = 0x6A09;
constexpr std::uint16_t kSprmCFSpecVanish = 0x0818;
constexpr std::uint16_t kSprmCIstd = 0x4A30;
constexpr std::uint16_t kSprmCFVanish = 0x083C;
constexpr std::uint16_t kSprmCFSpec = 0x0855;
constexpr std::uint16_t kSprmCRgFtc0 = 0x4A4F;
constexpr std::uint16_t kSprmPFInTable = 0x2416;
constexpr std::uint16_t kSprmPFTtp = 0x2417;
constexpr std::uint16_t kSprmPItap = 0x6649;
constexpr std::uint16_t kSprmPDtap = 0x664A;
constexpr std::uint16_t kSprmPFInnerTableCell = 0x244B;
constexpr std::uint16_t kSprmPFInnerTtp = 0x244C;
constexpr std::uint16_t kSprmPIlvl = 0x260A;
constexpr std::uint16_t kSprmPIlfo = 0x460B;
constexpr std::uint16_t kSprmTDefTable = 0xD608;
constexpr std::uint16_t kSprmPChgTabs = 0xC615;
constexpr std::uint16_t kMaxStyles = 0x0FFE; // istd is a 12-bit index

// A ToggleOperand: 1 on, 0x81 the opposite of the style (off, as styles
// rarely set these), 0 and 0x80 off.
bool toggle(ByteView operand)
{
    return !operand.empty() && (operand[0] == 1 || operand[0] == 0x81);
}

} // namespace

std::size_t prlOperandSize(ByteView grpprl, std::size_t offset)
{
    const std::uint16_t sprm = readU16(grpprl, offset);
    switch (sprm >> 13) { // spra, [MS-DOC] 2.2.5.1
    case 0:
    case 1:
        return 1;
    case 2:
    case 4:
    case 5:
        return 2;
    case 3:
        return 4;
    case 7:
        return 3;
    default:
        break;
    }
    if (sprm == kSprmTDefTable) // [MS-DOC] 2.9.321: cb counts itself minus one
        return 2 + (readU16(grpprl, offset + 2) > 0 ? readU16(grpprl, offset + 2) - 1 : 0);
    const std::uint8_t cb = readU8(grpprl, offset + 2);
    if (sprm == kSprmPChgTabs && cb == 255) {
        // [MS-DOC] 2.9.185: the length follows from the two tab lists.
        const std::size_t start = offset + 3;
        const std::uint8_t deleted = readU8(grpprl, start);
        const std::size_t added = start + 1 + 4ull * deleted;
        const std::uint8_t addCount = readU8(grpprl, added);
        return 1 + (1 + 4ull * deleted) + (1 + 3ull * addCount);
    }
    return 1 + cb;
}

int ParaProps::depth() const
{
    if (itap >= 0)
        return itap;
    const int depth = (inTable ? 1 : 0) + dtap;
    return depth < 0 ? 0 : depth;
}

void applyCharPrl(CharProps& props, std::uint16_t sprm, ByteView operand)
{
    switch (sprm) {
    case kSprmCFRMarkDel:
        props.deleted = toggle(operand);
        break;
    case kSprmCFVanish:
        props.vanish = toggle(operand);
        break;
    case kSprmCFSpec:
        props.spec = toggle(operand);
        break;
    case kSprmCFSpecVanish:
        props.specVanish = toggle(operand);
        break;
    case kSprmCSymbol:
        props.symbolFont = readU16(operand, 0);
        props.symbolChar = readU16(operand, 2);
        break;
    case kSprmCPicLocation:
        props.picLocation = readU32(operand, 0);
        props.hasPicLocation = true;
        break;
    case kSprmCIstd:
        props.istd = readU16(operand, 0);
        props.hasIstd = true;
        break;
    case kSprmCRgFtc0:
        props.font = readU16(operand, 0);
        break;
    default:
        break;
    }
}

void applyParaPrl(ParaProps& props, std::uint16_t sprm, ByteView operand)
{
    switch (sprm) {
    case kSprmPFInTable:
        props.inTable = readU8(operand, 0) != 0;
        break;
    case kSprmPFTtp:
        props.ttp = readU8(operand, 0) != 0;
        break;
    case kSprmPItap:
        props.itap = std::max<std::int32_t>(0, readI32(operand, 0));
        break;
    case kSprmPDtap:
        props.dtap += readI32(operand, 0);
        break;
    case kSprmPFInnerTableCell:
        props.innerCell = readU8(operand, 0) != 0;
        break;
    case kSprmPFInnerTtp:
        props.innerTtp = readU8(operand, 0) != 0;
        break;
    case kSprmPIlvl:
        props.ilvl = readU8(operand, 0);
        break;
    case kSprmPIlfo:
        props.ilfo = readI16(operand, 0);
        break;
    default:
        break;
    }
}

void applyCharGrpprl(CharProps& props, ByteView grpprl)
{
    forEachPrl(grpprl, [&](std::uint16_t sprm, ByteView operand) { applyCharPrl(props, sprm, operand); });
}

void applyParaGrpprl(ParaProps& props, ByteView grpprl)
{
    forEachPrl(grpprl, [&](std::uint16_t sprm, ByteView operand) { applyParaPrl(props, sprm, operand); });
}

// [MS-DOC] 2.9.271 STSH: Stshi, then one LPStd (cbStd + STD) per style; an
// STD is Stdf, the name, then its UPXs (paragraph then character for a
// paragraph style, character only for a character style), each padded to
// an even length. Only where each STD lies and its base are read here; a
// style's UPXs are read when a paragraph or run first names it or a style
// based on it, as most of a sheet's styles are never used.
StyleSheet StyleSheet::parse(ByteView stsh)
{
    StyleSheet sheet;
    const std::uint16_t cbStshi = readU16(stsh, 0);
    const ByteView stshi = slice(stsh, 2, cbStshi);
    if (stshi.size() < 4)
        return sheet;
    const std::uint16_t cstd = readU16(stshi, 0);
    sheet.m_cbStdBase = readU16(stshi, 2);
    if (cstd > kMaxStyles || cstd > stsh.size() / 2)
        return sheet;
    sheet.m_styles.resize(cstd);
    std::size_t offset = 2 + cbStshi;
    for (std::uint16_t istd = 0; istd < cstd && offset + 2 <= stsh.size(); ++istd) {
        const std::uint16_t cbStd = readU16(stsh, offset);
        const ByteView std = slice(stsh, offset + 2, cbStd);
        offset += 2 + cbStd;
        if (std.size() < 10 || sheet.m_cbStdBase > std.size())
            continue;
        Style& style = sheet.m_styles[istd];
        style.present = true;
        style.base = readU16(std, 2) >> 4;
        style.bytes = std;
    }
    return sheet;
}

const StyleSheet::Style& StyleSheet::resolved(std::uint16_t istd) const
{
    Style& style = m_styles[istd];
    if (style.resolved)
        return style;
    style.resolved = true;
    const ByteView std = style.bytes;
    const std::uint16_t stk = readU16(std, 2) & 0x000F;
    const std::uint16_t cupx = readU16(std, 4) & 0x000F;
    // The name: a 2-byte count, that many UTF-16 units and a NUL.
    std::size_t pos = m_cbStdBase;
    const std::uint16_t cch = readU16(std, pos);
    pos += 2 + 2ull * cch + 2;
    for (std::uint16_t upx = 0; upx < cupx && pos + 2 <= std.size(); ++upx) {
        const std::uint16_t cbUpx = readU16(std, pos);
        const ByteView data = slice(std, pos + 2, cbUpx);
        pos += 2 + cbUpx + (cbUpx & 1);
        if (data.size() != cbUpx)
            break;
        if (stk == 1 && upx == 0) // paragraph style: UpxPapx = istd + grpprl
            applyParaGrpprl(style.para, data.size() >= 2 ? data.subspan(2) : ByteView{});
        else if ((stk == 1 && upx == 1) || (stk == 2 && upx == 0))
            applyCharGrpprl(style.chars, data);
    }
    return style;
}

ParaProps StyleSheet::paragraph(std::uint16_t istd) const
{
    // Settings apply from the farthest base to the style itself.
    std::array<const Style*, limits::kMaxStyleChain> chain;
    std::size_t length = 0;
    for (; length < chain.size() && istd < m_styles.size() && m_styles[istd].present; ++length) {
        chain[length] = &resolved(istd);
        istd = m_styles[istd].base;
    }
    ParaProps props;
    for (std::size_t i = length; i-- > 0;) {
        const ParaProps& own = chain[i]->para;
        if (own.ilfo != 0) {
            props.ilfo = own.ilfo;
            props.ilvl = own.ilvl;
        } else if (own.ilvl != 0) {
            props.ilvl = own.ilvl;
        }
    }
    return props;
}

CharProps StyleSheet::character(std::uint16_t istd) const
{
    CharProps props;
    for (int depth = 0; depth < limits::kMaxStyleChain && istd < m_styles.size() && m_styles[istd].present;
         ++depth) {
        props.vanish = props.vanish || resolved(istd).chars.vanish;
        istd = m_styles[istd].base;
    }
    return props;
}

} // namespace plainora::engine::doc
