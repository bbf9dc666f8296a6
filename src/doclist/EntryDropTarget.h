#pragma once
// Lets documents and folders dragged from a file manager be dropped onto a
// list view: the dropped paths are added as entries, in the order dropped.

#include "doclist/EntryPathAdder.h"

#include <QObject>

class QAbstractItemView;
class QDropEvent;

namespace plainora {

class EntryDropTarget : public QObject
{
    Q_OBJECT
public:
    // Watches view's viewport for drags and adds what is dropped to lists;
    // view owns this object, lists outlives it.
    EntryDropTarget(QAbstractItemView& view, InputDocumentList& lists);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a drag carries at least one existing file or folder.
    static bool offersEntries(const QDropEvent& event);

    EntryPathAdder m_adder;
    bool m_dragOffersEntries = false;
};

} // namespace plainora
