#include "PathKind.h"

#include <sys/stat.h>

namespace plainora {

PathKind GetPathKind(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
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
