#pragma once
// Paths cross from Qt strings to the Qt-free rules in the file system's own
// encoding, so a name that is not valid UTF-8 still round-trips.

#include "rules/PathKind.h"

#include <QFile>
#include <QString>
#include <string>

namespace plainora {

inline std::string toNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString fromNativePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline PathKind GetPathKind(const QString& path)
{
    return GetPathKind(toNativePath(path));
}

} // namespace plainora
