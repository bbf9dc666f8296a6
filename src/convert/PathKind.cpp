#include "PathKind.h"

#include <sys/stat.h>

namespace plainora {

namespace {

// The entry's own name: the last component, trailing separators ignored.
std::string lastComponent(const std::string& path)
{
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return {}; // "/" or "//": the root has no name
    const std::size_t slash = path.rfind('/', end);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(begin, end - begin + 1);
}

bool isHiddenName(const std::string& name)
{
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

} // namespace

PathKind GetPathKind(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return PathKind::Nothing;
    if (isHiddenName(lastComponent(path)))
        return PathKind::Nothing;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return PathKind::Nothing;
    if (S_ISDIR(info.st_mode))
        return PathKind::Folder;
    // A trailing separator after a file name names nothing.
    if (S_ISREG(info.st_mode) && path.back() != '/')
        return PathKind::File;
    return PathKind::Nothing;
}

} // namespace plainora
