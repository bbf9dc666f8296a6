// The real services hand every shell target to the desktop as the right URL:
// folders and files as local files, web and mail addresses as they are.

#include "app/QtWindowServices.h"

#include "TempFolder.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace plainora;
using plainora::test::TempFolder;

namespace {

// Receives what QDesktopServices would hand to the desktop.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls.append(url); }
};

class QtWindowServicesShell : public ::testing::Test
{
protected:
    QtWindowServicesShell()
    {
        for (const char* scheme : {"file", "https", "http", "mailto", "notes"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &m_recorder, "open");
    }
    ~QtWindowServicesShell() override
    {
        for (const char* scheme : {"file", "https", "http", "mailto", "notes"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        QDir::setCurrent(m_previousCurrent);
    }

    QList<QUrl> open(const QString& target)
    {
        m_recorder.urls.clear();
        m_services.openInShell(target);
        return m_recorder.urls;
    }

    UrlRecorder m_recorder;
    QtWindowServices m_services;
    TempFolder m_files;
    QString m_previousCurrent = QDir::currentPath();
};

TEST_F(QtWindowServicesShell, PathsOpenAsLocalFilesAndAddressesAsTheyAre)
{
    const QString folder = m_files.folder("out #1 100%") + "/";
    EXPECT_EQ(open(folder), QList<QUrl>{QUrl::fromLocalFile(folder)});
    EXPECT_EQ(open(folder).first().toLocalFile(), folder);
    const QString guide = m_files.path("missing/help.html");
    EXPECT_EQ(open(guide), QList<QUrl>{QUrl::fromLocalFile(guide)});

    EXPECT_EQ(open("https://plainora.example.org/"), QList<QUrl>{QUrl("https://plainora.example.org/")});
    EXPECT_EQ(open("mailto:support@plainora.example.org"),
              QList<QUrl>{QUrl("mailto:support@plainora.example.org")});
}

TEST_F(QtWindowServicesShell, RelativePathsOpenFromTheWorkingFolder)
{
    ASSERT_TRUE(QDir::setCurrent(m_files.path()));
    m_files.folder("notes:2009");
    EXPECT_EQ(open("notes:2009"), QList<QUrl>{QUrl::fromLocalFile(m_files.path("notes:2009"))});
    EXPECT_EQ(open("out"), QList<QUrl>{QUrl::fromLocalFile(m_files.path("out"))});
}

} // namespace

#include "QtWindowServicesTest.moc"
