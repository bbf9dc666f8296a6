// The folder scan on real folders.

#include "rules/FolderScan.h"

#include "FileSystemCases.h"
#include "TempFolder.h"
#include "ui/NativePath.h"

#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>

using plainora::IsWordDocumentName;
using plainora::ScanFolderForDocuments;
using plainora::toNativePath;
using plainora::test::TempFolder;

namespace {

std::vector<std::string> scan(const QString& folder)
{
    return ScanFolderForDocuments(toNativePath(folder));
}

// The names as the file system lists them, in its order.
std::vector<std::string> listingOrder(const QString& folder, const std::vector<std::string>& names)
{
    std::vector<std::string> ordered;
    DIR* dir = ::opendir(toNativePath(folder).c_str());
    while (const dirent* entry = ::readdir(dir)) {
        if (std::find(names.begin(), names.end(), entry->d_name) != names.end())
            ordered.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return ordered;
}

} // namespace

TEST(WordDocumentName, ExtensionsBeginningWithDocInAnyCase)
{
    for (const char* name : {"a.doc", "b.DOC", "c.docx", "d.Docm", "e.dot.doc", "f.docfoo"})
        EXPECT_TRUE(IsWordDocumentName(name)) << name;
    for (const char* name : {"a.txt", "doc", "a.do", "a.doc.txt", ".doc.bak", "adoc"})
        EXPECT_FALSE(IsWordDocumentName(name)) << name;
}

TEST(FolderScan, ListsWordDocumentsInListingOrder)
{
    TempFolder folder;
    for (const char* name : {"a.doc", "b.DOC", "c.txt", "d.docx", "e.docm", "README"})
        folder.write(name);
    const std::vector<std::string> found = scan(folder.path());
    EXPECT_EQ(found, listingOrder(folder.path(), {"a.doc", "b.DOC", "d.docx", "e.docm"}));
}

TEST(FolderScan, SkipsFoldersHiddenFilesFifosAndSubfolderContents)
{
    TempFolder folder;
    folder.write("keep.doc");
    folder.folder("old.doc");
    folder.write(".h.doc");
    folder.write("sub/deep.doc");
    ASSERT_TRUE(plainora::test::makeFifo(folder.path("pipe.doc")));
    EXPECT_EQ(scan(folder.path()), (std::vector<std::string>{"keep.doc"}));
}

TEST(FolderScan, FollowsLinksToFilesButNotToFolders)
{
    TempFolder folder;
    const QString target = folder.write("elsewhere/real.doc");
    folder.folder("docs");
    ASSERT_TRUE(QFile::link(target, folder.path("docs/link.doc")));
    ASSERT_TRUE(QFile::link(folder.path("elsewhere"), folder.path("docs/dir.doc")));
    EXPECT_EQ(scan(folder.path("docs")), (std::vector<std::string>{"link.doc"}));
}

TEST(FolderScan, NothingForAFolderThatIsMissingEmptyOrAFile)
{
    TempFolder folder;
    const QString gone = folder.folder("gone");
    folder.write("gone/a.doc");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    EXPECT_TRUE(scan(gone).empty());
    EXPECT_TRUE(scan(folder.folder("empty")).empty());
    EXPECT_TRUE(scan(folder.write("file.doc")).empty());
    EXPECT_TRUE(scan(QString()).empty());
}

TEST(FolderScan, ASeparatorIsAlwaysInsertedAndDoubledOnesNameTheSameFolder)
{
    TempFolder folder;
    folder.write("docs/a.doc");
    EXPECT_EQ(scan(folder.path("docs/")), (std::vector<std::string>{"a.doc"}));
    EXPECT_EQ(scan(folder.path("docs//")), (std::vector<std::string>{"a.doc"}));
}

TEST(FolderScan, AnUnreadableFolderGivesNothing)
{
    using namespace plainora::test;
    TempFolder folder;
    openToOthers(folder.path());
    folder.write("open/a.doc");
    openToOthers(folder.path("open"));
    folder.write("locked/a.doc");
    QFile::setPermissions(folder.path("locked"), QFile::WriteOwner);
    const auto count = [](const QString& path) {
        return [path] { return static_cast<int>(scan(path).size()); };
    };
    EXPECT_EQ(asUnprivilegedUser(count(folder.path("open"))), 1); // the user can scan what is readable
    EXPECT_EQ(asUnprivilegedUser(count(folder.path("locked"))), 0);
    QFile::setPermissions(folder.path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(FolderScan, TheSameFolderScannedTwiceGivesTheSameRowsAndSeesNewFiles)
{
    TempFolder folder;
    folder.write("a.doc");
    const auto first = scan(folder.path());
    EXPECT_EQ(scan(folder.path()), first);
    folder.write("b.doc");
    EXPECT_EQ(scan(folder.path()).size(), 2u);
}
