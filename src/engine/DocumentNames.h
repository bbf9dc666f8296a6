#pragma once
// The file-name extensions of the documents the engine reads, for front ends
// that pick documents out of a folder. Reading never depends on the name:
// the content decides; this only says which names are worth offering.

#include <string_view>
#include <vector>

namespace plainora::engine {

// Lower-case, with the dot: ".doc", ".odt", ... Plain text (".txt") is left
// out although the engine reads it: it is what conversion writes, and a
// second run over a folder would convert its own output.
const std::vector<std::string_view>& readableExtensions();

// True when the name's extension (from its last dot, any letter case) is
// one of readableExtensions().
bool isReadableDocumentName(std::string_view name);

} // namespace plainora::engine
