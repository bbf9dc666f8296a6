// The rules of the entry list and the document list, on plain views and real
// folders.

#include "doclist/InputDocumentList.h"

#include "DocumentListsFixture.h"
#include "FileSystemCases.h"
#include "ui/NativePath.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

using plainora::ImageList;
using plainora::InputDocumentList;
using plainora::test::RecordingServices;
using plainora::test::TempFolder;

namespace {

class InputDocumentListTest : public plainora::test::DocumentListsFixture
{
protected:
    bool allTicked() const
    {
        for (int i = 0; i < m_documents.topLevelItemCount(); ++i) {
            if (m_documents.topLevelItem(i)->checkState(0) != Qt::Checked)
                return false;
        }
        return true;
    }
    // Three folder entries, each holding one document named after it.
    void addThreeFolders()
    {
        for (const char* name : {"one", "two", "three"}) {
            m_folder.write(QStringLiteral("%1/%1.doc").arg(QLatin1String(name)));
            m_lists.AppendEntry(m_folder.path(QLatin1String(name)), InputDocumentList::FolderIcon);
        }
    }
};

} // namespace

TEST_F(InputDocumentListTest, RestoredEntriesGetTheirIconFromThePathKindInFileOrder)
{
    const QString file = m_folder.write("a.doc");
    const QString folder = m_folder.folder("docs");
    const QString gone = m_folder.path("gone");
    m_lists.RestoreEntries({file, folder, gone, QString(), file});
    EXPECT_EQ(entries(), (QStringList{file, folder, gone, QString(), file}));
    EXPECT_EQ(icon(1), 1);
    EXPECT_EQ(icon(2), 2);
    EXPECT_EQ(icon(3), 3);
    EXPECT_EQ(icon(4), 3); // an empty line names nothing
    EXPECT_EQ(icon(5), 1);
    EXPECT_EQ(m_entries.topLevelItem(2)->icon(0).cacheKey(), m_images.image(3).cacheKey());
    EXPECT_EQ(m_documents.topLevelItemCount(), 0); // restoring shows no documents
    EXPECT_EQ(m_lists.SelectedPosition(), 0);
}

TEST_F(InputDocumentListTest, ADocumentEntryShowsOneTickedRowThatAlwaysResolvesToItself)
{
    const QString file = m_folder.write("sub/My Report.doc");
    m_lists.AppendEntry(file, InputDocumentList::DocumentIcon);
    m_lists.SelectPosition(1);
    EXPECT_EQ(rows(), QStringList{"My Report.doc"});
    EXPECT_TRUE(allTicked());
    EXPECT_EQ(m_lists.GetDocumentPath(1), file);
    EXPECT_EQ(m_lists.GetDocumentPath(7), file);
}

TEST_F(InputDocumentListTest, AFolderEntryResolvesRowsByJoiningWithOneSeparator)
{
    m_folder.write("docs/a.doc");
    m_folder.write("docs/b.DOC");
    m_folder.write("docs/c.txt");
    const QString folder = m_folder.path("docs");
    m_lists.AppendEntry(folder, InputDocumentList::FolderIcon);
    m_lists.SelectPosition(1);
    ASSERT_EQ(m_documents.topLevelItemCount(), 2);
    EXPECT_TRUE(allTicked());
    for (int row = 1; row <= 2; ++row)
        EXPECT_EQ(m_lists.GetDocumentPath(row), folder + "/" + m_documents.topLevelItem(row - 1)->text(0));
    EXPECT_EQ(m_lists.GetDocumentPath(0), QString());
    EXPECT_EQ(m_lists.GetDocumentPath(3), QString());
}

TEST_F(InputDocumentListTest, ATrailingSeparatorIsKeptAndTheDoubledOneNamesTheFile)
{
    m_folder.write("docs/a.doc");
    const QString entry = m_folder.path("docs") + "/";
    m_lists.AppendEntry(entry, InputDocumentList::FolderIcon);
    m_lists.SelectPosition(1);
    ASSERT_EQ(rows(), QStringList{"a.doc"});
    const QString path = m_lists.GetDocumentPath(1);
    EXPECT_EQ(path, m_folder.path("docs") + "//a.doc");
    EXPECT_EQ(QFileInfo(path).canonicalFilePath(),
              QFileInfo(m_folder.path("docs/a.doc")).canonicalFilePath());
}

TEST_F(InputDocumentListTest, TheRootFolderJoinsToADoubledSeparator)
{
    // "/" + "/" + name: a name in the root that exists as a file on every system.
    QString rootFile;
    for (const QString& candidate : QDir("/").entryList(QDir::Files)) {
        if (plainora::GetPathKind("/" + candidate) == plainora::PathKind::File) {
            rootFile = candidate;
            break;
        }
    }
    m_lists.AppendEntry(QStringLiteral("/"), InputDocumentList::FolderIcon);
    m_lists.SelectPosition(1);
    m_documents.addTopLevelItem(new QTreeWidgetItem(QStringList{rootFile.isEmpty() ? "absent" : rootFile}));
    if (rootFile.isEmpty())
        EXPECT_EQ(m_lists.GetDocumentPath(1), QString());
    else
        EXPECT_EQ(m_lists.GetDocumentPath(1), "//" + rootFile);
}

TEST_F(InputDocumentListTest, GoneDocumentsAndFoldersResolveToNothing)
{
    const QString file = m_folder.write("a.doc");
    m_lists.AppendEntry(file, InputDocumentList::DocumentIcon);
    m_lists.SelectPosition(1);
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(m_lists.GetDocumentPath(1), QString());
    m_lists.SelectEntry();
    EXPECT_EQ(m_documents.topLevelItemCount(), 0);
    EXPECT_EQ(icon(1), 1); // the icon is never recomputed

    m_lists.RemoveAllItems();
    EXPECT_EQ(m_lists.GetDocumentPath(1), QString());
}

TEST_F(InputDocumentListTest, ADeletedFolderShowsNoRowsAndKeepsItsIcon)
{
    addThreeFolders();
    ASSERT_TRUE(QDir(m_folder.path("two")).removeRecursively());
    m_lists.SelectPosition(2);
    m_lists.SelectEntry();
    EXPECT_EQ(m_documents.topLevelItemCount(), 0);
    EXPECT_EQ(icon(2), 2);
}

TEST_F(InputDocumentListTest, SelectingAgainTicksEveryRowAgain)
{
    m_folder.write("docs/a.doc");
    m_folder.write("docs/b.doc");
    m_lists.AppendEntry(m_folder.path("docs"), InputDocumentList::FolderIcon);
    m_lists.SelectPosition(1); // selecting lists the documents
    m_documents.topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    m_documents.topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    m_lists.SelectEntry();
    EXPECT_EQ(m_documents.topLevelItemCount(), 2);
    EXPECT_TRUE(allTicked());
    EXPECT_EQ(m_services.busyCount, 2);
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(InputDocumentListTest, RemoveFileSelectsTheEntryAboveOrTheNewFirst)
{
    addThreeFolders();
    const QStringList all = entries();

    m_lists.SelectPosition(3);
    m_lists.RemoveFile();
    EXPECT_EQ(entries(), (QStringList{all[0], all[1]}));
    EXPECT_EQ(m_lists.SelectedPosition(), 2);
    EXPECT_EQ(rows(), QStringList{"two.doc"});

    m_lists.SelectPosition(1);
    m_lists.RemoveFile();
    EXPECT_EQ(entries(), QStringList{all[1]});
    EXPECT_EQ(m_lists.SelectedPosition(), 1);
    EXPECT_EQ(rows(), QStringList{"two.doc"});
    EXPECT_EQ(m_services.busyDepth, 0);

    m_lists.RemoveFile();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(m_documents.topLevelItemCount(), 0);

    m_lists.RemoveFile(); // on an empty list: nothing
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(InputDocumentListTest, RemoveFileWithNothingSelectedDoesNothing)
{
    addThreeFolders();
    m_lists.SelectPosition(2);
    m_lists.SelectEntry();
    m_entries.clearSelection();
    m_lists.RemoveFile();
    EXPECT_EQ(entries().size(), 3);
    EXPECT_EQ(rows(), QStringList{"two.doc"});
    // The rows still belong to their entry.
    EXPECT_EQ(m_lists.GetDocumentPath(1), m_folder.path("two") + "/two.doc");
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(InputDocumentListTest, MovesKeepIconTextSelectionAndTheDocumentRows)
{
    const QString file = m_folder.write("f.doc");
    addThreeFolders();
    m_lists.AppendEntry(file, InputDocumentList::DocumentIcon);
    const QStringList all = entries();
    m_lists.SelectPosition(4);
    m_documents.topLevelItem(0)->setCheckState(0, Qt::Unchecked);

    m_lists.MoveUp();
    EXPECT_EQ(entries(), (QStringList{all[0], all[1], all[3], all[2]}));
    EXPECT_EQ(m_lists.SelectedPosition(), 3);
    EXPECT_EQ(icon(3), 1);
    EXPECT_EQ(icon(4), 2);
    EXPECT_EQ(m_documents.topLevelItem(0)->checkState(0), Qt::Unchecked); // untouched

    m_lists.MoveDown();
    EXPECT_EQ(entries(), all);
    EXPECT_EQ(m_lists.SelectedPosition(), 4);
    EXPECT_EQ(m_lists.GetDocumentPath(1), file);
    EXPECT_EQ(m_services.busyCount, 1); // moves do not rebuild the document list
}

TEST_F(InputDocumentListTest, MovesAtTheEdgesOrWithoutSelectionDoNothing)
{
    m_lists.MoveUp();
    m_lists.MoveDown();
    addThreeFolders();
    const QStringList all = entries();
    m_lists.SelectPosition(1);
    m_lists.MoveUp();
    EXPECT_EQ(entries(), all);
    EXPECT_EQ(m_lists.SelectedPosition(), 1);
    m_lists.SelectPosition(3);
    m_lists.MoveDown();
    EXPECT_EQ(entries(), all);
    EXPECT_EQ(m_lists.SelectedPosition(), 3);
    m_entries.clearSelection();
    m_lists.MoveUp();
    m_lists.MoveDown();
    EXPECT_EQ(entries(), all);
}

TEST_F(InputDocumentListTest, MoveDownFromNextToLastAppendsAtTheEnd)
{
    addThreeFolders();
    const QStringList all = entries();
    m_lists.SelectPosition(2);
    m_lists.MoveDown();
    EXPECT_EQ(entries(), (QStringList{all[0], all[2], all[1]}));
    EXPECT_EQ(m_lists.SelectedPosition(), 3);
}

TEST_F(InputDocumentListTest, RemoveAllItemsEmptiesBothLists)
{
    m_lists.RemoveAllItems();
    addThreeFolders();
    m_lists.SelectPosition(1);
    m_lists.SelectEntry();
    m_lists.RemoveAllItems();
    EXPECT_EQ(m_entries.topLevelItemCount(), 0);
    EXPECT_EQ(m_documents.topLevelItemCount(), 0);
}

TEST_F(InputDocumentListTest, AMissingEntryShowsNoRows)
{
    m_lists.RestoreEntries({m_folder.path("nowhere")});
    m_lists.SelectPosition(1);
    m_lists.SelectEntry();
    EXPECT_EQ(m_documents.topLevelItemCount(), 0);
    EXPECT_EQ(m_lists.GetDocumentPath(1), QString());
}
