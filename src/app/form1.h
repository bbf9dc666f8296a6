#pragma once
// The main window: its controls and menus, the start-up and shut-down
// sequences, and the routing of every command to its operation.

#include "convert/ConversionModule.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace plainora {

class BatchRun;
class DialogBackend;
class EntryListView;
class ImageList;
class InputDocumentList;
class OutputDirectoryBox;
class WindowServices;

class form1 : public QMainWindow
{
    Q_OBJECT
public:
    // stateDirectory holds "set.txt", "TAMRIX.txt" and "output.txt"; services
    // show the messages, open shell targets and set the busy pointer. Both
    // outlive the window. dialogs shows the file and folder dialogs of the
    // commands. The window loads its lists from the state files here.
    form1(QString stateDirectory, WindowServices& services, std::shared_ptr<DialogBackend> dialogs,
          QWidget* parent = nullptr);
    ~form1() override;

    const QString& stateDirectory() const { return m_stateDirectory; }
    WindowServices& services() const { return m_services; }
    const std::shared_ptr<DialogBackend>& dialogBackend() const { return m_dialogBackend; }
    InputDocumentList& inputLists() const { return *m_lists; }
    ConversionModule& conversion() { return m_conversion; }
    // The Convert command's run; owned by the window, made on first use.
    BatchRun& batchRun();

    EntryListView* ListView1() const { return m_entryList; }
    QTreeWidget* ListView2() const { return m_documentList; }
    OutputDirectoryBox* Combo2() const { return m_outputDirectoryBox; }
    QProgressBar* ProgressBar1() const { return m_progressBar; }
    const ImageList& ImageList1() const { return *m_imageList; }

    // The output folder check on what Combo2 shows (its text and selected index).
    bool CheckOutputFolder();

    // "Open with": appends the documents and folders named among the program's
    // arguments (arguments[0] is the program) after the restored entries, and
    // shows the last one. Relative paths count from the current directory.
    void AddPathsFromCommandLine(const QStringList& arguments);

public slots:
    // Commands of the lists.
    virtual void RemoveFile();     // Command2, menu RemoveItem
    virtual void MoveUp();         // Command3
    virtual void MoveDown();       // Command4
    virtual void RemoveAllItems(); // menu RemoveAll
    virtual void SelectEntry();    // ListView1 ItemClick (a click on the selected entry)
    virtual void Exit();           // Command9: unloads the window like the close box

    // The commands of the dialogs, the conversion and the shell (form1Commands.cpp, form1Convert.cpp).
    virtual void AddWord();                      // Command1, menu AddTamrix
    virtual void AddFolder();                    // Command5, menu AddFolder
    virtual void Convert();                      // Command6, menu Separate
    virtual void Browse();                       // Command10
    virtual void RemoveCurrentOutputDirectory(); // menu Removeoutput
    virtual void RemoveAllOutputDirectory();     // menu RemoveAllOutput
    virtual void View();                         // Command11
    virtual void OpenHelp();                     // Command8, menu Help1
    virtual void OpenHomePage();                 // Command7, menu HomePage
    virtual void ShowAbout();                    // menu About
    virtual void ShowSettings();                 // menu Settings

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void applyFontToPopups();
    void acceptDroppedEntries();
    void Form_Load();
    void Form_Unload();

    QString m_stateDirectory;
    WindowServices& m_services;
    std::shared_ptr<DialogBackend> m_dialogBackend;
    ConversionModule m_conversion;
    bool m_unloaded = false;
    // Lists whose state file could not be read at start-up; never saved.
    bool m_entryListUnread = false;
    bool m_outputListUnread = false;

    ImageList* m_imageList = nullptr;
    EntryListView* m_entryList = nullptr;
    QTreeWidget* m_documentList = nullptr;
    OutputDirectoryBox* m_outputDirectoryBox = nullptr;
    QProgressBar* m_progressBar = nullptr;
    std::unique_ptr<InputDocumentList> m_lists;
};

} // namespace plainora
