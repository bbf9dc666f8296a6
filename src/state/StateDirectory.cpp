#include "state/StateDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace plainora {

QString ChooseStateDirectory(const QString& programDirectory, bool programDirectoryWritable,
                             const QString& xdgConfigHome, const QString& homeDirectory)
{
    if (programDirectoryWritable)
        return programDirectory;
    const QString configHome =
        QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome : homeDirectory + QStringLiteral("/.config");
    return QDir::cleanPath(configHome + QStringLiteral("/plainora"));
}

QString StateDirectoryForThisProgram()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    const QFileInfo programInfo(programDirectory);
    const QString directory =
        ChooseStateDirectory(programDirectory, programInfo.isDir() && programInfo.isWritable(),
                             qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    if (directory != programDirectory)
        QDir().mkpath(directory);
    return directory;
}

} // namespace plainora
