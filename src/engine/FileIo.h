#pragma once
// Reading a source file within a stated limit, and writing an output file so
// that a failure never leaves half a file or destroys the previous one.

#include "engine/Error.h"
#include "engine/TextEncoding.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace plainora::engine {

// A read-only view of a whole file: a small one read into memory, a large one
// memory-mapped so that it does not have to be copied. Unmapping a file
// interrupts every processor that runs one of the program's threads, which
// for thousands of small documents converted in parallel costs more than
// copying them.
class MappedFile
{
public:
    static Result<MappedFile> open(const std::string& path, std::uint64_t maxBytes);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    ByteView bytes() const { return {m_data, m_size}; }

private:
    MappedFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    MappedFile(std::unique_ptr<std::uint8_t[]> copy, std::size_t size)
        : m_data(copy.get()), m_size(size), m_copy(std::move(copy))
    {
    }

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::unique_ptr<std::uint8_t[]> m_copy; // holds m_data when read, not mapped
};

// Writes an unnamed file in path's folder and names it path when complete;
// where unnamed files cannot be made, a temporary file beside path that is
// renamed over it.
Status writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace plainora::engine
