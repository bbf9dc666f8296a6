#include "EntryListView.h"

#include <QKeyEvent>

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
        if (item && item->isSelected())
            emit ItemClick();
    });
}

void EntryListView::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before && after->isSelected())
        emit ItemClick();
}

} // namespace plainora
