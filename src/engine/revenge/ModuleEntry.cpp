// The module's one exported function. Nothing thrown crosses into the engine,
// which may run on a C++ runtime of its own.

#include "engine/ErrorText.h"
#include "engine/ImportModule.h"
#include "engine/revenge/ImportLibraries.h"

#include <new>

namespace {

using namespace plainora::engine;

// Runs one read, turning what it throws into the engine's usual failures.
template <typename Read> auto guarded(Read read) -> decltype(read())
{
    using Outcome = decltype(read());
    try {
        return read();
    } catch (const std::bad_alloc&) {
        return Outcome(Result<Document>(outOfMemory()));
    } catch (...) {
        return Outcome(Result<Document>(importLibraryFailed()));
    }
}

std::optional<Result<Document>> readAny(ByteView bytes, const ReadOptions& options)
{
    return guarded([&] { return revenge::readWithAnyLibrary(bytes, options); });
}

Result<Document> readOne(ImportLibrary library, ByteView bytes, const ReadOptions& options)
{
    return guarded([&] { return revenge::readWithLibrary(library, bytes, options); });
}

} // namespace

extern "C" __attribute__((visibility("default"))) const ImportModuleInterface* plainora_import_module()
{
    static const ImportModuleInterface interface {
        PLAINORA_VERSION, sizeof(Document), sizeof(ReadOptions), readAny, readOne
    };
    return &interface;
}
