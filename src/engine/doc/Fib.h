#pragma once
// The File Information Block of a Word binary document ([MS-DOC] 2.5) and
// the PLC arrays it points to ([MS-DOC] 2.2.2).

#include "engine/Error.h"
#include "engine/TextEncoding.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace plainora::engine::doc {

// Indices of the fc/lcb pairs in FibRgFcLcb97 ([MS-DOC] 2.5.6): pair k sits
// at FIB offset 0x9A + 8k.
enum class FcLcb : int {
    Stshf = 1,
    PlcffndRef = 2,
    PlcffndTxt = 3,
    PlcfandRef = 4,
    PlcfandTxt = 5,
    PlcfSed = 6,
    PlcfHdd = 11,
    PlcfBteChpx = 12,
    PlcfBtePapx = 13,
    SttbfFfn = 15,
    Dop = 31,
    Clx = 33,
    PlcSpaMom = 40,
    PlcfendRef = 46,
    PlcfendTxt = 47,
    PlcftxbxTxt = 56,
    PlcfHdrtxbxTxt = 58,
    PlfLst = 73,
    PlfLfo = 74,
};

struct FibBlock
{
    std::uint32_t fc = 0;
    std::uint32_t lcb = 0;
};

struct Fib
{
    std::uint16_t wIdent = 0;
    std::uint16_t nFib = 0;
    std::uint16_t lid = 0;
    bool fComplex = false;
    bool fEncrypted = false;
    bool fWhichTblStm = false;
    bool fExtChar = false;
    bool fObfuscated = false;
    std::uint32_t fcMin = 0; // Word 6 and older: start of the text
    std::uint32_t fcMac = 0;
    // Lengths of the document parts in CPs ([MS-DOC] 2.5.4), never negative.
    std::uint32_t ccpText = 0;
    std::uint32_t ccpFtn = 0;
    std::uint32_t ccpHdd = 0;
    std::uint32_t ccpMcr = 0; // Word 6/95 macros; 0 in later files
    std::uint32_t ccpAtn = 0;
    std::uint32_t ccpEdn = 0;
    std::uint32_t ccpTxbx = 0;
    std::uint32_t ccpHdrTxbx = 0;
    std::vector<FibBlock> blocks;

    FibBlock block(FcLcb which) const
    {
        const auto index = static_cast<std::size_t>(which);
        return index < blocks.size() ? blocks[index] : FibBlock{};
    }
};

// Reads the FibBase of any Word binary (Word 2.0 and later share it).
Result<Fib> readFibBase(ByteView wordDocument);
// Reads a Word 97-2003 FIB by its own counts ([MS-DOC] 2.5.15).
Result<Fib> readFib97(ByteView wordDocument);
// Reads a Word 6/95 FIB: the same FibBase, the part lengths at 0x34 and
// the fc/lcb pairs from 0x58, in the Word 97 order up to the piece table.
Result<Fib> readFib6(ByteView wordDocument);

// A PLC: n+1 ascending CPs (or FCs) and n data elements of a fixed size.
class Plc
{
public:
    // nullopt when the bytes are not a well-formed PLC of that element size;
    // strict PLCs must not repeat a position ([MS-DOC] 2.8.5, 2.8.6).
    static std::optional<Plc> parse(ByteView bytes, std::size_t dataSize, bool strict = false);
    static std::optional<Plc> parse(ByteView table, FibBlock block, std::size_t dataSize,
                                    bool strict = false);

    std::size_t size() const { return m_count; }
    std::uint32_t position(std::size_t i) const; // i in [0, size()]
    ByteView data(std::size_t i) const;
    // The index of the element whose range holds position, or nullopt.
    std::optional<std::size_t> find(std::uint32_t position) const;

private:
    ByteView m_bytes;
    std::size_t m_count = 0;
    std::size_t m_dataSize = 0;
};

} // namespace plainora::engine::doc
