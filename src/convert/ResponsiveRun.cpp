#include "convert/ResponsiveRun.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <utility>

namespace plainora {

ResponsiveRun::ResponsiveRun(QWidget& window, QWidget* exitControl)
    : m_window(&window), m_exitControl(exitControl)
{
    QCoreApplication::instance()->installEventFilter(this);
    m_sinceEvents.start();
}

ResponsiveRun::~ResponsiveRun()
{
    if (m_worker.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_worker.join();
    }
    QCoreApplication::instance()->removeEventFilter(this);
    // Queued: the command that owns this run may still be on the stack.
    if (m_closeRequested && m_window)
        QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
}

void ResponsiveRun::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_work; });
        if (!m_work)
            return;
        const std::function<void()>* work = std::exchange(m_work, nullptr);
        lock.unlock();
        std::exception_ptr thrown;
        try {
            (*work)();
        } catch (...) {
            thrown = std::current_exception();
        }
        lock.lock();
        m_thrown = thrown;
        m_done = true;
        if (m_waitingLoop)
            QMetaObject::invokeMethod(m_waitingLoop, &QEventLoop::quit, Qt::QueuedConnection);
        m_changed.notify_all();
    }
}

void ResponsiveRun::runOffThread(const std::function<void()>& work)
{
    if (!m_worker.joinable())
        m_worker = std::thread([this] { serve(); });
    std::unique_lock lock(m_mutex);
    m_work = &work;
    m_done = false;
    m_changed.notify_all();

    // Short work ends before the window is due to be painted again: wait for
    // it without the cost of an event loop. Longer work gets one.
    const auto due = std::chrono::milliseconds(std::max<qint64>(0, PaintInterval - m_sinceEvents.elapsed()));
    if (!m_changed.wait_for(lock, due, [this] { return m_done; })) {
        QEventLoop loop;
        m_waitingLoop = &loop;
        lock.unlock();
        // The worker's quit is queued, so it is not lost if it comes before
        // exec() starts. exec() also returns when the application quits.
        loop.exec();
        lock.lock();
        m_waitingLoop = nullptr;
        m_changed.wait(lock, [this] { return m_done; });
        m_sinceEvents.restart();
    }
    const std::exception_ptr thrown = std::exchange(m_thrown, nullptr);
    lock.unlock();

    if (m_sinceEvents.elapsed() >= PaintInterval) {
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
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

bool ResponsiveRun::isExitControl(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return m_exitControl && widget && (widget == m_exitControl || m_exitControl->isAncestorOf(widget));
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
        if (event->isInputEvent() && belongsToWindow(watched) && !isExitControl(watched))
            return true;
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace plainora
