#include "doclist/EntryDropTarget.h"

#include "ui/NativePath.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>
#include <algorithm>

namespace plainora {

EntryDropTarget::EntryDropTarget(QAbstractItemView& view, InputDocumentList& lists)
    : QObject(&view), m_adder(lists)
{
    view.viewport()->setAcceptDrops(true);
    view.viewport()->installEventFilter(this);
}

bool EntryDropTarget::offersEntries(const QDropEvent& event)
{
    if (!event.mimeData())
        return false;
    const QStringList paths = EntryPathAdder::LocalPathsOf(*event.mimeData());
    return std::any_of(paths.begin(), paths.end(),
                       [](const QString& path) { return GetPathKind(path) != PathKind::Nothing; });
}

bool EntryDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    // The views do no drag and drop of their own; every drag over them is ours.
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        // The file system is asked once per drag, when it enters.
        if (event->type() == QEvent::DragEnter)
            m_dragOffersEntries = offersEntries(*drag);
        if (m_dragOffersEntries && (drag->possibleActions() & Qt::CopyAction)) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        m_dragOffersEntries = false;
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        m_dragOffersEntries = false;
        const QStringList paths =
            drop->mimeData() ? EntryPathAdder::LocalPathsOf(*drop->mimeData()) : QStringList();
        // The source must not delete what it dragged: the entries only name it.
        drop->setDropAction(Qt::CopyAction);
        if (m_adder.AddPaths(paths) > 0)
            drop->accept();
        else
            drop->ignore();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace plainora
