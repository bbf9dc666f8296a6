// The output folder check on real folders: its three refusals and the
// creation of a typed folder.

#include "FileSystemCases.h"
#include "RecordingServices.h"
#include "TempFolder.h"
#include "convert/ConversionModule.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using plainora::ConversionModule;
using plainora::MessageIcon;
using plainora::test::RecordingServices;
using plainora::test::TempFolder;

namespace {

constexpr int Typed = -1;
const QString FailedToCreateFolder = QStringLiteral("Failed to create folder!");

class CheckOutputFolderTest : public ::testing::Test
{
protected:
    bool check(const QString& text, int selectedIndex)
    {
        return m_module.CheckOutputFolder(text, selectedIndex, m_services);
    }
    void expectOneMessage(const QString& text, MessageIcon icon)
    {
        ASSERT_EQ(m_services.messages.size(), 1u);
        EXPECT_EQ(m_services.messages[0].text, text);
        EXPECT_EQ(m_services.messages[0].title, "Plainora");
        EXPECT_EQ(m_services.messages[0].icon, icon);
    }

    TempFolder m_folder;
    ConversionModule m_module;
    RecordingServices m_services;
};

} // namespace

TEST_F(CheckOutputFolderTest, AnExistingFolderGetsOneTrailingSeparator)
{
    const QString out = m_folder.folder("out");
    EXPECT_TRUE(check(out, 0));
    EXPECT_EQ(m_module.OutputFolder, out + "/");
    EXPECT_TRUE(check(out + "//", Typed));
    EXPECT_EQ(m_module.OutputFolder, out + "/");
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(CheckOutputFolderTest, EmptyTextAsksForAFolder)
{
    EXPECT_FALSE(check(QString(), Typed));
    expectOneMessage("Please select output folder", MessageIcon::Information);
}

TEST_F(CheckOutputFolderTest, ATypedFolderWhoseParentExistsIsCreated)
{
    const QString out = m_folder.path("new");
    EXPECT_TRUE(check(out + "/", Typed));
    EXPECT_TRUE(QFileInfo(out).isDir());
    EXPECT_EQ(m_module.OutputFolder, out + "/");
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(CheckOutputFolderTest, ARememberedFolderThatHasGoneIsNotCreatedAgain)
{
    const QString out = m_folder.folder("was");
    ASSERT_TRUE(QDir(out).removeRecursively());
    EXPECT_FALSE(check(out, 2));
    expectOneMessage("Folder does not exist!", MessageIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(CheckOutputFolderTest, ARememberedFileIsNoFolder)
{
    EXPECT_FALSE(check(m_folder.write("file.txt"), 0));
    expectOneMessage("Folder does not exist!", MessageIcon::Critical);
}

TEST_F(CheckOutputFolderTest, NoIntermediateFoldersAreCreated)
{
    const QString out = m_folder.path("missing/parent/out");
    EXPECT_FALSE(check(out, Typed));
    expectOneMessage("Failed to create folder!", MessageIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(m_folder.path("missing")));
    EXPECT_EQ(m_module.OutputFolder, out); // trimmed, no separator added
}

TEST_F(CheckOutputFolderTest, ATypedFilePathCannotBecomeAFolder)
{
    const QString file = m_folder.write("taken.txt", "keep");
    EXPECT_FALSE(check(file, Typed));
    expectOneMessage("Failed to create folder!", MessageIcon::Critical);
    EXPECT_EQ(m_folder.read("taken.txt"), QByteArray("keep"));
}

TEST_F(CheckOutputFolderTest, ATextOfSeparatorsOnlyTrimsToNothingAndFails)
{
    EXPECT_FALSE(check(QStringLiteral("///"), Typed));
    expectOneMessage("Failed to create folder!", MessageIcon::Critical);
    EXPECT_EQ(m_module.OutputFolder, QString());
}

TEST_F(CheckOutputFolderTest, ACreationThatIsRefusedFails)
{
    using namespace plainora::test;
    openToOthers(m_folder.path());
    const QString locked = m_folder.folder("locked");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const int outcome = asUnprivilegedUser([&] {
        RecordingServices services;
        ConversionModule module;
        const bool usable = module.CheckOutputFolder(locked + "/out", Typed, services);
        const bool told = services.messages.size() == 1 && services.messages[0].text == FailedToCreateFolder;
        return usable ? 1 : told ? 0 : 2;
    });
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(outcome, 0);
    EXPECT_FALSE(QFileInfo::exists(locked + "/out"));
}

TEST_F(CheckOutputFolderTest, TheOutputBaseIsLeftAlone)
{
    m_module.OutputBase = "/last/row";
    EXPECT_TRUE(check(m_folder.path(), Typed));
    EXPECT_EQ(m_module.OutputBase, "/last/row");
}
