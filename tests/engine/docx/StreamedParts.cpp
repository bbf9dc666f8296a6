// Linked into the test programs that read .docx: ctest runs each of them a
// second time with PLAINORA_STREAM_ALL_PARTS set, which streams every part
// through expat instead of parsing the small ones as a tree, so that every
// test holds on both paths.

#include <cstdlib>

#include "docx/PackageParts.h"

namespace {

const bool kStreamAllParts = [] {
    if (std::getenv("PLAINORA_STREAM_ALL_PARTS"))
        plainora::engine::docx::treeParsedPartBytes() = 0;
    return true;
}();

} // namespace
