// The main window's commands that ask the user through a dialog (adding
// entries, the output directories, the settings, the About box) or hand a
// target to the shell (View, Help, HomePage).

#include "app/Dialog1.h"
#include "app/ProgramLinks.h"
#include "app/form1.h"
#include "dialogs/CCommonDialogs.h"
#include "doclist/EntryListView.h"
#include "doclist/InputDocumentList.h"
#include "outdirs/OutputDirectoryBox.h"
#include "state/Setting.h"
#include "ui/NativePath.h"
#include "ui/WindowServices.h"

#include <QCoreApplication>
#include <QTreeWidget>

namespace plainora {

namespace {

// The prompt of the folder browser, for entries and output directories alike.
const QString FolderPrompt = QStringLiteral("Add all word files in folder");

// A dialog that cannot be shown ends the command; the user is told why, so
// that a click that does nothing is never left unexplained.
void reportDialogFailure(WindowServices& services, const CommonDialogsError& error)
{
    services.showMessage(QCoreApplication::translate("form1", "The dialog could not be shown (error %1): %2")
                             .arg(error.number())
                             .arg(error.description()),
                         MessageTitle, MessageIcon::Critical);
}

// The folder browser of Add Folder and Browse: the chosen folder, or an
// empty string when the user cancelled, the choice has no file-system path or
// the dialog failed.
QString chooseFolder(QWidget* owner, const std::shared_ptr<DialogBackend>& backend, WindowServices& services)
{
    try {
        CCommonDialogs dialogs(backend);
        dialogs.Init(owner);
        dialogs.setTitle(FolderPrompt);
        return dialogs.ShowFolder() ? dialogs.Path() : QString();
    } catch (const CommonDialogsError& error) {
        reportDialogFailure(services, error);
        return QString();
    }
}

} // namespace

void form1::AddWord()
{
    QString path;
    try {
        CCommonDialogs dialogs(m_dialogBackend);
        dialogs.Init(this);
        dialogs.setTitle(QStringLiteral("Select Word File"));
        const QChar nul(u'\0');
        dialogs.setFilter(QStringLiteral("Word File(*.doc;*.docx)") + nul + QStringLiteral("*.doc;*.docx") +
                          nul);
        if (!dialogs.ShowOpen())
            return;
        path = dialogs.FileName();
    } catch (const CommonDialogsError& error) {
        reportDialogFailure(m_services, error);
        return;
    }

    // Whatever file was picked is a document entry; its extension is not tested.
    // Selecting it lists its document.
    m_lists->AppendEntry(path, InputDocumentList::DocumentIcon);
    m_lists->SelectPosition(m_entryList->topLevelItemCount());
    m_entryList->viewport()->update();
}

void form1::AddFolder()
{
    const QString path = chooseFolder(this, m_dialogBackend, m_services);
    if (path.isEmpty())
        return;

    // A folder becomes an entry whatever it holds; the root stays "/".
    m_lists->AppendEntry(path, InputDocumentList::FolderIcon);
    const int position = m_entryList->topLevelItemCount();
    m_lists->SelectPosition(position); // lists its documents
    m_entryList->viewport()->update();
    m_entryList->scrollToItem(m_entryList->topLevelItem(position - 1));
}

void form1::Browse()
{
    const QString path = chooseFolder(this, m_dialogBackend, m_services);
    if (path.isEmpty())
        return;

    m_outputDirectoryBox->addDirectory(path);
}

void form1::RemoveCurrentOutputDirectory()
{
    m_outputDirectoryBox->removeSelected();
}

void form1::RemoveAllOutputDirectory()
{
    m_outputDirectoryBox->removeAll();
}

void form1::View()
{
    // The text as typed, trailing separators included.
    const QString folder = m_outputDirectoryBox->currentText();
    if (GetPathKind(folder) == PathKind::Folder)
        m_services.openInShell(folder);
}

void form1::OpenHelp()
{
    // Whether the guide is there is left to the shell.
    m_services.openInShell(QCoreApplication::applicationDirPath() + QStringLiteral("/help.html"));
}

void form1::OpenHomePage()
{
    m_services.openInShell(HomePageUrl());
}

void form1::ShowAbout()
{
    // A fresh box for every showing; the main window takes no input meanwhile.
    Dialog1 box([this](const QString& target) { m_services.openInShell(target); }, this);
    box.exec();
}

void form1::ShowSettings()
{
    Setting dialog(m_stateDirectory, m_services, this);
    dialog.exec();
}

} // namespace plainora
