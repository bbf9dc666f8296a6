#include "engine/doc/Fib.h"

#include "engine/ErrorText.h"
#include "engine/doc/LittleEndian.h"

#include <algorithm>

namespace plainora::engine::doc {

namespace {

std::uint32_t nonNegative(ByteView bytes, std::uint64_t offset)
{
    const std::int32_t value = readI32(bytes, offset);
    return value < 0 ? 0 : static_cast<std::uint32_t>(value);
}

void readBlocks(Fib& fib, ByteView wordDocument, std::uint64_t offset, std::size_t count)
{
    fib.blocks.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        fib.blocks[i] = {readU32(wordDocument, offset + 8 * i), readU32(wordDocument, offset + 8 * i + 4)};
}

} // namespace

Result<Fib> readFibBase(ByteView wordDocument)
{
    if (wordDocument.size() < 32)
        return damaged("the document's information block is incomplete");
    Fib fib;
    fib.wIdent = readU16(wordDocument, 0x00);
    fib.nFib = readU16(wordDocument, 0x02);
    fib.lid = readU16(wordDocument, 0x06);
    const std::uint16_t flags = readU16(wordDocument, 0x0A);
    fib.fComplex = flags & 0x0004;
    fib.fEncrypted = flags & 0x0100;
    fib.fWhichTblStm = flags & 0x0200;
    fib.fExtChar = flags & 0x1000;
    fib.fObfuscated = flags & 0x8000;
    fib.fcMin = readU32(wordDocument, 0x18);
    fib.fcMac = readU32(wordDocument, 0x1C);
    return fib;
}

Result<Fib> readFib97(ByteView wordDocument)
{
    auto base = readFibBase(wordDocument);
    if (!base)
        return base;
    Fib fib = base.take();
    // FibBase, then csw/fibRgW, cslw/fibRgLw, cbRgFcLcb/fibRgFcLcbBlob, each
    // advanced by the count the file gives ([MS-DOC] 2.5.1).
    std::uint64_t offset = 32;
    const std::uint16_t csw = readU16(wordDocument, offset);
    offset += 2 + 2ull * csw;
    const std::uint16_t cslw = readU16(wordDocument, offset);
    const std::uint64_t rgLw = offset + 2;
    offset = rgLw + 4ull * cslw;
    const std::uint16_t cbRgFcLcb = readU16(wordDocument, offset);
    const std::uint64_t rgFcLcb = offset + 2;
    if (!fits(wordDocument, rgLw, 4ull * cslw) || !fits(wordDocument, rgFcLcb, 8ull * cbRgFcLcb))
        return damaged("the document's information block is cut short");
    if (cslw < 11 || cbRgFcLcb < 34)
        return damaged("the document's information block is too short for a Word 97 document");
    fib.ccpText = nonNegative(wordDocument, rgLw + 4 * 3);
    fib.ccpFtn = nonNegative(wordDocument, rgLw + 4 * 4);
    fib.ccpHdd = nonNegative(wordDocument, rgLw + 4 * 5);
    fib.ccpMcr = nonNegative(wordDocument, rgLw + 4 * 6);
    fib.ccpAtn = nonNegative(wordDocument, rgLw + 4 * 7);
    fib.ccpEdn = nonNegative(wordDocument, rgLw + 4 * 8);
    fib.ccpTxbx = nonNegative(wordDocument, rgLw + 4 * 9);
    fib.ccpHdrTxbx = nonNegative(wordDocument, rgLw + 4 * 10);
    readBlocks(fib, wordDocument, rgFcLcb, cbRgFcLcb);
    return fib;
}

Result<Fib> readFib6(ByteView wordDocument)
{
    auto base = readFibBase(wordDocument);
    if (!base)
        return base;
    Fib fib = base.take();
    constexpr std::uint64_t kPairs = 0x58;
    constexpr std::size_t kPairCount = static_cast<std::size_t>(FcLcb::Clx) + 1;
    if (!fits(wordDocument, kPairs, 8 * kPairCount))
        return damaged("the document's information block is cut short");
    std::uint32_t* lengths[] = {&fib.ccpText, &fib.ccpFtn, &fib.ccpHdd,  &fib.ccpMcr,
                                &fib.ccpAtn,  &fib.ccpEdn, &fib.ccpTxbx, &fib.ccpHdrTxbx};
    for (std::size_t i = 0; i < std::size(lengths); ++i)
        *lengths[i] = nonNegative(wordDocument, 0x34 + 4 * i);
    readBlocks(fib, wordDocument, kPairs, kPairCount);
    return fib;
}

std::optional<Plc> Plc::parse(ByteView bytes, std::size_t dataSize, bool strict)
{
    if (bytes.size() < 4 || (bytes.size() - 4) % (4 + dataSize) != 0)
        return std::nullopt;
    Plc plc;
    plc.m_bytes = bytes;
    plc.m_dataSize = dataSize;
    plc.m_count = (bytes.size() - 4) / (4 + dataSize);
    for (std::size_t i = 0; i < plc.m_count; ++i)
        if (plc.position(i) > plc.position(i + 1) || (strict && plc.position(i) == plc.position(i + 1)))
            return std::nullopt;
    return plc;
}

std::optional<Plc> Plc::parse(ByteView table, FibBlock block, std::size_t dataSize, bool strict)
{
    if (block.lcb == 0 || !fits(table, block.fc, block.lcb))
        return std::nullopt;
    return parse(table.subspan(block.fc, block.lcb), dataSize, strict);
}

std::uint32_t Plc::position(std::size_t i) const
{
    return readU32(m_bytes, 4 * i);
}

ByteView Plc::data(std::size_t i) const
{
    return slice(m_bytes, 4 * (m_count + 1) + m_dataSize * i, m_dataSize);
}

std::optional<std::size_t> Plc::find(std::uint32_t position) const
{
    if (m_count == 0 || position < this->position(0) || position >= this->position(m_count))
        return std::nullopt;
    std::size_t low = 0;
    std::size_t high = m_count; // invariant: position(low) <= position < position(high)
    while (high - low > 1) {
        const std::size_t mid = (low + high) / 2;
        if (this->position(mid) <= position)
            low = mid;
        else
            high = mid;
    }
    return low;
}

} // namespace plainora::engine::doc
