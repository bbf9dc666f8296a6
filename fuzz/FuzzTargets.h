#pragma once
// One entry point per surface a hostile file reaches. libFuzzer drives them,
// and the ordinary test suite replays every input the fuzzers ever found.
// Each returns false when the engine breaks its contract: a failure must
// carry an error number > 0 and a description, and text must be valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace plainora::fuzz {

struct Target
{
    std::string_view name;
    bool (*run)(const std::uint8_t* data, std::size_t size);
};

const std::vector<Target>& targets();
const Target* findTarget(std::string_view name);

} // namespace plainora::fuzz
