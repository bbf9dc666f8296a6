#pragma once
// The entry list (ListView1) and the document list (ListView2) and the
// commands that change them. The lists live in the two views; this class
// holds the rules and remembers only which entry the documents belong to.

#include <QMetaObject>
#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace plainora {

class ImageList;
class WindowServices;
enum class PathKind;

class InputDocumentList
{
public:
    // The numbers of the entry list's images.
    enum EntryIcon { DocumentIcon = 1, FolderIcon = 2, MissingIcon = 3 };

    // services show the busy pointer while the document list is rebuilt.
    // However the selected entry changes (a click of either button, a drag,
    // a key, or the program), the document list is rebuilt for it.
    InputDocumentList(QTreeWidget& entryList, QTreeWidget& documentList, const ImageList& images,
                      WindowServices& services);
    ~InputDocumentList();
    InputDocumentList(const InputDocumentList&) = delete;
    InputDocumentList& operator=(const InputDocumentList&) = delete;

    // Image 1 for a file, 2 for a folder, 3 for nothing there.
    static int IconForPathKind(PathKind kind);

    // Appends one entry with the given text and image number, and returns it.
    QTreeWidgetItem* AppendEntry(const QString& path, int icon);
    // The saved list at start-up: one entry per line, the icon by path kind.
    void RestoreEntries(const QStringList& lines);
    // The texts of all entries, top row first.
    QStringList EntryTexts() const;
    // The image number an entry was given.
    static int EntryIconOf(const QTreeWidgetItem& entry);

    // Position (from 1) of the selected entry, 0 when none is selected.
    int SelectedPosition() const;
    // Selects the entry at position (from 1) and scrolls it into view.
    void SelectPosition(int position);

    void RemoveFile();
    void MoveUp();
    void MoveDown();
    void RemoveAllItems();
    // The user clicked the selected entry: its documents are listed afresh,
    // every row ticked again.
    void SelectEntry();

    // The full path of the document at row (from 1) under the entry whose
    // documents are listed, or an empty string when it cannot be resolved.
    QString GetDocumentPath(int row) const;

private:
    QTreeWidgetItem* selectedEntry() const;
    void followSelection();
    QTreeWidgetItem* takeEntry(int position);
    void moveSelectedEntry(int from, int to);
    // Rebuilds the document list for an entry: one row for a file, the
    // folder's Word documents otherwise; every row ticked.
    void showDocumentsOf(QTreeWidgetItem& entry);
    void appendDocumentRow(const QString& name);

    QTreeWidget& m_entryList;
    QTreeWidget& m_documentList;
    const ImageList& m_imageList;
    WindowServices& m_services;
    // The entry the document list belongs to; entries are only deleted here.
    QTreeWidgetItem* m_shownEntry = nullptr;
    QMetaObject::Connection m_following;
    bool m_holdingSelection = false;
};

} // namespace plainora
