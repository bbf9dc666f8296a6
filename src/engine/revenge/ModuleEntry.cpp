// The module's one exported function. Nothing thrown crosses into the engine,
// which may run on a C++ runtime of its own.

#include "ImportLibraries.h"
#include "ImportModule.h"

#include <new>

namespace {

using namespace plainora::engine;

Error unexpectedFailure()
{
    return makeError(ErrorCode::Damaged,
                     "The document could not be read: its import library failed. Open and save "
                     "it again in its word processor, then convert it again.");
}

std::optional<Result<Document>> readAny(ByteView bytes, const ReadOptions& options)
{
    try {
        return revenge::readWithAnyLibrary(bytes, options);
    } catch (const std::bad_alloc&) {
        return Result<Document>(
            makeError(ErrorCode::TooLarge, "There is not enough memory to read the document."));
    } catch (...) {
        return Result<Document>(unexpectedFailure());
    }
}

Result<Document> readOne(ImportLibrary library, ByteView bytes, const ReadOptions& options)
{
    try {
        return revenge::readWithLibrary(library, bytes, options);
    } catch (const std::bad_alloc&) {
        return makeError(ErrorCode::TooLarge, "There is not enough memory to read the document.");
    } catch (...) {
        return unexpectedFailure();
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) const ImportModuleInterface* plainora_import_module()
{
    static const ImportModuleInterface interface {
        PLAINORA_VERSION, sizeof(Document), sizeof(ReadOptions), readAny, readOne
    };
    return &interface;
}
