#include "rules/PathKind.h"

#include <sys/stat.h>

namespace plainora {

bool IsDotNamed(const std::string& path)
{
    // The last component, trailing separators ignored; the root has no name.
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return false;
    const std::size_t slash = path.rfind('/', end);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = path.substr(begin, end - begin + 1);
    return name[0] == '.' && name != "." && name != "..";
}

PathKind GetPathKind(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return PathKind::Nothing;
    struct stat info
    {
    };
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
