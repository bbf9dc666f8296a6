#include "rules/FolderScan.h"

#include "engine/TextEncoding.h"

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace plainora {

namespace {

bool isPlainVisibleFile(const std::string& folder, const dirent& entry)
{
    const std::string name = entry.d_name;
    if (name.empty() || name[0] == '.')
        return false;
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    struct stat info
    {
    };
    return ::stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool IsWordDocumentName(const std::string& name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot < 4)
        return false;
    return engine::startsWithIgnoringCase(std::string_view(name).substr(dot + 1), "doc");
}

std::vector<std::string> ScanFolderForDocuments(const std::string& folder,
                                                const std::function<bool(std::string_view)>& accept)
{
    std::vector<std::string> names;
    if (folder.empty())
        return names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir((folder + "/").c_str()), ::closedir);
    if (!dir)
        return names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry)
            break; // the end, or a failure that ends the scan
        if (accept(entry->d_name) && isPlainVisibleFile(folder, *entry))
            names.emplace_back(entry->d_name);
    }
    return names;
}

} // namespace plainora
