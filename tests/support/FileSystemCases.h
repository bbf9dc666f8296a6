#pragma once
// File-system situations that are awkward to make: FIFOs, and folders the
// user may not read or write.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plainora::test {

inline bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Runs check as a user whom file permissions bind. Root reads and writes
// everything, so when the tests run as root the check runs in a child
// process that has dropped to "nobody" (uid and gid 65534); the folders it
// needs must then be reachable by others. Returns check's result (0 to 254),
// or -1 when the check could not be run.
inline int asUnprivilegedUser(const std::function<int()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(255);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

// Lets other users reach a test folder (QTemporaryDir makes it private).
inline void openToOthers(const QString& folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
}

} // namespace plainora::test
