#include "doclist/EntryListView.h"

namespace plainora {

void EntryListView::SetUpReportView(QTreeWidget& view)
{
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setSortingEnabled(false);
    view.setUniformRowHeights(true);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setAllColumnsShowFocus(true);
}

EntryListView::EntryListView(QWidget* parent) : QTreeWidget(parent)
{
    SetUpReportView(*this);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->isSelected() && !m_pressChangedSelection)
            emit ItemClick();
    });
}

void EntryListView::mousePressEvent(QMouseEvent* event)
{
    const QList<QTreeWidgetItem*> before = selectedItems();
    QTreeWidget::mousePressEvent(event);
    m_pressChangedSelection = selectedItems() != before;
}

} // namespace plainora
