#pragma once
// Bytes that lie in several runs of memory, read as one sequence. A stream
// of a compound file whose sectors are not stored one after the other is
// read in place this way instead of being copied: the text of a large .doc
// is most of its file, and copying it would double the memory it takes.

#include "engine/TextEncoding.h"

#include <cstdint>
#include <vector>

namespace plainora::engine::doc {

class ScatteredBytes
{
public:
    ScatteredBytes() = default;
    ScatteredBytes(ByteView contiguous) { append(contiguous); } // NOLINT: a view is one run

    // Adds a run at the end, joined to the last one when it follows it in memory.
    void append(ByteView run);

    std::uint64_t size() const { return m_size; }
    bool isContiguous() const { return m_runs.size() <= 1; }
    // The bytes as one view when they lie in one run, else empty.
    ByteView contiguous() const { return isContiguous() && !m_runs.empty() ? m_runs.front() : ByteView{}; }

    // [offset, offset + length) as one view: in place when it lies in one
    // run, else copied into scratch (valid until scratch changes). Empty when
    // the range does not lie wholly inside.
    ByteView read(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& scratch) const;
    // All the bytes in one buffer of their own.
    std::vector<std::uint8_t> join() const;

private:
    std::size_t runAt(std::uint64_t offset) const;

    std::vector<ByteView> m_runs;
    std::vector<std::uint64_t> m_runStarts; // where each run begins in the sequence
    std::uint64_t m_size = 0;
};

} // namespace plainora::engine::doc
