#pragma once
// The piece table of a Word binary document ([MS-DOC] 2.4.1, 2.9.38 Clx):
// where each run of character positions is stored in the WordDocument
// stream, and whether as 8-bit (compressed) or UTF-16 text.

#include "engine/Error.h"
#include "engine/TextEncoding.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace plainora::engine::doc {

struct Piece
{
    std::uint32_t cpStart = 0;
    std::uint32_t cpEnd = 0;
    std::uint32_t fc = 0; // byte offset in WordDocument
    bool compressed = false;
    std::uint16_t prm = 0;

    std::uint32_t charSize() const { return compressed ? 1 : 2; }
};

class PieceTable
{
public:
    // wordCompression says whether FcCompressed's bit 30 marks 8-bit pieces
    // (Word 97 and later); Word 6/95 pieces are all 8-bit.
    static Result<PieceTable> parse(ByteView clx, bool word97);
    // One 8-bit piece over [fc, fc + length): the text of a file that has no
    // piece table.
    static PieceTable single(std::uint32_t fc, std::uint32_t length, bool compressed);

    const std::vector<Piece>& pieces() const { return m_pieces; }
    std::uint32_t lastCp() const { return m_pieces.empty() ? 0 : m_pieces.back().cpEnd; }
    // The index of the piece that holds cp.
    std::optional<std::size_t> find(std::uint32_t cp) const;
    // The property modifiers (Prc grpprl) a piece's Prm1 refers to, if any.
    ByteView modifiers(const Piece& piece) const;

private:
    std::vector<Piece> m_pieces;
    std::vector<ByteView> m_grpprls;
};

} // namespace plainora::engine::doc
