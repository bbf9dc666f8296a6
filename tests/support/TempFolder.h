#pragma once
// Real temporary folders for the file-system tests.

#include "QtPrint.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plainora::test {

class TempFolder
{
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString path() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Writes a file (creating its parent folders) and returns its path.
    QString write(const QString& relative, const QByteArray& bytes = QByteArray("x")) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
        out.write(bytes);
        return file;
    }
    QString folder(const QString& relative) const
    {
        const QString folderPath = path(relative);
        EXPECT_TRUE(QDir().mkpath(folderPath)) << folderPath.toStdString();
        return folderPath;
    }
    QByteArray read(const QString& relative) const
    {
        QFile in(path(relative));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace plainora::test
