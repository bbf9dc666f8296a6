#include "rules/OutputFolder.h"

#include "rules/PathKind.h"

#include <cerrno>
#include <sys/stat.h>

namespace plainora {

OutputFolderCheck resolveOutputFolder(const std::string& text, MissingFolder missing)
{
    OutputFolderCheck check;
    if (text.empty())
        return check;
    const std::size_t end = text.find_last_not_of('/');
    if (end == std::string::npos)
        return {OutputFolderState::Ready, std::string(1, '/'), true, 0};
    check.folder = text.substr(0, end + 1);
    if (GetPathKind(check.folder) != PathKind::Folder) {
        if (missing == MissingFolder::Refuse) {
            check.state = OutputFolderState::Missing;
            return check;
        }
        // One level only: a missing parent or an existing file fails here. A
        // name the file system cannot hold is refused before it is cut short.
        if (check.folder.find('\0') != std::string::npos) {
            check.state = OutputFolderState::NotCreated;
            check.error = EINVAL;
            return check;
        }
        if (::mkdir(check.folder.c_str(), 0777) != 0) {
            const int error = errno;
            struct stat info
            {
            };
            // A folder made since the test above is usable too.
            if (error != EEXIST || ::stat(check.folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                check.state = OutputFolderState::NotCreated;
                check.error = error;
                return check;
            }
        }
    }
    check.state = OutputFolderState::Ready;
    check.folder += '/';
    return check;
}

} // namespace plainora
