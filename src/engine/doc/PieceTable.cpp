#include "engine/doc/PieceTable.h"

#include "engine/ErrorText.h"
#include "engine/doc/LittleEndian.h"

namespace plainora::engine::doc {

namespace {

constexpr std::uint32_t kMaxCp = 0x7FFFFFFF; // [MS-DOC] 2.2.1

} // namespace

Result<PieceTable> PieceTable::parse(ByteView clx, bool word97)
{
    PieceTable table;
    std::size_t offset = 0;
    // Clx = Prc* Pcdt: property modifier lists, then the piece descriptors.
    while (offset < clx.size() && clx[offset] == 0x01) {
        const std::int16_t cb = readI16(clx, offset + 1);
        if (cb < 0 || !fits(clx, offset + 3, static_cast<std::uint64_t>(cb)))
            return damaged("the piece table's property list is cut short");
        table.m_grpprls.push_back(clx.subspan(offset + 3, static_cast<std::size_t>(cb)));
        offset += 3 + static_cast<std::size_t>(cb);
    }
    if (offset >= clx.size() || clx[offset] != 0x02)
        return damaged("the piece table is missing");
    const std::uint32_t lcb = readU32(clx, offset + 1);
    const ByteView plc = slice(clx, offset + 5, lcb);
    if (plc.empty() || lcb < 4 || (lcb - 4) % 12 != 0)
        return damaged("the piece table has an impossible size");
    const std::size_t count = (lcb - 4) / 12;
    table.m_pieces.reserve(count);
    const std::size_t pcds = 4 * (count + 1);
    // Each piece reads its start and end from the same array of positions,
    // so they always follow on; only their order needs checking.
    for (std::size_t i = 0; i < count; ++i) {
        Piece piece;
        piece.cpStart = readU32(plc, 4 * i);
        piece.cpEnd = readU32(plc, 4 * (i + 1));
        if (piece.cpEnd < piece.cpStart || piece.cpEnd > kMaxCp)
            return damaged("the piece table's positions are out of order");
        const std::uint32_t fc = readU32(plc, pcds + 8 * i + 2);
        piece.prm = readU16(plc, pcds + 8 * i + 6);
        if (word97 && (fc & 0x40000000)) {
            // [MS-DOC] 2.9.73 FcCompressed: 8-bit text at fc / 2.
            piece.compressed = true;
            piece.fc = (fc & 0x3FFFFFFF) / 2;
        } else {
            piece.compressed = !word97;
            piece.fc = fc & (word97 ? 0x3FFFFFFF : 0xFFFFFFFF);
        }
        if (piece.cpEnd > piece.cpStart)
            table.m_pieces.push_back(piece);
    }
    if (table.m_pieces.empty())
        return damaged("the piece table is empty");
    return table;
}

PieceTable PieceTable::single(std::uint32_t fc, std::uint32_t length, bool compressed)
{
    PieceTable table;
    if (length > 0)
        table.m_pieces.push_back(Piece{0, length, fc, compressed, 0});
    return table;
}

std::optional<std::size_t> PieceTable::find(std::uint32_t cp) const
{
    std::size_t low = 0;
    std::size_t high = m_pieces.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (m_pieces[mid].cpEnd <= cp)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < m_pieces.size() && m_pieces[low].cpStart <= cp)
        return low;
    return std::nullopt;
}

ByteView PieceTable::modifiers(const Piece& piece) const
{
    if ((piece.prm & 1) == 0) // Prm0: a single sprm by index, not resolved here
        return {};
    const std::size_t index = piece.prm >> 1;
    return index < m_grpprls.size() ? m_grpprls[index] : ByteView{};
}

} // namespace plainora::engine::doc
