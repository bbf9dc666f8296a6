// The main window driven as a user drives it: start-up from the state files,
// selecting, removing and moving entries, shut-down by the switches, the
// output folder check and the routing of every command.

#include "WindowFixture.h"
#include "state/StateFiles.h"

#include <QLineEdit>

using namespace plainora;
using plainora::test::RecordedMessage;
using plainora::test::WindowFixture;

namespace {

QByteArray lines(const QStringList& values)
{
    QByteArray bytes;
    for (const QString& value : values)
        bytes += value.toUtf8() + "\r\n";
    return bytes;
}

} // namespace

class MainWindowStartUp : public WindowFixture
{
};

TEST_F(MainWindowStartUp, EntriesGetIconsOneTwoThreeInFileOrderAndNoDocumentsShow)
{
    const QString file = m_files.write("a.doc");
    const QString folder = m_files.folder("docs");
    const QString gone = m_files.path("gone");
    writeState("TAMRIX.txt", lines({file, folder, gone}));
    form1& window = open();
    EXPECT_EQ(entryTexts(), (QStringList{file, folder, gone}));
    EXPECT_EQ(entryIcon(1), 1);
    EXPECT_EQ(entryIcon(2), 2);
    EXPECT_EQ(entryIcon(3), 3);
    EXPECT_EQ(window.ListView1()->topLevelItem(2)->icon(0).cacheKey(),
              window.ImageList1().image(3).cacheKey());
    EXPECT_EQ(window.ListView2()->topLevelItemCount(), 0);
    EXPECT_TRUE(m_services.messages.empty()); // a missing path is not reported
}

TEST_F(MainWindowStartUp, OutputDirectoriesLoadInOrderWithTheFirstSelected)
{
    writeState("output.txt", lines({"/out/one", "/out/two", "/out/one"}));
    form1& window = open();
    EXPECT_EQ(window.Combo2()->entries(), (QStringList{"/out/one", "/out/two", "/out/one"}));
    EXPECT_EQ(window.Combo2()->currentIndex(), 0);
    EXPECT_EQ(window.Combo2()->currentText(), "/out/one");
}

TEST_F(MainWindowStartUp, EmptyOrMissingFilesOpenEmptyLists)
{
    writeState("output.txt", "");
    form1& window = open();
    EXPECT_EQ(window.Combo2()->count(), 0);
    EXPECT_EQ(window.Combo2()->currentIndex(), -1);
    EXPECT_EQ(window.Combo2()->currentText(), "");
    EXPECT_EQ(window.ListView1()->topLevelItemCount(), 0);
}

TEST_F(MainWindowStartUp, AnEmptyMiddleLineIsAnEntryThatNamesNothing)
{
    writeState("TAMRIX.txt", "/a\r\n\r\n/b");
    open();
    EXPECT_EQ(entryTexts(), (QStringList{"/a", "", "/b"}));
    EXPECT_EQ(entryIcon(2), 3);
}

TEST_F(MainWindowStartUp, AListThatCannotBeReadIsToldOnceAndKeptAsItIs)
{
    const auto oversized = [this](const QString& name) {
        writeState(name, lines({"/remembered"}));
        ASSERT_TRUE(QFile(m_state.path(name)).resize(StateFiles::MaxFileBytes + 1));
    };
    const auto folderInTheWay = [this](const QString& name) { m_state.folder(name); };
    const struct
    {
        QString file;
        std::function<void(const QString&)> spoil;
        QString reason;
    } cases[] = {
        {"TAMRIX.txt", oversized, "larger than"},
        {"output.txt", oversized, "larger than"},
        {"TAMRIX.txt", folderInTheWay, "folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " " + c.reason.toStdString());
        QDir(m_state.path()).removeRecursively();
        QDir().mkpath(m_state.path());
        m_services.messages.clear();
        c.spoil(c.file);
        const QFileInfo before(m_state.path(c.file));
        form1& window = open();
        QCoreApplication::processEvents(); // the report comes once the window is up
        ASSERT_EQ(m_services.messages.size(), 1u);
        const RecordedMessage& report = m_services.messages[0];
        EXPECT_TRUE(report.text.contains(m_state.path(c.file))) << report.text.toStdString();
        EXPECT_TRUE(report.text.contains(c.reason, Qt::CaseInsensitive)) << report.text.toStdString();
        EXPECT_EQ(report.icon, MessageIcon::Critical);
        EXPECT_EQ(window.ListView1()->topLevelItemCount(), 0);
        EXPECT_EQ(window.Combo2()->count(), 0);

        click("Command9");
        EXPECT_EQ(m_services.messages.size(), 1u); // told once, and nothing failed at exit
        const QFileInfo after(m_state.path(c.file));
        EXPECT_EQ(after.size(), before.size());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(after.lastModified(), before.lastModified());
        // The other list is saved as usual.
        const QString other =
            c.file == "TAMRIX.txt" ? QStringLiteral("output.txt") : QStringLiteral("TAMRIX.txt");
        EXPECT_TRUE(QFileInfo(m_state.path(other)).isFile());
    }
}

class MainWindowLists : public WindowFixture
{
protected:
    // Three folder entries "one", "two", "three", each holding a.doc and
    // b.doc, and a document entry "f.doc".
    void openWithEntries()
    {
        QStringList entries;
        for (const char* name : {"one", "two", "three"}) {
            m_files.write(QStringLiteral("%1/a.doc").arg(QLatin1String(name)));
            m_files.write(QStringLiteral("%1/b.doc").arg(QLatin1String(name)));
            entries.append(m_files.path(QLatin1String(name)));
        }
        entries.append(m_files.write("f.doc"));
        writeState("TAMRIX.txt", lines(entries));
        m_entries = entries;
        open();
    }
    QStringList m_entries;
};

TEST_F(MainWindowLists, ClickingAFolderEntryListsItsDocumentsTicked)
{
    openWithEntries();
    clickEntry(2);
    EXPECT_EQ(selectedEntry(), 2);
    EXPECT_EQ(documentRows().size(), 2);
    EXPECT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Checked}));
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), m_entries[1] + "/" + documentRows()[0]);
    EXPECT_EQ(m_services.busyCount, 1);
    EXPECT_EQ(m_services.busyDepth, 0);

    clickEntry(4);
    EXPECT_EQ(documentRows(), QStringList{"f.doc"});
}

TEST_F(MainWindowLists, TheKeyboardSelectsEntriesToo)
{
    openWithEntries();
    clickEntry(1);
    QTest::keyClick(m_window->ListView1(), Qt::Key_Down);
    EXPECT_EQ(selectedEntry(), 2);
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), m_entries[1] + "/" + documentRows()[0]);
    QTest::keyClick(m_window->ListView1(), Qt::Key_End);
    EXPECT_EQ(selectedEntry(), 4);
    EXPECT_EQ(documentRows(), QStringList{"f.doc"});
    QTest::keyClick(m_window->ListView1(), Qt::Key_Home);
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(documentRows().size(), 2);
    EXPECT_EQ(m_services.busyCount, 4);
}

TEST_F(MainWindowLists, SelectingTheShownEntryAgainReticksEveryRow)
{
    openWithEntries();
    clickEntry(1);
    clickTick(1);
    clickTick(2);
    ASSERT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Unchecked, Qt::Unchecked}));
    clickEntry(1);
    EXPECT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Checked}));
}

TEST_F(MainWindowLists, RemoveFileByButtonAndMenuAtEveryPosition)
{
    openWithEntries();
    clickEntry(4);
    click("Command2"); // the last: the one above is selected and shown
    EXPECT_EQ(entryTexts(), m_entries.mid(0, 3));
    EXPECT_EQ(selectedEntry(), 3);
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), m_entries[2] + "/" + documentRows()[0]);

    clickEntry(1);
    menuItem("RemoveItem")->trigger(); // the first: the new first is selected
    EXPECT_EQ(entryTexts(), m_entries.mid(1, 2));
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), m_entries[1] + "/" + documentRows()[0]);

    click("Command2");
    click("Command2"); // the only one: the document list empties too
    EXPECT_TRUE(entryTexts().isEmpty());
    EXPECT_TRUE(documentRows().isEmpty());
    click("Command2"); // nothing left: nothing happens
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(MainWindowLists, MoveButtonsKeepTheDocumentListAndStopAtTheEdges)
{
    openWithEntries();
    clickEntry(2);
    clickTick(2);
    click("Command3");
    EXPECT_EQ(entryTexts(), (QStringList{m_entries[1], m_entries[0], m_entries[2], m_entries[3]}));
    EXPECT_EQ(selectedEntry(), 1);
    click("Command3"); // already first
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Unchecked}));

    clickEntry(3);
    click("Command4");
    EXPECT_EQ(entryTexts(), (QStringList{m_entries[1], m_entries[0], m_entries[3], m_entries[2]}));
    EXPECT_EQ(selectedEntry(), 4);
    EXPECT_EQ(entryIcon(3), 1);
    EXPECT_EQ(entryIcon(4), 2);
    click("Command4"); // already last
    EXPECT_EQ(selectedEntry(), 4);
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), m_entries[2] + "/" + documentRows()[0]);
}

TEST_F(MainWindowLists, MovesWithNothingSelectedDoNothing)
{
    openWithEntries();
    click("Command3");
    click("Command4");
    EXPECT_EQ(entryTexts(), m_entries);
    EXPECT_EQ(selectedEntry(), 0);
}

TEST_F(MainWindowLists, RemoveAllItemsEmptiesBothListsAndWritesNothing)
{
    openWithEntries();
    const QByteArray saved = m_state.read("TAMRIX.txt");
    clickEntry(1);
    menuItem("RemoveAll")->trigger();
    EXPECT_TRUE(entryTexts().isEmpty());
    EXPECT_TRUE(documentRows().isEmpty());
    EXPECT_EQ(m_state.read("TAMRIX.txt"), saved);
    menuItem("RemoveAll")->trigger();
    EXPECT_TRUE(entryTexts().isEmpty());
}

class MainWindowShutDown : public WindowFixture
{
protected:
    // Opens on two entries and two output directories, then changes both lists.
    void openAndChangeLists()
    {
        writeState("TAMRIX.txt", lines({"/saved/a", "/saved/b"}));
        writeState("output.txt", lines({"/out/saved"}));
        open();
        clickEntry(1);
        click("Command2");
        m_window->Combo2()->insertItem(0, "/out/new");
    }
};

TEST_F(MainWindowShutDown, ExitWritesBothListsWhenBothSwitchesAreOn)
{
    writeState("set.txt", "1\r\n1\r\n");
    openAndChangeLists();
    click("Command9");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/b\r\n"));
    EXPECT_EQ(m_state.read("output.txt"), QByteArray("/out/new\r\n/out/saved\r\n"));
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(MainWindowShutDown, TheCloseBoxTakesTheSamePathAndAnOffSwitchKeepsTheFile)
{
    writeState("set.txt", "0\r\n1\r\n");
    openAndChangeLists();
    m_window->close();
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/a\r\n/saved/b\r\n"));
    EXPECT_EQ(m_state.read("output.txt"), QByteArray("/out/new\r\n/out/saved\r\n"));
}

TEST_F(MainWindowShutDown, OnlyTheEntryListWithASingleLineOrATrailingBlankOff)
{
    writeState("set.txt", "1");
    openAndChangeLists();
    click("Command9");
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/b\r\n"));
    EXPECT_EQ(m_state.read("output.txt"), QByteArray("/out/saved\r\n"));

    writeState("set.txt", "1 \r\n1\r\n");
    openAndChangeLists();
    click("Command9");
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/a\r\n/saved/b\r\n"));
}

TEST_F(MainWindowShutDown, AMissingSettingsFileSavesBothLists)
{
    openAndChangeLists();
    click("Command9");
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/b\r\n"));
    EXPECT_EQ(m_state.read("output.txt"), QByteArray("/out/new\r\n/out/saved\r\n"));
    EXPECT_FALSE(QFileInfo::exists(m_state.path("set.txt"))); // only the settings dialog writes it
}

TEST_F(MainWindowShutDown, AnEmptyEntryListLeavesAnEmptyFile)
{
    writeState("set.txt", "1\r\n0\r\n");
    writeState("TAMRIX.txt", lines({"/a"}));
    open();
    menuItem("RemoveAll")->trigger();
    click("Command9");
    EXPECT_TRUE(QFileInfo::exists(m_state.path("TAMRIX.txt")));
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray());
}

TEST_F(MainWindowShutDown, AtMost201OutputDirectoriesAndTypedTextIsNotSaved)
{
    QStringList many;
    for (int i = 0; i < 250; ++i)
        many.append(QStringLiteral("/out/%1").arg(i));
    writeState("output.txt", lines(many));
    form1& window = open();
    ASSERT_EQ(window.Combo2()->count(), 250);
    QLineEdit* field = window.Combo2()->lineEdit();
    field->selectAll();
    QTest::keyClicks(field, "/typed/folder");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window.Combo2()->currentText(), "/typed/folder");
    EXPECT_EQ(window.Combo2()->currentIndex(), -1);
    EXPECT_EQ(window.Combo2()->count(), 250);
    click("Command9");
    EXPECT_EQ(m_state.read("output.txt"), lines(many.mid(0, 201)));
}

TEST_F(MainWindowShutDown, AFailedSaveIsToldInOneMessageAndTheProgramStillEnds)
{
    writeState("TAMRIX.txt", lines({"/a"}));
    open();
    m_state.folder("output.txt"); // a folder in the way of the file
    click("Command9");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/a\r\n"));
    ASSERT_EQ(m_services.messages.size(), 1u);
    EXPECT_EQ(m_services.messages[0].title, "Plainora");
    EXPECT_EQ(m_services.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(m_services.messages[0].text.contains("output directories"))
        << m_services.messages[0].text.toStdString();
    EXPECT_TRUE(m_services.messages[0].text.contains(m_state.path("output.txt")));
    EXPECT_FALSE(m_services.messages[0].text.contains("documents and folders"));
}

TEST_F(MainWindowShutDown, APathWithALineBreakIsNotRememberedAndTheUserIsTold)
{
    writeState("TAMRIX.txt", lines({"/saved/a"}));
    writeState("output.txt", lines({"/out/saved"}));
    const QString broken = m_files.folder("two\nlines");
    const QString returned = m_files.folder("carriage\rreturn");
    m_dialogs->folderAnswers = {broken, returned, broken};
    open();
    click("Command5"); // Add Folder
    click("Command5");
    click("Command10"); // Browse
    ASSERT_EQ(entryTexts(), (QStringList{"/saved/a", broken, returned}));
    click("Command9");
    EXPECT_EQ(m_state.read("TAMRIX.txt"), lines({"/saved/a"}));
    EXPECT_EQ(m_state.read("output.txt"), lines({"/out/saved"}));
    ASSERT_EQ(m_services.messages.size(), 1u);
    const QString& text = m_services.messages[0].text;
    EXPECT_TRUE(text.contains(broken) && text.contains(returned)) << text.toStdString();
    EXPECT_TRUE(text.contains("line break")) << text.toStdString();
}

TEST_F(MainWindowShutDown, ClosingTwiceSavesOnce)
{
    writeState("TAMRIX.txt", lines({"/a"}));
    open();
    m_window->close();
    writeState("TAMRIX.txt", "changed elsewhere\r\n");
    m_window->close();
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("changed elsewhere\r\n"));
}

class MainWindowOutputFolder : public WindowFixture
{
};

TEST_F(MainWindowOutputFolder, ATypedFolderIsCreatedAndARememberedOneThatWentIsRefused)
{
    const QString gone = m_files.folder("gone");
    writeState("output.txt", lines({gone}));
    form1& window = open();
    ASSERT_TRUE(QDir(gone).removeRecursively());
    EXPECT_FALSE(window.CheckOutputFolder());
    ASSERT_EQ(m_services.messages.size(), 1u);
    EXPECT_EQ(m_services.messages[0].text, "Folder does not exist!");
    EXPECT_FALSE(QFileInfo::exists(gone));

    // Typing the same text makes it a typed folder: now it is created.
    QLineEdit* field = window.Combo2()->lineEdit();
    field->selectAll();
    QTest::keyClicks(field, gone + "/");
    EXPECT_EQ(window.Combo2()->currentIndex(), -1);
    EXPECT_TRUE(window.CheckOutputFolder());
    EXPECT_TRUE(QFileInfo(gone).isDir());
    EXPECT_EQ(window.conversion().OutputFolder, gone + "/");
    EXPECT_EQ(m_services.messages.size(), 1u);
}

TEST_F(MainWindowOutputFolder, AnEmptyBoxAsksForAFolder)
{
    form1& window = open();
    EXPECT_FALSE(window.CheckOutputFolder());
    ASSERT_EQ(m_services.messages.size(), 1u);
    EXPECT_EQ(m_services.messages[0].text, "Please select output folder");
    EXPECT_EQ(m_services.messages[0].icon, MessageIcon::Information);
}

namespace {

// Records which command each trigger reached.
class RoutedForm : public form1
{
public:
    using form1::form1;
    QStringList routed;

    void RemoveFile() override { routed << "RemoveFile"; }
    void MoveUp() override { routed << "MoveUp"; }
    void MoveDown() override { routed << "MoveDown"; }
    void RemoveAllItems() override { routed << "RemoveAllItems"; }
    void SelectEntry() override { routed << "SelectEntry"; }
    void Exit() override { routed << "Exit"; }
    void AddWord() override { routed << "AddWord"; }
    void AddFolder() override { routed << "AddFolder"; }
    void Convert() override { routed << "Convert"; }
    void Browse() override { routed << "Browse"; }
    void RemoveCurrentOutputDirectory() override { routed << "RemoveCurrentOutputDirectory"; }
    void RemoveAllOutputDirectory() override { routed << "RemoveAllOutputDirectory"; }
    void View() override { routed << "View"; }
    void OpenHelp() override { routed << "OpenHelp"; }
    void OpenHomePage() override { routed << "OpenHomePage"; }
    void ShowAbout() override { routed << "ShowAbout"; }
    void ShowSettings() override { routed << "ShowSettings"; }
};

} // namespace

class MainWindowRouting : public WindowFixture
{
};

TEST_F(MainWindowRouting, EveryButtonAndMenuItemReachesItsCommand)
{
    writeState("TAMRIX.txt", lines({"/a"}));
    RoutedForm& window = open<RoutedForm>();
    const std::vector<std::pair<const char*, QString>> buttons{
        {"Command1", "AddWord"},      {"Command5", "AddFolder"}, {"Command2", "RemoveFile"},
        {"Command3", "MoveUp"},       {"Command4", "MoveDown"},  {"Command6", "Convert"},
        {"Command10", "Browse"},      {"Command11", "View"},     {"Command8", "OpenHelp"},
        {"Command7", "OpenHomePage"}, {"Command9", "Exit"},
    };
    for (const auto& [button, command] : buttons) {
        window.routed.clear();
        click(button);
        EXPECT_EQ(window.routed, QStringList{command}) << button;
    }
    const std::vector<std::pair<const char*, QString>> items{
        {"AddTamrix", "AddWord"},
        {"AddFolder", "AddFolder"},
        {"RemoveItem", "RemoveFile"},
        {"RemoveAll", "RemoveAllItems"},
        {"Removeoutput", "RemoveCurrentOutputDirectory"},
        {"RemoveAllOutput", "RemoveAllOutputDirectory"},
        {"Separate", "Convert"},
        {"Settings", "ShowSettings"},
        {"Help1", "OpenHelp"},
        {"HomePage", "OpenHomePage"},
        {"About", "ShowAbout"},
    };
    for (const auto& [item, command] : items) {
        window.routed.clear();
        menuItem(item)->trigger();
        EXPECT_EQ(window.routed, QStringList{command}) << item;
    }
    for (const char* topLevel : {"EE", "FF", "Actions", "Help"}) {
        window.routed.clear();
        window.findChild<QMenu*>(QLatin1String(topLevel))->menuAction()->trigger();
        EXPECT_TRUE(window.routed.isEmpty()) << topLevel;
    }
    clickEntry(1); // selects: the documents follow without a command
    window.routed.clear();
    clickEntry(1);
    EXPECT_EQ(window.routed, QStringList{"SelectEntry"});
}
