// The main window's ways in from the desktop: paths from the command line
// after the restored list, and drops onto either list.

#include "WindowFixture.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>

using namespace plainora;
using plainora::test::WindowFixture;

namespace {

// Drops local URLs onto a view's viewport as a file manager does; true when
// the drop was taken.
bool dropOnto(QAbstractItemView* view, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(QPoint(20, 20), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(QPoint(25, 25), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(25, 25), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// Runs in another current directory for as long as it lives.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const QString& path) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

} // namespace

class MainWindowOpenWith : public WindowFixture
{
};

TEST_F(MainWindowOpenWith, PathsFromTheCommandLineFollowTheRestoredListAndTheLastIsShown)
{
    const QString saved = m_files.write("saved.doc");
    const QString gone = m_files.path("gone.doc");
    writeState("TAMRIX.txt", StateFiles::JoinLines({saved, gone}));
    const QString document = m_files.write("work/report.docx");
    const QString folder = m_files.folder("work/letters");
    m_files.write("work/letters/a.doc");
    m_files.write("work/letters/b.docx");
    form1& window = open();

    {
        CurrentDirectory inWork(m_files.path("work"));
        window.AddPathsFromCommandLine({QStringLiteral("plainora"), QStringLiteral("report.docx"),
                                        QStringLiteral("--some-option"), QStringLiteral("missing.doc"),
                                        QStringLiteral("letters/")});
    }

    EXPECT_EQ(entryTexts(), (QStringList{saved, gone, document, folder}));
    EXPECT_EQ(entryIcon(3), 1);
    EXPECT_EQ(entryIcon(4), 2);
    EXPECT_EQ(selectedEntry(), 4);
    QStringList rows = documentRows();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{QStringLiteral("a.doc"), QStringLiteral("b.docx")}));
    EXPECT_EQ(m_services.busyDepth, 0);
    EXPECT_GE(m_services.busyCount, 1);
}

TEST_F(MainWindowOpenWith, NoUsablePathLeavesTheWindowAsItStarted)
{
    const QString saved = m_files.write("saved.doc");
    writeState("TAMRIX.txt", StateFiles::JoinLines({saved}));
    form1& window = open();

    window.AddPathsFromCommandLine({QStringLiteral("plainora"), m_files.path("nothing-here")});

    EXPECT_EQ(entryTexts(), QStringList{saved});
    EXPECT_EQ(selectedEntry(), 0);
    EXPECT_TRUE(documentRows().isEmpty());
}

TEST_F(MainWindowOpenWith, CommandLineEntriesAreSavedAtExitLikeAnyOther)
{
    const QString document = m_files.write("kept.doc");
    form1& window = open();
    window.AddPathsFromCommandLine({QStringLiteral("plainora"), document});
    window.close();
    EXPECT_EQ(m_state.read("TAMRIX.txt"), StateFiles::JoinLines({document}));
}

class MainWindowDrop : public WindowFixture
{
};

TEST_F(MainWindowDrop, DocumentsAndFoldersDroppedOnTheEntryListAreAddedInOrder)
{
    const QString first = m_files.write("first.doc");
    const QString folder = m_files.folder("box");
    m_files.write("box/inside.docx");
    const QString last = m_files.write("last.rtf");
    form1& window = open();

    ASSERT_TRUE(dropOnto(window.ListView1(), {first, folder, m_files.path("ghost.doc"), last}));

    EXPECT_EQ(entryTexts(), (QStringList{first, folder, last}));
    EXPECT_EQ(entryIcon(1), 1);
    EXPECT_EQ(entryIcon(2), 2);
    EXPECT_EQ(entryIcon(3), 1);
    EXPECT_EQ(selectedEntry(), 3);
    EXPECT_EQ(documentRows(), QStringList{QStringLiteral("last.rtf")});
    EXPECT_EQ(ticks(), std::vector<Qt::CheckState>{Qt::Checked});
}

TEST_F(MainWindowDrop, ADropOnTheDocumentListAddsEntriesToo)
{
    const QString existing = m_files.write("existing.doc");
    writeState("TAMRIX.txt", StateFiles::JoinLines({existing}));
    const QString folder = m_files.folder("dropped");
    m_files.write("dropped/one.doc");
    form1& window = open();

    ASSERT_TRUE(dropOnto(window.ListView2(), {folder}));

    EXPECT_EQ(entryTexts(), (QStringList{existing, folder}));
    EXPECT_EQ(selectedEntry(), 2);
    EXPECT_EQ(documentRows(), QStringList{QStringLiteral("one.doc")});
}

TEST_F(MainWindowDrop, DropsOfNothingThatExistsAreRefusedByBothLists)
{
    form1& window = open();
    EXPECT_FALSE(dropOnto(window.ListView1(), {m_files.path("no.doc")}));
    EXPECT_FALSE(dropOnto(window.ListView2(), {m_files.path("no-folder")}));
    EXPECT_TRUE(entryTexts().isEmpty());
}
