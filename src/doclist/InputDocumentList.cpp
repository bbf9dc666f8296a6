#include "InputDocumentList.h"

#include "FolderScan.h"
#include "ImageList.h"
#include "NativePath.h"
#include "WindowServices.h"

#include <QFileInfo>
#include <QTreeWidget>

namespace plainora {

namespace {

constexpr int IconRole = Qt::UserRole;

} // namespace

InputDocumentList::InputDocumentList(QTreeWidget& entryList, QTreeWidget& documentList,
                                     const ImageList& images, WindowServices& services)
    : m_entries(entryList), m_documents(documentList), m_images(images), m_services(services)
{
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
    item->setIcon(0, m_images.image(icon));
    item->setData(0, IconRole, icon);
    m_entries.addTopLevelItem(item);
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
    for (int i = 0; i < m_entries.topLevelItemCount(); ++i)
        texts.append(m_entries.topLevelItem(i)->text(0));
    return texts;
}

int InputDocumentList::EntryIconOf(const QTreeWidgetItem& entry)
{
    return entry.data(0, IconRole).toInt();
}

int InputDocumentList::SelectedPosition() const
{
    const QList<QTreeWidgetItem*> selected = m_entries.selectedItems();
    return selected.isEmpty() ? 0 : m_entries.indexOfTopLevelItem(selected.first()) + 1;
}

void InputDocumentList::SelectPosition(int position)
{
    QTreeWidgetItem* item = m_entries.topLevelItem(position - 1);
    if (!item)
        return;
    m_entries.setCurrentItem(item);
    item->setSelected(true);
    m_entries.scrollToItem(item);
}

void InputDocumentList::RemoveFile()
{
    const int count = m_entries.topLevelItemCount();
    const int position = SelectedPosition();
    if (count == 0 || position == 0)
        return;
    delete m_entries.takeTopLevelItem(position - 1);
    if (count - 1 == 0) {
        m_documents.clear();
        return;
    }
    const int target = position == 1 ? 1 : position - 1;
    SelectPosition(target);
    showDocumentsBusy(m_entries.topLevelItem(target - 1)->text(0));
}

void InputDocumentList::MoveUp()
{
    const int position = SelectedPosition();
    if (position <= 1) // empty list, nothing selected, or already the first
        return;
    QTreeWidgetItem* item = m_entries.takeTopLevelItem(position - 1);
    m_entries.insertTopLevelItem(position - 2, item);
    SelectPosition(position - 1);
}

void InputDocumentList::MoveDown()
{
    const int count = m_entries.topLevelItemCount();
    const int position = SelectedPosition();
    if (position == 0 || position >= count)
        return;
    QTreeWidgetItem* item = m_entries.takeTopLevelItem(position - 1);
    m_entries.insertTopLevelItem(position, item);
    SelectPosition(position + 1);
}

void InputDocumentList::RemoveAllItems()
{
    m_entries.clear();
    m_documents.clear();
}

void InputDocumentList::SelectEntry()
{
    const int position = SelectedPosition();
    if (m_entries.topLevelItemCount() == 0 || position == 0)
        return;
    const QString path = m_entries.topLevelItem(position - 1)->text(0);
    m_documents.clear();
    showDocumentsBusy(path);
}

void InputDocumentList::showDocumentsBusy(const QString& path)
{
    BusyPointer busy(m_services);
    ShowEntryDocuments(path);
}

void InputDocumentList::ShowEntryDocuments(QString path)
{
    m_documents.clear();
    if (GetPathKind(path) == PathKind::File) {
        appendDocumentRow(QFileInfo(path).fileName());
    } else {
        for (const std::string& name : ScanFolderForDocuments(toNativePath(path)))
            appendDocumentRow(fromNativePath(name));
    }
    m_documents.viewport()->update();
}

void InputDocumentList::appendDocumentRow(const QString& name)
{
    auto* row = new QTreeWidgetItem(QStringList{name});
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(0, Qt::Checked);
    m_documents.addTopLevelItem(row);
}

QString InputDocumentList::GetDocumentPath(int row) const
{
    const int position = SelectedPosition();
    const QString entry = position > 0 ? m_entries.topLevelItem(position - 1)->text(0) : QString();
    const QTreeWidgetItem* document = row >= 1 ? m_documents.topLevelItem(row - 1) : nullptr;
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
