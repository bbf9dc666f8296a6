// Entries from outside the dialogs: program arguments and dropped URLs, added
// by path kind on plain views and real files and folders.

#include "doclist/EntryPathAdder.h"

#include "DocumentListsFixture.h"
#include "FileSystemCases.h"
#include "doclist/EntryDropTarget.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <gtest/gtest.h>

using plainora::EntryDropTarget;
using plainora::EntryPathAdder;
using plainora::InputDocumentList;

namespace {

class EntryPathAdderTest : public plainora::test::DocumentListsFixture
{
protected:
    EntryPathAdderTest() : m_adder(m_lists) {}

    std::vector<int> icons() const
    {
        std::vector<int> numbers;
        for (int i = 1; i <= m_entries.topLevelItemCount(); ++i)
            numbers.push_back(icon(i));
        return numbers;
    }

    EntryPathAdder m_adder;
};

} // namespace

TEST_F(EntryPathAdderTest, FilesBecomeDocumentEntriesAndFoldersFolderEntriesInTheOrderGiven)
{
    const QString folder = m_folder.folder("reports");
    m_folder.write("reports/q1.docx");
    m_folder.write("reports/q2.doc");
    const QString letter = m_folder.write("letter.rtf");
    const QString notes = m_folder.write("notes.doc");

    EXPECT_EQ(m_adder.AddPaths({letter, folder, notes}), 3);

    EXPECT_EQ(entries(), (QStringList{letter, folder, notes}));
    EXPECT_EQ(icons(), (std::vector<int>{1, 2, 1}));
    // The last one is selected and shown, under the busy pointer.
    EXPECT_EQ(m_lists.SelectedPosition(), 3);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("notes.doc")});
    EXPECT_EQ(m_services.busyCount, 1);
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(EntryPathAdderTest, AFolderAddedLastShowsItsDocuments)
{
    const QString folder = m_folder.folder("reports");
    m_folder.write("reports/q1.docx");
    m_folder.write("reports/readme.txt");

    m_adder.AddPaths({folder});

    EXPECT_EQ(rows(), QStringList{QStringLiteral("q1.docx")});
    EXPECT_EQ(m_documents.topLevelItem(0)->checkState(0), Qt::Checked);
}

TEST_F(EntryPathAdderTest, NewEntriesFollowTheExistingOnesAndDuplicatesStay)
{
    const QString kept = m_folder.write("kept.doc");
    const QString again = m_folder.write("again.docx");
    m_lists.AppendEntry(kept, InputDocumentList::DocumentIcon);
    m_lists.AppendEntry(again, InputDocumentList::DocumentIcon);

    EXPECT_EQ(m_adder.AddPaths({again, kept}), 2);

    EXPECT_EQ(entries(), (QStringList{kept, again, again, kept}));
    EXPECT_EQ(m_lists.SelectedPosition(), 4);
}

TEST_F(EntryPathAdderTest, WhatIsNeitherAFileNorAFolderIsSkipped)
{
    const QString document = m_folder.write("real.doc");
    const QString fifo = m_folder.path("pipe.doc");
    ASSERT_TRUE(plainora::test::makeFifo(fifo));
    // A dot-named file the user named is a document like any other.
    const QString dotNamed = m_folder.write(".dotted.doc");

    EXPECT_EQ(m_adder.AddPaths({m_folder.path("missing.doc"), document, fifo, dotNamed, QString()}), 2);

    EXPECT_EQ(entries(), (QStringList{document, dotNamed}));
    EXPECT_EQ(m_lists.SelectedPosition(), 2);
}

TEST_F(EntryPathAdderTest, NothingUsableChangesNeitherListNorSelection)
{
    const QString first = m_folder.write("first.doc");
    m_lists.AppendEntry(first, InputDocumentList::DocumentIcon);
    m_lists.SelectPosition(1);
    const int busyBefore = m_services.busyCount;

    EXPECT_EQ(m_adder.AddPaths({m_folder.path("gone.doc"), m_folder.path("gone")}), 0);
    EXPECT_EQ(m_adder.AddPaths({}), 0);

    EXPECT_EQ(entries(), QStringList{first});
    EXPECT_EQ(m_lists.SelectedPosition(), 1);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("first.doc")});
    EXPECT_EQ(m_services.busyCount, busyBefore);
}

TEST(EntryPathAdderCommandLine, TakesPathsSkipsOptionsAndTheProgramAndMakesPathsAbsolute)
{
    const QString base = QStringLiteral("/home/user/work");
    EXPECT_EQ(EntryPathAdder::PathsFromCommandLine(
                  {QStringLiteral("plainora"), QStringLiteral("a.doc"), QStringLiteral("--unknown"),
                   QStringLiteral("-x"), QStringLiteral("../b/./c.docx"), QStringLiteral("/abs/dir/"),
                   QString(), QStringLiteral(".")},
                  base),
              (QStringList{QStringLiteral("/home/user/work/a.doc"), QStringLiteral("/home/user/b/c.docx"),
                           QStringLiteral("/abs/dir"), QStringLiteral("/home/user/work")}));
    EXPECT_TRUE(EntryPathAdder::PathsFromCommandLine({QStringLiteral("plainora")}, base).isEmpty());
    EXPECT_TRUE(EntryPathAdder::PathsFromCommandLine({}, base).isEmpty());
}

TEST(EntryPathAdderCommandLine, AfterADoubleDashEveryArgumentIsAPath)
{
    EXPECT_EQ(EntryPathAdder::PathsFromCommandLine({QStringLiteral("plainora"), QStringLiteral("-a"),
                                                    QStringLiteral("--"), QStringLiteral("-b.doc"),
                                                    QStringLiteral("--")},
                                                   QStringLiteral("/w")),
              (QStringList{QStringLiteral("/w/-b.doc"), QStringLiteral("/w/--")}));
}

TEST(EntryPathAdderCommandLine, FileUrlsBecomeLocalPathsAndRemoteOnesAreSkipped)
{
    EXPECT_EQ(EntryPathAdder::PathsFromCommandLine(
                  {QStringLiteral("plainora"), QStringLiteral("file:///tmp/My%20Report.doc"),
                   QStringLiteral("file://localhost/tmp/x.doc"), QStringLiteral("file://server/share/y.doc")},
                  QStringLiteral("/w")),
              (QStringList{QStringLiteral("/tmp/My Report.doc"), QStringLiteral("/tmp/x.doc")}));
}

TEST(EntryPathAdderUrls, OnlyLocalFileUrlsGivePaths)
{
    const QList<QUrl> urls{QUrl::fromLocalFile(QStringLiteral("/data/a b.doc")),
                           QUrl(QStringLiteral("https://example.org/c.doc")),
                           QUrl(QStringLiteral("smb://server/share/d.doc")),
                           QUrl(QStringLiteral("file://server/share/e.doc")),
                           QUrl(QStringLiteral("file://localhost/data/f.docx")),
                           QUrl::fromLocalFile(QStringLiteral("/data/folder/"))};
    EXPECT_EQ(EntryPathAdder::LocalPathsOf(urls),
              (QStringList{QStringLiteral("/data/a b.doc"), QStringLiteral("/data/f.docx"),
                           QStringLiteral("/data/folder")}));

    QMimeData text;
    text.setText(QStringLiteral("/data/a.doc"));
    EXPECT_TRUE(EntryPathAdder::LocalPathsOf(text).isEmpty());
}

// ---- dropping onto a view ---------------------------------------------------

namespace {

class EntryDropTargetTest : public EntryPathAdderTest
{
protected:
    EntryDropTargetTest() { new EntryDropTarget(m_entries, m_lists); }

    static std::unique_ptr<QMimeData> urls(const QStringList& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> list;
        for (const QString& path : paths)
            list.append(QUrl::fromLocalFile(path));
        data->setUrls(list);
        return data;
    }
    // Sends a drag entering the entry list's viewport; true when accepted.
    bool enter(const QMimeData& data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        QDragEnterEvent event(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_entries.viewport(), &event);
        m_lastAction = event.dropAction();
        return event.isAccepted();
    }
    bool drop(const QMimeData& data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        QDropEvent event(QPointF(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_entries.viewport(), &event);
        m_lastAction = event.dropAction();
        return event.isAccepted();
    }

    Qt::DropAction m_lastAction = Qt::IgnoreAction;
};

} // namespace

TEST_F(EntryDropTargetTest, DroppedDocumentsAndFoldersAreAddedInTheOrderDroppedAsCopies)
{
    const QString folder = m_folder.folder("incoming");
    m_folder.write("incoming/memo.docx");
    const QString document = m_folder.write("draft.doc");
    const auto data = urls({document, m_folder.path("vanished.doc"), folder});

    ASSERT_TRUE(enter(*data));
    EXPECT_EQ(m_lastAction, Qt::CopyAction);
    ASSERT_TRUE(drop(*data));

    // A move would let the file manager delete what the entries name.
    EXPECT_EQ(m_lastAction, Qt::CopyAction);
    EXPECT_EQ(entries(), (QStringList{document, folder}));
    EXPECT_EQ(icons(), (std::vector<int>{1, 2}));
    EXPECT_EQ(m_lists.SelectedPosition(), 2);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("memo.docx")});
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(EntryDropTargetTest, DragsWithoutAnExistingFileOrFolderAreRefused)
{
    const auto missing = urls({m_folder.path("nothing.doc")});
    EXPECT_FALSE(enter(*missing));

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.doc"))});
    EXPECT_FALSE(enter(web));

    QMimeData text;
    text.setText(m_folder.write("plain.doc"));
    EXPECT_FALSE(enter(text));

    // A drag that offers no copy is refused too.
    const auto onlyMove = urls({m_folder.write("moved.doc")});
    EXPECT_FALSE(enter(*onlyMove, Qt::MoveAction));

    EXPECT_FALSE(drop(*missing));
    EXPECT_FALSE(drop(web));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(m_services.busyCount, 0);
}

TEST_F(EntryDropTargetTest, ADropOfRemoteAndLocalUrlsAddsOnlyTheLocalOnes)
{
    const QString document = m_folder.write("local.doc");
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/a.doc")), QUrl::fromLocalFile(document),
                  QUrl(QStringLiteral("file://server/share/b.doc"))});

    ASSERT_TRUE(enter(data));
    ASSERT_TRUE(drop(data));

    EXPECT_EQ(entries(), QStringList{document});
}
