#include "state/StateFiles.h"

#include "FileSystemCases.h"
#include "TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

using plainora::SettingsSwitches;
using plainora::StateFiles;
using plainora::test::TempFolder;

namespace {

QStringList split(const char* bytes, qsizetype size = -1)
{
    return StateFiles::SplitLines(size < 0 ? QByteArray(bytes) : QByteArray(bytes, size));
}

} // namespace

TEST(StateFileLines, EndAtCrLfAndAtLoneCrAndLf)
{
    EXPECT_EQ(split("a\r\nb\r\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("a\rb\r"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("a\nb\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("a\r\rb"), (QStringList{"a", "", "b"})); // CR CR is two line ends
}

TEST(StateFileLines, LastLineWithoutTerminatorIsRead)
{
    EXPECT_EQ(split("a\r\nb"), (QStringList{"a", "b"}));
    EXPECT_EQ(split("only"), (QStringList{"only"}));
}

TEST(StateFileLines, FinalTerminatorAddsNoEmptyValueButMiddleEmptyLinesStay)
{
    EXPECT_EQ(split(""), QStringList{});
    EXPECT_EQ(split("\r\n"), QStringList{""});
    EXPECT_EQ(split("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(split("a\r\n\r\n"), (QStringList{"a", ""}));
}

TEST(StateFileLines, ValuesKeepTheirBlanks)
{
    EXPECT_EQ(split(" /a b/ \r\n\t\r\n"), (QStringList{" /a b/ ", "\t"}));
}

TEST(StateFileLines, Utf8IsReadAndAByteOrderMarkIsDropped)
{
    EXPECT_EQ(split("/home/j\xC3\xBCrgen/Dokumente\r\n"),
              QStringList{QString::fromUtf8("/home/jürgen/Dokumente")});
    EXPECT_EQ(split("\xEF\xBB\xBF/a\r\n"), QStringList{"/a"});
}

TEST(StateFileLines, NonUtf8IsReadAsWindows1252)
{
    // A list written on Windows: "ü" is 0xFC, "€" is 0x80 in Windows-1252.
    EXPECT_EQ(split("C:\\M\xFCller\\\x80.doc\r\n/b\r\n"),
              (QStringList{QString::fromUtf8("C:\\Müller\\€.doc"), "/b"}));
}

TEST(StateFileLines, WrittenWithCrLfAfterEveryLineInUtf8)
{
    EXPECT_EQ(StateFiles::JoinLines({"a", "", QString::fromUtf8("/ü")}),
              QByteArray("a\r\n\r\n/\xC3\xBC\r\n"));
    EXPECT_EQ(StateFiles::JoinLines({}), QByteArray());
}

class StateFilesTest : public ::testing::Test
{
protected:
    TempFolder m_folder;
    StateFiles m_files{m_folder.path()};
};

TEST_F(StateFilesTest, MissingSettingsFileMeansBothSwitchesOn)
{
    EXPECT_EQ(m_files.ReadSwitches(), (SettingsSwitches{true, true}));
}

TEST_F(StateFilesTest, SwitchIsOnOnlyForExactlyOne)
{
    const std::vector<std::pair<QByteArray, SettingsSwitches>> cases{
        {"1\r\n1\r\n", {true, true}},
        {"1\r\n0\r\n", {true, false}},
        {"0\r\n1\r\n", {false, true}},
        {"1\r\n", {true, false}},
        {"1", {true, false}},
        {"1 \r\n1\r\n", {false, true}},
        {" 1\r\n 1\r\n", {false, false}},
        {"\r\n1\r\n", {false, true}},
        {"yes\r\ntrue\r\n", {false, false}},
        {"", {false, false}},
        {"1\n1", {true, true}},
    };
    for (const auto& [bytes, expected] : cases) {
        m_folder.write("set.txt", bytes);
        EXPECT_EQ(m_files.ReadSwitches(), expected) << bytes.toStdString();
    }
}

TEST_F(StateFilesTest, SwitchesAreWrittenAsTwoLinesAndReadBack)
{
    ASSERT_TRUE(m_files.WriteSwitches({true, false}));
    EXPECT_EQ(m_folder.read("set.txt"), QByteArray("1\r\n0\r\n"));
    EXPECT_EQ(m_files.ReadSwitches(), (SettingsSwitches{true, false}));
    ASSERT_TRUE(m_files.WriteSwitches({false, true}));
    EXPECT_EQ(m_folder.read("set.txt"), QByteArray("0\r\n1\r\n"));
}

TEST_F(StateFilesTest, MissingListFilesLoadAsEmptyLists)
{
    EXPECT_TRUE(m_files.LoadEntryList().isEmpty());
    EXPECT_TRUE(m_files.LoadOutputDirectories().isEmpty());
}

TEST_F(StateFilesTest, ListsRoundTripWithDuplicatesAndEmptyValues)
{
    const QStringList entries{"/a/b.doc", "/a", "", "/a", QString::fromUtf8("/ü ß/x y.docx")};
    ASSERT_TRUE(m_files.SaveEntryList(entries));
    EXPECT_EQ(m_files.LoadEntryList(), entries);
    EXPECT_EQ(m_folder.read("TAMRIX.txt").left(18), QByteArray("/a/b.doc\r\n/a\r\n\r\n/a"));
}

TEST_F(StateFilesTest, AnEmptyListLeavesAZeroByteFile)
{
    m_folder.write("TAMRIX.txt", "/old\r\n");
    ASSERT_TRUE(m_files.SaveEntryList({}));
    EXPECT_TRUE(QFileInfo::exists(m_folder.path("TAMRIX.txt")));
    EXPECT_EQ(QFileInfo(m_folder.path("TAMRIX.txt")).size(), 0);
}

TEST_F(StateFilesTest, AtMost201OutputDirectoriesAreWritten)
{
    QStringList directories;
    for (int i = 0; i < 250; ++i)
        directories.append(QStringLiteral("/out/%1").arg(i));
    ASSERT_TRUE(m_files.SaveOutputDirectories(directories));
    const QStringList saved = m_files.LoadOutputDirectories();
    ASSERT_EQ(saved.size(), 201);
    EXPECT_EQ(saved.first(), "/out/0");
    EXPECT_EQ(saved.last(), "/out/200");

    ASSERT_TRUE(m_files.SaveOutputDirectories(directories.mid(0, 201)));
    EXPECT_EQ(m_files.LoadOutputDirectories().size(), 201);
}

TEST_F(StateFilesTest, WritesLeaveNoTemporaryFileBehind)
{
    ASSERT_TRUE(m_files.SaveEntryList({"/a"}));
    ASSERT_TRUE(m_files.SaveOutputDirectories({"/b"}));
    ASSERT_TRUE(m_files.WriteSwitches({true, true}));
    QStringList names = QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    EXPECT_EQ(names, (QStringList{"TAMRIX.txt", "output.txt", "set.txt"}));
}

TEST_F(StateFilesTest, AWriteThatCannotBeDoneSaysWhyAndKeepsTheOldFile)
{
    // A folder in the way of the file: the rename onto it must fail.
    m_folder.folder("TAMRIX.txt");
    QString error;
    EXPECT_FALSE(m_files.SaveEntryList({"/a"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(m_folder.path("TAMRIX.txt")).isDir());

    const StateFiles nowhere(m_folder.path("missing/folder"));
    EXPECT_FALSE(nowhere.SaveOutputDirectories({"/a"}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(StateFilesTest, AFailedWriteInAReadOnlyFolderKeepsTheOldContents)
{
    using namespace plainora::test;
    m_folder.write("output.txt", "/kept\r\n");
    QFile::setPermissions(m_folder.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const int saved = asUnprivilegedUser([this] { return m_files.SaveOutputDirectories({"/new"}) ? 1 : 0; });
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(m_folder.read("output.txt"), QByteArray("/kept\r\n"));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(StateFilesTest, AListThatExistsButCannotBeReadSaysWhyAndAMissingOneDoesNot)
{
    // Folders in the way and oversized files are met by the window's tests;
    // a file its user may not read needs another user when the tests run as root.
    QString error = "unset";
    EXPECT_TRUE(m_files.LoadEntryList(&error).isEmpty());
    EXPECT_TRUE(error.isEmpty());

    using namespace plainora::test;
    openToOthers(m_folder.path());
    const QString locked = m_folder.write("locked/output.txt", "/a\r\n");
    openToOthers(m_folder.path("locked"));
    QFile::setPermissions(locked, QFile::WriteOwner);
    const StateFiles lockedFiles(m_folder.path("locked"));
    const int told = asUnprivilegedUser([&lockedFiles] {
        QString reason;
        return lockedFiles.LoadOutputDirectories(&reason).isEmpty() && !reason.isEmpty() ? 1 : 0;
    });
    EXPECT_EQ(told, 1);

    // The switches fall back to both on, as when set.txt is missing.
    m_folder.folder("set.txt");
    EXPECT_EQ(m_files.ReadSwitches(), (SettingsSwitches{true, true}));
}
