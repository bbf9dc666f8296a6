#include "app/form1.h"

#include "app/Artwork.h"
#include "app/PictureButton.h"
#include "doclist/EntryListView.h"
#include "doclist/ImageList.h"
#include "doclist/InputDocumentList.h"
#include "outdirs/OutputDirectoryBox.h"
#include "state/StateFiles.h"
#include "ui/ProgramFont.h"
#include "ui/Twips.h"
#include "ui/WindowServices.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QTreeWidget>

namespace plainora {

namespace {

const QString EntryColumnCaption = QStringLiteral("Please Select the Word File or Folder to Convert");
const QString DocumentColumnCaption = QStringLiteral("Word Document");

} // namespace

form1::form1(QString stateDirectory, WindowServices& services, std::shared_ptr<DialogBackend> dialogs,
             QWidget* parent)
    : QMainWindow(parent), m_stateDirectory(std::move(stateDirectory)), m_services(services),
      m_dialogBackend(std::move(dialogs))
{
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(QStringLiteral("Plainora"));
    setWindowIcon(Artwork(QStringLiteral("notepad")));
    // A fixed single border: a close box, no minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(programFont());

    m_imageList = new ImageList({Artwork(QStringLiteral("document")), Artwork(QStringLiteral("folder")),
                                 Artwork(QStringLiteral("missing"))},
                                this);
    m_imageList->setObjectName(QStringLiteral("ImageList1"));

    buildMenus();
    buildControls();
    applyFontToPopups();
    m_lists = std::make_unique<InputDocumentList>(*m_entryList, *m_documentList, *m_imageList, m_services);
    // The client area is fixed; the window is its size plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
    acceptDroppedEntries();
}

form1::~form1() = default;

void form1::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(10284), px(6780));
    setCentralWidget(client);

    auto pictureButton = [client](const char* name, const char* picture, int size, const QString& caption,
                                  QRect geometry) {
        auto* button = new PictureButton(Artwork(QLatin1String(picture)), size, caption, client);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        return button;
    };
    auto pushButton = [client](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QPushButton(caption, client);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        return button;
    };

    // In tab order.
    auto* command5 =
        pictureButton("Command5", "folder", 48, QStringLiteral("Add Folder"), twipRect(120, 0, 1210, 975));
    auto* command1 =
        pictureButton("Command1", "document", 48, QStringLiteral("Add Word"), twipRect(1440, 0, 1210, 975));
    auto* command2 =
        pictureButton("Command2", "remove", 32, QStringLiteral("Remove File"), twipRect(2760, 0, 1330, 975));
    auto* command6 =
        pictureButton("Command6", "notepad", 48, QStringLiteral("Convert"), twipRect(5640, 0, 1090, 975));
    auto* command8 =
        pictureButton("Command8", "help", 32, QStringLiteral("Help"), twipRect(6840, 0, 970, 975));
    auto* command7 =
        pictureButton("Command7", "browser", 48, QStringLiteral("HomePage"), twipRect(7920, 0, 1090, 975));
    auto* command9 =
        pictureButton("Command9", "exit", 32, QStringLiteral("Exit"), twipRect(9120, 0, 970, 975));

    m_entryList = new EntryListView(client);
    m_entryList->setObjectName(QStringLiteral("ListView1"));
    m_entryList->setGeometry(twipRect(120, 1080, 5175, 4935));

    m_documentList = new QTreeWidget(client);
    m_documentList->setObjectName(QStringLiteral("ListView2"));
    m_documentList->setGeometry(twipRect(5880, 1080, 4215, 4935));
    EntryListView::SetUpReportView(*m_documentList);

    auto* command3 = pictureButton("Command3", "up", 32, QString(), twipRect(5400, 2160, 370, 610));
    auto* command4 = pictureButton("Command4", "down", 32, QString(), twipRect(5400, 3000, 370, 610));

    m_progressBar = new QProgressBar(client);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setGeometry(twipRect(120, 6480, 10095, 255));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);

    auto* command11 = pushButton("Command11", QStringLiteral("View"), twipRect(9120, 6120, 855, 325));
    auto* command10 = pushButton("Command10", QStringLiteral("Browse"), twipRect(8040, 6120, 975, 325));

    m_outputDirectoryBox = new OutputDirectoryBox(client);
    m_outputDirectoryBox->setObjectName(QStringLiteral("Combo2"));
    m_outputDirectoryBox->setGeometry(twipRect(2160, 6120, 5775, 330));

    auto* label1 = new QLabel(client);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setTextFormat(Qt::PlainText);
    label1->setText(QStringLiteral("Select  output directory:"));
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label1->setGeometry(twipRect(120, 6120, 1935, 255));

    const QList<QWidget*> tabOrder{command5, command1,      command2,    command6,       command8,
                                   command7, command9,      m_entryList, m_documentList, command3,
                                   command4, m_progressBar, command11,   command10,      m_outputDirectoryBox,
                                   label1};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Routing: a menu item runs exactly its button's handler.
    connect(command1, &QPushButton::clicked, this, &form1::AddWord);
    connect(command5, &QPushButton::clicked, this, &form1::AddFolder);
    connect(command2, &QPushButton::clicked, this, &form1::RemoveFile);
    connect(command3, &QPushButton::clicked, this, &form1::MoveUp);
    connect(command4, &QPushButton::clicked, this, &form1::MoveDown);
    connect(command6, &QPushButton::clicked, this, &form1::Convert);
    connect(command7, &QPushButton::clicked, this, &form1::OpenHomePage);
    connect(command8, &QPushButton::clicked, this, &form1::OpenHelp);
    connect(command9, &QPushButton::clicked, this, &form1::Exit);
    connect(command10, &QPushButton::clicked, this, &form1::Browse);
    connect(command11, &QPushButton::clicked, this, &form1::View);
    connect(m_entryList, &EntryListView::ItemClick, this, &form1::SelectEntry);
}

void form1::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [this](QMenu* parentMenu, const char* name, const QString& caption,
                       void (form1::*handler)()) {
        QAction* action = parentMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = menu("EE", QStringLiteral("File"));
    item(file, "AddFolder", QStringLiteral("Add Folder"), &form1::AddFolder);
    item(file, "AddTamrix", QStringLiteral("Add Word"), &form1::AddWord);

    QMenu* edit = menu("FF", QStringLiteral("Edit"));
    item(edit, "RemoveItem", QStringLiteral("Remove Item"), &form1::RemoveFile);
    item(edit, "RemoveAll", QStringLiteral("Remove All Items"), &form1::RemoveAllItems);
    item(edit, "Removeoutput", QStringLiteral("Remove Current Output Directory"),
         &form1::RemoveCurrentOutputDirectory);
    item(edit, "RemoveAllOutput", QStringLiteral("Remove All Output Directory"),
         &form1::RemoveAllOutputDirectory);

    QMenu* actions = menu("Actions", QStringLiteral("Actions"));
    item(actions, "Separate", QStringLiteral("Convert"), &form1::Convert);

    // A top-level item without items acts when chosen.
    QAction* settings = bar->addAction(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("Settings"));
    connect(settings, &QAction::triggered, this, &form1::ShowSettings);

    QMenu* help = menu("Help", QStringLiteral("Help"));
    item(help, "Help1", QStringLiteral("Help"), &form1::OpenHelp);
    item(help, "HomePage", QStringLiteral("HomePage"), &form1::OpenHomePage);
    item(help, "About", QStringLiteral("About"), &form1::ShowAbout);
}

void form1::Form_Load()
{
    // ImageList1 is the entry list's small-icon list.
    m_entryList->setIconSize(QSize(16, 16));
    m_entryList->setColumnCount(1);
    m_entryList->setHeaderLabels({EntryColumnCaption});
    m_entryList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    m_entryList->header()->setStretchLastSection(false);
    m_entryList->setColumnWidth(0, px(4800));
    m_documentList->setColumnCount(1);
    m_documentList->setHeaderLabels({DocumentColumnCaption});
    m_documentList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    m_documentList->header()->setStretchLastSection(false);
    m_documentList->setColumnWidth(0, px(3700));

    const StateFiles files(m_stateDirectory);
    QString entriesError;
    QString outputsError;
    m_lists->RestoreEntries(files.LoadEntryList(&entriesError));
    m_outputDirectoryBox->addItems(files.LoadOutputDirectories(&outputsError));
    if (m_outputDirectoryBox->count() > 0)
        m_outputDirectoryBox->setCurrentIndex(0);

    // A list that could not be read is not overwritten at exit with what
    // little the window then holds: the user's remembered entries stay.
    m_entryListUnread = !entriesError.isEmpty();
    m_outputListUnread = !outputsError.isEmpty();
    QStringList unread;
    if (m_entryListUnread)
        unread.append(tr("The list of documents and folders could not be read from \"%1\": %2.")
                          .arg(files.filePath(StateFiles::EntryListFileName), entriesError));
    if (m_outputListUnread)
        unread.append(tr("The list of output directories could not be read from \"%1\": %2.")
                          .arg(files.filePath(StateFiles::OutputDirectoriesFileName), outputsError));
    if (!unread.isEmpty()) {
        unread.append(tr("Plainora leaves the file as it is and will not save that list when it ends. "
                         "Make the file readable, or move it away, and start Plainora again."));
        // Told once the window is up, over it.
        QMetaObject::invokeMethod(
            this,
            [this, text = unread.join(QLatin1Char('\n'))] {
                m_services.showMessage(text, MessageTitle, MessageIcon::Critical);
            },
            Qt::QueuedConnection);
    }
}

void form1::Form_Unload()
{
    const StateFiles files(m_stateDirectory);
    const SettingsSwitches switches = files.ReadSwitches();
    QStringList failures;
    QStringList leftOut;
    QString error;
    if (switches.saveEntryList && !m_entryListUnread &&
        !files.SaveEntryList(m_lists->EntryTexts(), &error, &leftOut))
        failures.append(tr("The list of documents and folders could not be saved to \"%1\": %2.")
                            .arg(files.filePath(StateFiles::EntryListFileName), error));
    if (switches.saveOutputDirectories && !m_outputListUnread &&
        !files.SaveOutputDirectories(m_outputDirectoryBox->entries(), &error, &leftOut))
        failures.append(tr("The list of output directories could not be saved to \"%1\": %2.")
                            .arg(files.filePath(StateFiles::OutputDirectoriesFileName), error));
    if (!failures.isEmpty())
        failures.append(
            tr("Make sure the folder can be written to; until then Plainora opens with the lists as "
               "they were last saved."));
    if (!leftOut.isEmpty())
        failures.append(
            tr("These paths hold a line break, which the saved lists cannot hold, so they are not "
               "remembered: \"%1\". Rename them to add them again next time.")
                .arg(leftOut.join(QStringLiteral("\", \""))));
    if (!failures.isEmpty())
        m_services.showMessage(failures.join(QLatin1Char('\n')), MessageTitle, MessageIcon::Critical);
}

void form1::applyFontToPopups()
{
    // Pop-up menus are windows of their own and inherit no font; the menu
    // bar makes its overflow menu only when it is first shown.
    for (QMenu* popup : findChildren<QMenu*>())
        popup->setFont(font());
}

void form1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    applyFontToPopups();
}

void form1::closeEvent(QCloseEvent* event)
{
    // The unload is never cancelled, and runs once whichever way it came.
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

bool form1::CheckOutputFolder()
{
    return m_conversion.CheckOutputFolder(m_outputDirectoryBox->currentText(),
                                          m_outputDirectoryBox->currentIndex(), m_services);
}

void form1::RemoveFile()
{
    m_lists->RemoveFile();
}

void form1::MoveUp()
{
    m_lists->MoveUp();
}

void form1::MoveDown()
{
    m_lists->MoveDown();
}

void form1::RemoveAllItems()
{
    m_lists->RemoveAllItems();
}

void form1::SelectEntry()
{
    m_lists->SelectEntry();
}

void form1::Exit()
{
    close();
}

} // namespace plainora
