#pragma once
// Bounds-checked little-endian reads for the binary readers: every offset
// comes from an untrusted file, so a read outside the buffer gives 0 instead
// of touching memory it does not own.

#include "engine/TextEncoding.h"

#include <cstdint>

namespace plainora::engine::doc {

inline bool fits(ByteView bytes, std::uint64_t offset, std::uint64_t length)
{
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

inline std::uint8_t readU8(ByteView bytes, std::uint64_t offset)
{
    return offset < bytes.size() ? bytes[offset] : 0;
}

inline std::uint16_t readU16(ByteView bytes, std::uint64_t offset)
{
    if (!fits(bytes, offset, 2))
        return 0;
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t readU32(ByteView bytes, std::uint64_t offset)
{
    if (!fits(bytes, offset, 4))
        return 0;
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::int16_t readI16(ByteView bytes, std::uint64_t offset)
{
    return static_cast<std::int16_t>(readU16(bytes, offset));
}

inline std::int32_t readI32(ByteView bytes, std::uint64_t offset)
{
    return static_cast<std::int32_t>(readU32(bytes, offset));
}

// The part [offset, offset + length) of bytes, or an empty view when it
// does not fit.
inline ByteView slice(ByteView bytes, std::uint64_t offset, std::uint64_t length)
{
    if (!fits(bytes, offset, length))
        return {};
    return bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

} // namespace plainora::engine::doc
