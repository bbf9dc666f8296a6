// Linked into the test programs that read .docx: ctest runs each of them
// again with PLAINORA_STREAM_ALL_PARTS set, which streams every part instead
// of parsing the small ones whole: "chunks" as a tree cut every few tags,
// "expat" through expat, both fed in slices as the zip inflates them. Every
// test then holds on every path.

#include "engine/docx/PackageParts.h"

#include <cstdlib>
#include <string_view>

namespace {

const bool kStreamAllParts = [] {
    const char* mode = std::getenv("PLAINORA_STREAM_ALL_PARTS");
    if (!mode)
        return false;
    plainora::engine::docx::treeParsedPartBytes() = 0;
    plainora::engine::docx::wholeInflatedPartBytes() = 0;
    plainora::engine::docx::streamedChunkBytes() = std::string_view(mode) == "expat" ? 0 : 40;
    return true;
}();

} // namespace
