#pragma once
// The import libraries called directly: the module's code, also linked by the
// tests and fuzz targets that drive it without loading the module. The engine
// reaches it through readWithImportLibraries (Readers.h).

#include "engine/Readers.h"

namespace plainora::engine::revenge {

// The first library that recognises the content reads it; nullopt when
// none does.
std::optional<Result<Document>> readWithAnyLibrary(ByteView bytes, const ReadOptions& options);
// One library only.
Result<Document> readWithLibrary(ImportLibrary library, ByteView bytes, const ReadOptions& options);

} // namespace plainora::engine::revenge
