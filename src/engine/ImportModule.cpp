#include "ImportModule.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace plainora::engine {

namespace {

// The folder of the file that holds the engine: the program, libplainora or
// whatever else linked it in.
std::string engineFolder()
{
    Dl_info info{};
    link_map* map = nullptr;
    std::string file;
    if (dladdr1(reinterpret_cast<void*>(&engineFolder), &info, reinterpret_cast<void**>(&map),
                RTLD_DL_LINKMAP) &&
        map && map->l_name && map->l_name[0] != '\0')
        file = map->l_name;
    else
        file = "/proc/self/exe"; // the main program has no name of its own here
    char* real = realpath(file.c_str(), nullptr);
    if (!real)
        return {};
    std::string resolved(real);
    free(real);
    return resolved.substr(0, resolved.rfind('/'));
}

// Where the install put the module, seen from each folder an engine is
// installed in.
std::vector<std::string> installedPlaces()
{
    const std::string folder = engineFolder();
    std::vector<std::string> places;
    if (folder.empty())
        return places;
    for (const char* relative : {PLAINORA_IMPORT_MODULE_FROM_BINDIR, PLAINORA_IMPORT_MODULE_FROM_LIBDIR,
                                 PLAINORA_IMPORT_MODULE_FROM_PROGRAMDIR})
        places.push_back(folder + "/" + relative + "/" + kImportModuleFileName);
    return places;
}

Error moduleMissing()
{
    return makeError(ErrorCode::ModuleMissing,
                     std::string("The part of Plainora that reads WordPerfect, Works, old Macintosh, Pages, "
                                 "StarWriter and AbiWord documents (") +
                         kImportModuleFileName +
                         ") is missing or damaged. Reinstall Plainora, then convert the "
                         "file again.");
}

const ImportModuleInterface* load(const std::string& path)
{
    // Kept loaded for the life of the process, as a linked library would be.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    auto entry = reinterpret_cast<ImportModuleEntry>(dlsym(handle, kImportModuleEntry));
    const ImportModuleInterface* interface = entry ? entry() : nullptr;
    if (!interface || !interface->version || std::strcmp(interface->version, PLAINORA_VERSION) != 0 ||
        interface->documentSize != sizeof(Document) || interface->optionsSize != sizeof(ReadOptions) ||
        !interface->readAny || !interface->readOne) {
        dlclose(handle);
        return nullptr;
    }
    return interface;
}

struct ModuleState
{
    std::mutex mutex;
    bool tried = false;
    std::string path; // empty: beside the engine
    const ImportModuleInterface* interface = nullptr;
};

ModuleState& state()
{
    static ModuleState instance;
    return instance;
}

const ImportModuleInterface* importModule()
{
    ModuleState& module = state();
    std::lock_guard lock(module.mutex);
    if (!module.tried) {
        module.tried = true;
        if (!module.path.empty()) {
            module.interface = load(module.path);
        } else {
            const auto places = installedPlaces();
            const auto found = std::find_if(places.begin(), places.end(), [](const std::string& place) {
                return access(place.c_str(), F_OK) == 0;
            });
            // Programs in the build tree find it through their run path,
            // which the install removes.
            module.interface = load(found != places.end() ? *found : kImportModuleFileName);
        }
    }
    return module.interface;
}

} // namespace

void useImportModuleAt(const std::string& path)
{
    ModuleState& module = state();
    std::lock_guard lock(module.mutex);
    module.path = path;
    module.tried = false;
    module.interface = nullptr;
}

std::optional<Result<Document>> readWithImportLibraries(ByteView bytes, const ReadOptions& options)
{
    const ImportModuleInterface* module = importModule();
    if (!module)
        return Result<Document>(moduleMissing());
    return module->readAny(bytes, options);
}

Result<Document> readWithImportLibrary(ImportLibrary library, ByteView bytes, const ReadOptions& options)
{
    const ImportModuleInterface* module = importModule();
    if (!module)
        return moduleMissing();
    return module->readOne(library, bytes, options);
}

} // namespace plainora::engine
