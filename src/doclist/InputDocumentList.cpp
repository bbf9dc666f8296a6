#include "doclist/InputDocumentList.h"

#include "doclist/ImageList.h"
#include "rules/FolderScan.h"
#include "ui/NativePath.h"
#include "ui/WindowServices.h"

#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace plainora {

namespace {

constexpr int IconRole = Qt::UserRole;

} // namespace

InputDocumentList::InputDocumentList(QTreeWidget& entryList, QTreeWidget& documentList,
                                     const ImageList& images, WindowServices& services)
    : m_entryList(entryList), m_documentList(documentList), m_imageList(images), m_services(services)
{
    m_following = QObject::connect(&m_entryList, &QTreeWidget::itemSelectionChanged, &m_entryList,
                                   [this] { followSelection(); });
}

InputDocumentList::~InputDocumentList()
{
    QObject::disconnect(m_following);
}

int InputDocumentList::IconForPathKind(PathKind kind)
{
    switch (kind) {
    case PathKind::File:
        return DocumentIcon;
    case PathKind::Folder:
        return FolderIcon;
    case PathKind::Nothing:
        break;
    }
    return MissingIcon;
}

QTreeWidgetItem* InputDocumentList::AppendEntry(const QString& path, int icon)
{
    auto* item = new QTreeWidgetItem(QStringList{path});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setIcon(0, m_imageList.image(icon));
    item->setData(0, IconRole, icon);
    m_entryList.addTopLevelItem(item);
    return item;
}

void InputDocumentList::RestoreEntries(const QStringList& lines)
{
    for (const QString& line : lines)
        AppendEntry(line, IconForPathKind(GetPathKind(line)));
}

QStringList InputDocumentList::EntryTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_entryList.topLevelItemCount(); ++i)
        texts.append(m_entryList.topLevelItem(i)->text(0));
    return texts;
}

int InputDocumentList::EntryIconOf(const QTreeWidgetItem& entry)
{
    return entry.data(0, IconRole).toInt();
}

QTreeWidgetItem* InputDocumentList::selectedEntry() const
{
    const QList<QTreeWidgetItem*> selected = m_entryList.selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

int InputDocumentList::SelectedPosition() const
{
    QTreeWidgetItem* selected = selectedEntry();
    return selected ? m_entryList.indexOfTopLevelItem(selected) + 1 : 0;
}

void InputDocumentList::SelectPosition(int position)
{
    QTreeWidgetItem* item = m_entryList.topLevelItem(position - 1);
    if (!item)
        return;
    m_entryList.setCurrentItem(item);
    item->setSelected(true);
    m_entryList.scrollToItem(item);
}

void InputDocumentList::RemoveFile()
{
    const int count = m_entryList.topLevelItemCount();
    const int position = SelectedPosition();
    if (count == 0 || position == 0)
        return;
    QTreeWidgetItem* removed = takeEntry(position);
    if (removed == m_shownEntry)
        m_shownEntry = nullptr;
    delete removed;
    if (count - 1 == 0) {
        m_documentList.clear();
        return;
    }
    SelectPosition(position == 1 ? 1 : position - 1);
    followSelection(); // the view may have selected it already
}

QTreeWidgetItem* InputDocumentList::takeEntry(int position)
{
    // The view selects a neighbour of the row taken out: no choice of the user's.
    const QScopedValueRollback holding(m_holdingSelection, true);
    return m_entryList.takeTopLevelItem(position - 1);
}

void InputDocumentList::moveSelectedEntry(int from, int to)
{
    // The entry leaves the list for a moment; its documents stay listed.
    const QScopedValueRollback holding(m_holdingSelection, true);
    m_entryList.insertTopLevelItem(to - 1, m_entryList.takeTopLevelItem(from - 1));
    SelectPosition(to);
}

void InputDocumentList::MoveUp()
{
    const int position = SelectedPosition();
    if (position <= 1) // empty list, nothing selected, or already the first
        return;
    moveSelectedEntry(position, position - 1);
}

void InputDocumentList::MoveDown()
{
    const int count = m_entryList.topLevelItemCount();
    const int position = SelectedPosition();
    if (position == 0 || position >= count)
        return;
    moveSelectedEntry(position, position + 1);
}

void InputDocumentList::RemoveAllItems()
{
    m_shownEntry = nullptr;
    m_entryList.clear();
    m_documentList.clear();
}

void InputDocumentList::SelectEntry()
{
    if (QTreeWidgetItem* selected = selectedEntry())
        showDocumentsOf(*selected);
}

void InputDocumentList::followSelection()
{
    // Nothing selected (for a moment, while an entry moves, or after the user
    // unselected it) leaves the list alone; so does the same entry again.
    QTreeWidgetItem* selected = selectedEntry();
    if (!m_holdingSelection && selected && selected != m_shownEntry)
        showDocumentsOf(*selected);
}

void InputDocumentList::showDocumentsOf(QTreeWidgetItem& entry)
{
    BusyPointer busy(m_services);
    m_shownEntry = &entry;
    m_documentList.clear();
    const QString path = entry.text(0);
    if (GetPathKind(path) == PathKind::File) {
        appendDocumentRow(QFileInfo(path).fileName());
    } else {
        for (const std::string& name : ScanFolderForDocuments(toNativePath(path)))
            appendDocumentRow(fromNativePath(name));
    }
    m_documentList.viewport()->update();
}

void InputDocumentList::appendDocumentRow(const QString& name)
{
    auto* row = new QTreeWidgetItem(QStringList{name});
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(0, Qt::Checked);
    m_documentList.addTopLevelItem(row);
}

QString InputDocumentList::GetDocumentPath(int row) const
{
    const QString entry = m_shownEntry ? m_shownEntry->text(0) : QString();
    const QTreeWidgetItem* document = row >= 1 ? m_documentList.topLevelItem(row - 1) : nullptr;
    const QString name = document ? document->text(0) : QString();
    switch (GetPathKind(entry)) {
    case PathKind::File:
        return entry;
    case PathKind::Folder: {
        // The separator is always inserted, also after a trailing one:
        // "/" and "a.doc" give "//a.doc", which names "/a.doc".
        const QString joined = entry + QLatin1Char('/') + name;
        return GetPathKind(joined) == PathKind::File ? joined : QString();
    }
    case PathKind::Nothing:
        break;
    }
    return {};
}

} // namespace plainora
