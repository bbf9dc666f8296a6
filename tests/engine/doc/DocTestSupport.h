#pragma once
// Shared helpers of the Word binary reader tests.

#include "CompoundFileBuilder.h"
#include "engine/doc/CompoundFile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace plainora::engine::test {

inline std::string fixturePath(const std::string& name)
{
    return std::string(PLAINORA_TEST_DATA_DIR) + "/doc/" + name;
}

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The streams of the root storage of a compound file, in directory order.
inline std::vector<CfbStream> streamsOf(const std::vector<std::uint8_t>& bytes)
{
    std::vector<CfbStream> streams;
    auto file = doc::CompoundFile::open(bytes);
    if (!file)
        return streams;
    for (std::uint32_t id : file.value().children(doc::CompoundFile::kRoot)) {
        if (file.value().entry(id).type != doc::CompoundFile::EntryType::Stream)
            continue;
        auto data = file.value().readStream(id);
        if (data)
            streams.push_back({file.value().entry(id).name, data.value().copy()});
    }
    return streams;
}

inline CfbStream* findStream(std::vector<CfbStream>& streams, const std::string& name)
{
    for (auto& stream : streams)
        if (stream.name == name)
            return &stream;
    return nullptr;
}

} // namespace plainora::engine::test
