#pragma once
// File-system situations that are awkward to make: FIFOs and folders the
// user may not read.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace plainora::test {

inline bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Root reads every folder whatever its permissions, so tests of unreadable
// folders only mean something for other users.
inline bool permissionsAreEnforced()
{
    return ::geteuid() != 0;
}

} // namespace plainora::test
