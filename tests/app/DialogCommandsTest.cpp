// The main window's commands that ask through a dialog or hand a target to
// the shell, driven by clicks and menu choices, with the file and folder
// dialogs answered by a script: Add Word, Add Folder, the output directory
// list, View, Help, HomePage, About and Settings.

#include "WindowFixture.h"
#include "app/Dialog1.h"
#include "app/ProgramLinks.h"
#include "state/Setting.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <functional>

using namespace plainora;
using plainora::test::WindowFixture;

namespace {

const QString FolderPrompt = QStringLiteral("Add all word files in folder");

QByteArray lines(const QStringList& values)
{
    QByteArray bytes;
    for (const QString& value : values)
        bytes += value.toUtf8() + "\r\n";
    return bytes;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

class DialogCommands : public WindowFixture
{
protected:
    // Everything a cancelled command must leave as it was.
    struct Snapshot
    {
        QStringList entries;
        int selected;
        QStringList documents;
        QStringList outputs;
        int outputIndex;
        QString outputText;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const
    {
        return {entryTexts(),
                selectedEntry(),
                documentRows(),
                m_window->Combo2()->entries(),
                m_window->Combo2()->currentIndex(),
                m_window->Combo2()->currentText()};
    }

    // Two folder entries, the second selected and shown, and two output
    // directories, the first selected.
    void openWithSomething()
    {
        m_files.write("one/a.doc");
        m_files.write("two/b.docx");
        writeState("TAMRIX.txt", lines({m_files.path("one"), m_files.path("two")}));
        writeState("output.txt", lines({"/out/a", "/out/b"}));
        open();
        clickEntry(2);
    }

    // More entries than the list shows, scrolled to the top.
    void openWithEntriesBelowTheFold()
    {
        QStringList many;
        for (int i = 0; i < 80; ++i)
            many.append(QStringLiteral("/missing/%1").arg(i));
        writeState("TAMRIX.txt", lines(many));
        open();
        ASSERT_FALSE(entryVisible(80));
    }

    bool entryVisible(int position) const
    {
        QTreeWidget* list = m_window->ListView1();
        return list->viewport()->rect().contains(list->visualItemRect(list->topLevelItem(position - 1)));
    }

    void typeOutput(const QString& text) const
    {
        QLineEdit* field = m_window->Combo2()->lineEdit();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    // Clicks a button of the main window as the window system delivers a
    // click, so that a modal dialog can block it.
    void clickThroughWindowSystem(const char* button) const
    {
        auto* target = control<QPushButton>(button);
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {},
                          target->mapTo(m_window.get(), target->rect().center()));
    }

    // Calls trigger, which must open a modal dialog of type Dialog, and runs
    // act on it while it is open. A dialog still open after a while is
    // rejected, so a failing test does not hang.
    template <typename Dialog>
    void whileModal(const std::function<void()>& trigger, const std::function<void(Dialog&)>& act)
    {
        bool reached = false;
        QTimer actor;
        actor.setSingleShot(true);
        QObject::connect(&actor, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no modal dialog of the expected type is open";
            reached = true;
            act(*dialog);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "the dialog was still open";
                dialog->reject();
            }
        });
        actor.start(0);
        watchdog.start(5000);
        trigger();
        EXPECT_TRUE(reached);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
};

// ---- Add Word -------------------------------------------------------------

class AddWordCommand : public DialogCommands
{
};

TEST_F(AddWordCommand, AsksForOneWordFileAndCancelChangesNothing)
{
    openWithSomething();
    const Snapshot before = snapshot();
    const int busyBefore = m_services.busyCount;
    click("Command1");
    ASSERT_EQ(m_dialogs->fileRequests.size(), 1u);
    const FileDialogRequest& request = m_dialogs->fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(request.owner.data(), m_window.get());
    EXPECT_EQ(request.caption, QStringLiteral("Select Word File"));
    EXPECT_EQ(request.filterText, QStringLiteral("Word File(*.doc;*.docx)") + QChar(u'\0') +
                                      QStringLiteral("*.doc;*.docx") + QChar(u'\0'));
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_FALSE(request.allowMultipleFiles);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(m_services.busyCount, busyBefore);
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(AddWordCommand, TheSameDocumentTwiceGivesTwoEntriesShowingOneRow)
{
    openWithSomething();
    const QString document = m_files.write("three/report.docx");
    m_dialogs->fileAnswers = {document, document};
    const int busyBefore = m_services.busyCount;

    click("Command1");
    EXPECT_EQ(entryTexts().size(), 3);
    EXPECT_EQ(entryTexts().last(), document);
    EXPECT_EQ(entryIcon(3), InputDocumentList::DocumentIcon);
    EXPECT_EQ(selectedEntry(), 3);
    EXPECT_EQ(documentRows(), QStringList{"report.docx"});
    EXPECT_EQ(ticks(), std::vector<Qt::CheckState>{Qt::Checked});

    menuItem("AddTamrix")->trigger();
    EXPECT_EQ(entryTexts().mid(2), (QStringList{document, document}));
    EXPECT_EQ(entryIcon(4), InputDocumentList::DocumentIcon);
    EXPECT_EQ(selectedEntry(), 4);
    EXPECT_EQ(documentRows(), QStringList{"report.docx"});
    EXPECT_EQ(m_window->inputLists().GetDocumentPath(1), document);
    // The busy pointer once per rebuilt document list, and off again.
    EXPECT_EQ(m_services.busyCount, busyBefore + 2);
    EXPECT_EQ(m_services.busyDepth, 0);
    EXPECT_EQ(m_dialogs->fileRequests.size(), 2u);
}

TEST_F(AddWordCommand, AnyPickedFileIsADocumentEntry)
{
    open();
    const QString notes = m_files.write("notes.txt");
    m_dialogs->fileAnswers = {notes};
    click("Command1");
    EXPECT_EQ(entryTexts(), QStringList{notes});
    EXPECT_EQ(entryIcon(1), InputDocumentList::DocumentIcon);
    EXPECT_EQ(documentRows(), QStringList{"notes.txt"});
}

TEST_F(AddWordCommand, TheNewEntryIsScrolledIntoView)
{
    openWithEntriesBelowTheFold();
    m_dialogs->fileAnswers = {m_files.write("last.doc")};
    click("Command1");
    EXPECT_EQ(selectedEntry(), 81);
    EXPECT_TRUE(entryVisible(81));
}

TEST_F(AddWordCommand, ADialogThatCannotBeShownIsToldAndChangesNothing)
{
    openWithSomething();
    const Snapshot before = snapshot();
    m_dialogs->failing.insert(ScriptedDialogBackend::Call::File);
    click("Command1");
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(m_services.messages.size(), 1u);
    EXPECT_EQ(m_services.messages[0].title, "Plainora");
    EXPECT_EQ(m_services.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(m_services.busyDepth, 0);
}

// ---- Add Folder -----------------------------------------------------------

class AddFolderCommand : public DialogCommands
{
};

TEST_F(AddFolderCommand, AsksWithItsPromptAndCancelChangesNothing)
{
    openWithSomething();
    const Snapshot before = snapshot();
    click("Command5");
    ASSERT_EQ(m_dialogs->folderRequests.size(), 1u);
    EXPECT_EQ(m_dialogs->folderRequests[0].prompt, FolderPrompt);
    EXPECT_EQ(m_dialogs->folderRequests[0].owner.data(), m_window.get());
    EXPECT_EQ(snapshot(), before);

    // A choice without a file-system path is a cancel too.
    m_dialogs->folderAnswers = {QString()};
    menuItem("AddFolder")->trigger();
    EXPECT_EQ(m_dialogs->folderRequests.size(), 2u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(AddFolderCommand, AFolderIsOneEntryListingItsDocumentsTwiceOver)
{
    openWithSomething();
    m_files.write("docs/a.doc");
    m_files.write("docs/b.DOCX");
    m_files.write("docs/c.txt");
    m_files.write("docs/inner/d.doc");
    const QString folder = m_files.path("docs");
    m_dialogs->folderAnswers = {folder, folder};
    const int busyBefore = m_services.busyCount;

    click("Command5");
    EXPECT_EQ(entryTexts().last(), folder);
    EXPECT_EQ(entryIcon(3), InputDocumentList::FolderIcon);
    EXPECT_EQ(selectedEntry(), 3);
    EXPECT_EQ(sorted(documentRows()), (QStringList{"a.doc", "b.DOCX"}));
    const QStringList first = documentRows();

    menuItem("AddFolder")->trigger();
    EXPECT_EQ(entryTexts().mid(2), (QStringList{folder, folder}));
    EXPECT_EQ(selectedEntry(), 4);
    EXPECT_EQ(documentRows(), first);
    EXPECT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Checked}));
    EXPECT_EQ(m_services.busyCount, busyBefore + 2);
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(AddFolderCommand, AFolderWithoutDocumentsIsStillAnEntry)
{
    open();
    m_files.write("plain/readme.txt");
    const QString folder = m_files.folder("plain/sub");
    m_dialogs->folderAnswers = {m_files.path("plain")};
    click("Command5");
    EXPECT_EQ(entryTexts(), QStringList{m_files.path("plain")});
    EXPECT_EQ(entryIcon(1), InputDocumentList::FolderIcon);
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_TRUE(documentRows().isEmpty());
}

TEST_F(AddFolderCommand, TheRootFolderIsKeptAsTheBrowserGivesIt)
{
    open();
    m_dialogs->folderAnswers = {QStringLiteral("/")};
    click("Command5");
    EXPECT_EQ(entryTexts(), QStringList{"/"});
    EXPECT_EQ(entryIcon(1), InputDocumentList::FolderIcon);
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(m_services.busyDepth, 0);
}

TEST_F(AddFolderCommand, TheNewEntryIsScrolledIntoView)
{
    openWithEntriesBelowTheFold();
    m_dialogs->folderAnswers = {m_files.folder("empty")};
    click("Command5");
    EXPECT_EQ(selectedEntry(), 81);
    EXPECT_TRUE(entryVisible(81));
}

TEST_F(AddFolderCommand, AFolderBrowserThatCannotBeShownIsToldByBothCommands)
{
    openWithSomething();
    const Snapshot before = snapshot();
    m_dialogs->failing.insert(ScriptedDialogBackend::Call::Folder);
    click("Command5");
    click("Command10");
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(m_services.messages.size(), 2u);
    for (const test::RecordedMessage& message : m_services.messages) {
        EXPECT_EQ(message.icon, MessageIcon::Critical);
        EXPECT_TRUE(message.text.contains("scripted failure")) << message.text.toStdString();
    }
}

// ---- Output directory list ------------------------------------------------

class OutputDirectoryCommands : public DialogCommands
{
protected:
    OutputDirectoryBox& box() const { return *m_window->Combo2(); }
    void openWithOutputs(const QStringList& outputs)
    {
        writeState("output.txt", lines(outputs));
        open();
    }
};

TEST_F(OutputDirectoryCommands, BrowseCancelledChangesNothingEvenTypedText)
{
    openWithOutputs({"/out/a", "/out/b"});
    click("Command10");
    ASSERT_EQ(m_dialogs->folderRequests.size(), 1u);
    EXPECT_EQ(m_dialogs->folderRequests[0].prompt, FolderPrompt);
    EXPECT_EQ(m_dialogs->folderRequests[0].owner.data(), m_window.get());
    EXPECT_EQ(box().entries(), (QStringList{"/out/a", "/out/b"}));
    EXPECT_EQ(box().currentIndex(), 0);

    typeOutput("/typed");
    m_dialogs->folderAnswers = {std::nullopt, QString()};
    click("Command10");
    click("Command10");
    EXPECT_EQ(box().entries(), (QStringList{"/out/a", "/out/b"}));
    EXPECT_EQ(box().currentIndex(), -1);
    EXPECT_EQ(box().currentText(), "/typed");
}

TEST_F(OutputDirectoryCommands, BrowseTwiceToTheSameFolderListsItTwiceOnTop)
{
    openWithOutputs({"/out/a"});
    typeOutput("/typed");
    const QString folder = m_files.folder("target");
    m_dialogs->folderAnswers = {folder, folder};
    click("Command10");
    EXPECT_EQ(box().entries(), (QStringList{folder, "/out/a"}));
    EXPECT_EQ(box().currentIndex(), 0);
    EXPECT_EQ(box().currentText(), folder);
    click("Command10");
    EXPECT_EQ(box().entries(), (QStringList{folder, folder, "/out/a"}));
    EXPECT_EQ(box().currentIndex(), 0);
    EXPECT_EQ(box().currentText(), folder);
}

TEST_F(OutputDirectoryCommands, RemovingTheCurrentSelectsTheNextOrTheNewLast)
{
    openWithOutputs({"/out/0", "/out/1", "/out/2"});
    box().setCurrentIndex(1);
    menuItem("Removeoutput")->trigger();
    EXPECT_EQ(box().entries(), (QStringList{"/out/0", "/out/2"}));
    EXPECT_EQ(box().currentIndex(), 1);
    EXPECT_EQ(box().currentText(), "/out/2");

    box().addItem("/out/3");
    box().setCurrentIndex(2);
    menuItem("Removeoutput")->trigger();
    EXPECT_EQ(box().entries(), (QStringList{"/out/0", "/out/2"}));
    EXPECT_EQ(box().currentIndex(), 1);
    EXPECT_EQ(box().currentText(), "/out/2");

    box().setCurrentIndex(0);
    menuItem("Removeoutput")->trigger();
    EXPECT_EQ(box().entries(), QStringList{"/out/2"});
    EXPECT_EQ(box().currentIndex(), 0);
}

TEST_F(OutputDirectoryCommands, RemovingTheOnlyEntryEmptiesTheField)
{
    openWithOutputs({"/out/only"});
    ASSERT_EQ(box().currentText(), "/out/only");
    menuItem("Removeoutput")->trigger();
    EXPECT_EQ(box().count(), 0);
    EXPECT_EQ(box().currentIndex(), -1);
    EXPECT_EQ(box().currentText(), "");
    menuItem("Removeoutput")->trigger(); // empty list: nothing happens
    EXPECT_EQ(box().count(), 0);
}

TEST_F(OutputDirectoryCommands, TypedTextIsNotAnEntryToRemove)
{
    openWithOutputs({"/out/a", "/out/b"});
    typeOutput("/out/a");
    ASSERT_EQ(box().currentIndex(), -1);
    menuItem("Removeoutput")->trigger();
    EXPECT_EQ(box().entries(), (QStringList{"/out/a", "/out/b"}));
    EXPECT_EQ(box().currentText(), "/out/a");
}

TEST_F(OutputDirectoryCommands, TypedTextStaysTypedWhateverTakesTheFocus)
{
    // Remembered: a folder that exists and one deleted since; the second is typed.
    const QString document = m_files.write("in/a.doc", "Text\n");
    const QString kept = m_files.folder("kept");
    const QString gone = m_files.path("gone");
    const struct
    {
        const char* way;
        std::function<void()> leave;
    } cases[] = {
        {"Tab", [this] { QTest::keyClick(box().lineEdit(), Qt::Key_Tab); }},
        {"a click on Convert", [this] { click("Command6"); }},
        {"opening a menu", [this] { chooseMenuItem("FF", "Removeoutput"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        m_services.messages.clear();
        QDir(gone).removeRecursively();
        writeState("TAMRIX.txt", lines({document}));
        openWithOutputs({kept, gone});
        clickEntry(1);
        QTest::mouseClick(box().lineEdit(), Qt::LeftButton);
        QTest::keyClick(box().lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box().lineEdit(), gone);
        c.leave();
        EXPECT_EQ(box().currentIndex(), -1);
        EXPECT_EQ(box().currentText(), gone);

        chooseMenuItem("FF", "Removeoutput"); // typed text: nothing to remove
        EXPECT_EQ(box().entries(), (QStringList{kept, gone}));
        click("Command6"); // typed text: the folder is made
        EXPECT_TRUE(QFileInfo(gone).isDir());
        EXPECT_EQ(m_files.read("gone/a.txt"), "Text\n");
        for (const auto& message : m_services.messages)
            EXPECT_NE(message.text, "Folder does not exist!");
        click("Command9");
        EXPECT_EQ(m_state.read("output.txt"), lines({kept, gone}));
    }
}

TEST_F(OutputDirectoryCommands, RemoveAllEmptiesTheListKeepingOnlyTypedText)
{
    openWithOutputs({"/out/a", "/out/b", "/out/c"});
    const QByteArray saved = m_state.read("output.txt");
    box().setCurrentIndex(1);
    menuItem("RemoveAllOutput")->trigger();
    EXPECT_EQ(box().count(), 0);
    EXPECT_EQ(box().currentIndex(), -1);
    EXPECT_EQ(box().currentText(), "");
    menuItem("RemoveAllOutput")->trigger(); // already empty
    EXPECT_EQ(box().count(), 0);

    box().addItems({"/out/x", "/out/y"});
    typeOutput("/typed");
    menuItem("RemoveAllOutput")->trigger();
    EXPECT_EQ(box().count(), 0);
    EXPECT_EQ(box().currentText(), "/typed");
    EXPECT_EQ(m_state.read("output.txt"), saved); // nothing written while running
    EXPECT_TRUE(m_services.messages.empty());
}

// ---- View, Help, HomePage -------------------------------------------------

class ShellCommands : public DialogCommands
{
};

TEST_F(ShellCommands, ViewOpensOnlyAnExistingFolderAsTyped)
{
    open();
    const QString file = m_files.write("file.doc");
    for (const QString& text : {QString(), m_files.path("missing"), file}) {
        typeOutput(text);
        click("Command11");
    }
    EXPECT_TRUE(m_services.shellTargets.isEmpty());
    EXPECT_TRUE(m_services.messages.empty());

    const QString typed = m_files.folder("out") + "//";
    typeOutput(typed);
    click("Command11");
    EXPECT_EQ(m_services.shellTargets, QStringList{typed});
}

TEST_F(ShellCommands, ViewOpensTheSelectedEntry)
{
    const QString folder = m_files.folder("remembered");
    writeState("output.txt", lines({folder}));
    open();
    click("Command11");
    EXPECT_EQ(m_services.shellTargets, QStringList{folder});
}

TEST_F(ShellCommands, HelpOpensTheGuideBesideTheProgramUnchecked)
{
    open();
    const QString guide = QCoreApplication::applicationDirPath() + "/help.html";
    ASSERT_FALSE(QFileInfo::exists(guide)); // the tests run without one
    click("Command8");
    menuItem("Help1")->trigger();
    EXPECT_EQ(m_services.shellTargets, (QStringList{guide, guide}));
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(ShellCommands, HomePageOpensTheHomePage)
{
    open();
    click("Command7");
    menuItem("HomePage")->trigger();
    EXPECT_EQ(m_services.shellTargets, (QStringList{HomePageUrl(), HomePageUrl()}));
}

// ---- About ----------------------------------------------------------------

class AboutCommand : public DialogCommands
{
};

TEST_F(AboutCommand, ShowsAModalBoxWhoseLinksGoThroughTheWindowsShell)
{
    open();
    QStringList texts;
    whileModal<Dialog1>([&] { menuItem("About")->trigger(); },
                        [&](Dialog1& box) {
                            EXPECT_EQ(box.windowTitle(), "About us");
                            // The main window takes no input meanwhile.
                            clickThroughWindowSystem("Command7");
                            EXPECT_TRUE(m_services.shellTargets.isEmpty());
                            QTest::mouseClick(box.findChild<QLabel*>("Label2"), Qt::LeftButton);
                            QTest::mouseClick(box.findChild<QLabel*>("Label8"), Qt::LeftButton);
                            for (QLabel* label : box.findChildren<QLabel*>())
                                texts << label->objectName() + "=" + label->text();
                            QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
                        });
    EXPECT_EQ(m_services.shellTargets, (QStringList{MailLink(), HomePageUrl()}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window->findChildren<Dialog1*>().isEmpty()); // unloaded

    // Reopened: a fresh box with the same texts.
    QStringList again;
    whileModal<Dialog1>([&] { menuItem("About")->trigger(); },
                        [&](Dialog1& box) {
                            for (QLabel* label : box.findChildren<QLabel*>())
                                again << label->objectName() + "=" + label->text();
                            box.close();
                        });
    EXPECT_EQ(again, texts);
    EXPECT_FALSE(texts.isEmpty());

    // Afterwards the window takes input again.
    clickThroughWindowSystem("Command7");
    EXPECT_EQ(m_services.shellTargets.last(), HomePageUrl());
}

// ---- Settings -------------------------------------------------------------

class SettingsCommand : public DialogCommands
{
};

TEST_F(SettingsCommand, AMissingFileOpensBothTickedAndOkWritesBoth)
{
    open();
    whileModal<Setting>([&] { menuItem("Settings")->trigger(); },
                        [&](Setting& dialog) {
                            EXPECT_EQ(dialog.windowTitle(), "Setting");
                            EXPECT_TRUE(dialog.Check1()->isChecked());
                            EXPECT_TRUE(dialog.Check2()->isChecked());
                            QTest::mouseClick(dialog.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
                        });
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("1\r\n1\r\n"));
}

TEST_F(SettingsCommand, TheMainWindowTakesNoInputWhileItIsOpen)
{
    open();
    whileModal<Setting>([&] { menuItem("Settings")->trigger(); },
                        [&](Setting& dialog) {
                            clickThroughWindowSystem("Command1");
                            clickThroughWindowSystem("Command7");
                            EXPECT_TRUE(m_dialogs->fileRequests.empty());
                            EXPECT_TRUE(m_services.shellTargets.isEmpty());
                            dialog.close(); // the close box writes nothing
                        });
    EXPECT_FALSE(QFileInfo::exists(m_state.path("set.txt")));
    // The same click reaches the window once the dialog is closed.
    clickThroughWindowSystem("Command1");
    EXPECT_EQ(m_dialogs->fileRequests.size(), 1u);
}

TEST_F(SettingsCommand, CancelKeepsTheFileAndReopeningShowsItAgain)
{
    writeState("set.txt", "1\r\n0\r\n");
    open();
    whileModal<Setting>([&] { menuItem("Settings")->trigger(); },
                        [&](Setting& dialog) {
                            QTest::mouseClick(dialog.Check2(), Qt::LeftButton);
                            QTest::mouseClick(dialog.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
                        });
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("1\r\n0\r\n"));
    whileModal<Setting>([&] { menuItem("Settings")->trigger(); },
                        [&](Setting& dialog) {
                            EXPECT_TRUE(dialog.Check1()->isChecked());
                            EXPECT_FALSE(dialog.Check2()->isChecked());
                            dialog.close();
                        });
}

TEST_F(SettingsCommand, UntickingTheEntryListKeepsItsFileAtExit)
{
    writeState("TAMRIX.txt", lines({"/saved/a", "/saved/b"}));
    open();
    clickEntry(1);
    click("Command2");
    whileModal<Setting>([&] { menuItem("Settings")->trigger(); },
                        [&](Setting& dialog) {
                            QTest::mouseClick(dialog.Check1(), Qt::LeftButton);
                            QTest::mouseClick(dialog.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
                        });
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("0\r\n1\r\n"));
    click("Command9");
    EXPECT_EQ(m_state.read("TAMRIX.txt"), QByteArray("/saved/a\r\n/saved/b\r\n"));
}

} // namespace
