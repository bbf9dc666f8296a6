// The one test of what a path names, on real folders.

#include "FileSystemCases.h"
#include "TempFolder.h"
#include "ui/NativePath.h"

#include <gtest/gtest.h>

using plainora::GetPathKind;
using plainora::PathKind;
using plainora::test::TempFolder;

TEST(PathKind, FoldersWithOrWithoutTrailingSeparators)
{
    TempFolder folder;
    const QString sub = folder.folder("sub");
    EXPECT_EQ(GetPathKind(sub), PathKind::Folder);
    EXPECT_EQ(GetPathKind(sub + "/"), PathKind::Folder);
    EXPECT_EQ(GetPathKind(sub + "//"), PathKind::Folder);
    EXPECT_EQ(GetPathKind(QStringLiteral("/")), PathKind::Folder);
}

TEST(PathKind, FilesAreFilesWhateverTheirName)
{
    TempFolder folder;
    EXPECT_EQ(GetPathKind(folder.write("Report.DOC")), PathKind::File);
    EXPECT_EQ(GetPathKind(folder.write("notes.txt")), PathKind::File);
    EXPECT_EQ(GetPathKind(folder.write(QString::fromUtf8("Müller Bericht.docx"))), PathKind::File);
    // A folder named like a document is a folder.
    EXPECT_EQ(GetPathKind(folder.folder("old.doc")), PathKind::Folder);
    // Dot-named entries are only hidden from a folder scan.
    EXPECT_EQ(GetPathKind(folder.write(".h.doc")), PathKind::File);
    EXPECT_EQ(GetPathKind(folder.folder(".hidden") + "/"), PathKind::Folder);
    EXPECT_EQ(GetPathKind(folder.path(".hidden/..")), PathKind::Folder);
}

TEST(PathKind, DotNamedIsTheLastComponentOnly)
{
    for (const char* path : {".h.doc", "/a/.hidden", "/a/.hidden//", "b/.x"})
        EXPECT_TRUE(plainora::IsDotNamed(path)) << path;
    for (const char* path : {"", "/", "//", ".", "..", "/a/..", "/.in/a.doc", "a.doc"})
        EXPECT_FALSE(plainora::IsDotNamed(path)) << path;
}

TEST(PathKind, NothingForEmptyMissingAndPatterns)
{
    TempFolder folder;
    folder.write("a.doc");
    EXPECT_EQ(GetPathKind(QString()), PathKind::Nothing);
    EXPECT_EQ(GetPathKind(folder.path("gone")), PathKind::Nothing);
    EXPECT_EQ(GetPathKind(folder.path("*.doc")), PathKind::Nothing);
    EXPECT_EQ(GetPathKind(folder.path("a.doc/")), PathKind::Nothing);
    EXPECT_EQ(GetPathKind(folder.path("a.doc/x")), PathKind::Nothing);
}

TEST(PathKind, NothingForSystemEntries)
{
    TempFolder folder;
    ASSERT_TRUE(plainora::test::makeFifo(folder.path("pipe.doc")));
    EXPECT_EQ(GetPathKind(folder.path("pipe.doc")), PathKind::Nothing);
    EXPECT_EQ(GetPathKind(QStringLiteral("/dev/null")), PathKind::Nothing);
}

TEST(PathKind, ADeletedFolderIsNothing)
{
    TempFolder folder;
    const QString sub = folder.folder("sub");
    ASSERT_TRUE(QDir(sub).removeRecursively());
    EXPECT_EQ(GetPathKind(sub), PathKind::Nothing);
}
