#include "engine/ImportModule.h"

#include "engine/ErrorText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace plainora::engine {

namespace {

// Where the module may be, first found wins: where the install put it, seen
// from the folder of the file that holds the engine (the program, libplainora
// or whatever else linked it in), then the folders the dynamic loader
// searches for that file's libraries. Build-tree files find it there, through
// a run path the install removes; dlopen() by bare name would search the
// caller's run path too, but under the sanitizers the caller is their runtime.
std::vector<std::string> modulePlaces()
{
    Dl_info info{};
    link_map* map = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(&modulePlaces), &info, reinterpret_cast<void**>(&map),
                 RTLD_DL_LINKMAP))
        return {};
    const bool program = !map || !map->l_name || map->l_name[0] == '\0';
    std::vector<std::string> places;
    if (char* real = realpath(program ? "/proc/self/exe" : map->l_name, nullptr)) {
        const std::string file(real);
        free(real);
        const std::string folder = file.substr(0, file.rfind('/'));
        for (const char* relative : {PLAINORA_IMPORT_MODULE_FROM_BINDIR, PLAINORA_IMPORT_MODULE_FROM_LIBDIR,
                                     PLAINORA_IMPORT_MODULE_FROM_PROGRAMDIR})
            places.push_back(folder + "/" + relative + "/" + kImportModuleFileName);
    }
    void* self = dlopen(program ? nullptr : map->l_name, RTLD_LAZY | RTLD_NOLOAD);
    if (!self)
        return places;
    Dl_serinfo size{};
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0) {
        std::vector<std::max_align_t> buffer(size.dls_size / sizeof(std::max_align_t) + 1);
        auto* search = reinterpret_cast<Dl_serinfo*>(buffer.data());
        if (dlinfo(self, RTLD_DI_SERINFOSIZE, search) == 0 && dlinfo(self, RTLD_DI_SERINFO, search) == 0)
            for (unsigned i = 0; i < search->dls_cnt; ++i)
                places.push_back(std::string(search->dls_serpath[i].dls_name) + "/" + kImportModuleFileName);
    }
    dlclose(self);
    return places;
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
            const auto places = modulePlaces();
            const auto found = std::find_if(places.begin(), places.end(), [](const std::string& place) {
                return access(place.c_str(), F_OK) == 0;
            });
            if (found != places.end())
                module.interface = load(*found);
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
        return Result<Document>(importModuleMissing(kImportModuleFileName));
    return module->readAny(bytes, options);
}

Result<Document> readWithImportLibrary(ImportLibrary library, ByteView bytes, const ReadOptions& options)
{
    const ImportModuleInterface* module = importModule();
    if (!module)
        return importModuleMissing(kImportModuleFileName);
    return module->readOne(library, bytes, options);
}

} // namespace plainora::engine
