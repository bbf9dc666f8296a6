#pragma once
// The import libraries (revenge/) live in a module of their own, loaded on
// the first document that needs them: linked in, they would cost every
// process (the command-line converter, the C library, the Python module, the
// desktop program) their start-up time and memory.

#include "engine/Document.h"
#include "engine/Error.h"
#include "engine/Options.h"
#include "engine/Readers.h"
#include "engine/TextEncoding.h"

#include <cstddef>
#include <optional>
#include <string>

namespace plainora::engine {

// What the module hands the engine. Engine and module share the document
// model's layout, so a module of another version or layout is not used.
struct ImportModuleInterface
{
    const char* version;
    std::size_t documentSize;
    std::size_t optionsSize;
    std::optional<Result<Document>> (*readAny)(ByteView bytes, const ReadOptions& options);
    Result<Document> (*readOne)(ImportLibrary library, ByteView bytes, const ReadOptions& options);
};

// The module's one exported function.
using ImportModuleEntry = const ImportModuleInterface* (*)();
inline constexpr const char* kImportModuleEntry = "plainora_import_module";
inline constexpr const char* kImportModuleFileName = "plainora-import.so";

// Loads the module from path instead of from beside the engine, from the next
// read on (tests: a missing or broken module).
void useImportModuleAt(const std::string& path);

} // namespace plainora::engine
