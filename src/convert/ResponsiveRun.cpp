#include "ResponsiveRun.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <thread>

namespace plainora {

ResponsiveRun::ResponsiveRun(QWidget& window) : m_window(&window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

ResponsiveRun::~ResponsiveRun()
{
    QCoreApplication::instance()->removeEventFilter(this);
    // Queued: the command that owns this run may still be on the stack.
    if (m_closeRequested && m_window)
        QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
}

void ResponsiveRun::runOffThread(const std::function<void()>& work)
{
    QEventLoop loop;
    std::exception_ptr thrown;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The quit is queued, so it cannot be lost before exec() starts. exec()
    // may also return early when the application quits; join() still waits.
    loop.exec();
    worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
}

bool ResponsiveRun::belongsToWindow(QObject* object) const
{
    if (!m_window)
        return false;
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        // A pop-up menu is a window of its own; it belongs to the window of
        // the menu bar or menu it drops from.
        QWidget* top = widget->window();
        while (top != m_window && top->windowType() == Qt::Popup && top->parentWidget())
            top = top->parentWidget()->window();
        return top == m_window;
    }
    // Menu commands reached by a shortcut are delivered to their action.
    if (auto* action = qobject_cast<QAction*>(object)) {
        const QList<QObject*> owners = action->associatedObjects();
        return std::any_of(owners.begin(), owners.end(),
                           [this](QObject* owner) { return belongsToWindow(owner); }) ||
               belongsToWindow(action->parent());
    }
    return false;
}

bool ResponsiveRun::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        if (watched == m_window) {
            m_closeRequested = true;
            event->ignore(); // an accepted close event would still hide the window
            return true;
        }
        break;
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (belongsToWindow(watched))
            return true;
        break;
    default:
        // Message boxes shown during the run are windows of their own and
        // keep their input.
        if (event->isInputEvent() && belongsToWindow(watched))
            return true;
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace plainora
