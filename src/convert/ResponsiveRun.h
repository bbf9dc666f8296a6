#pragma once
// Keeps a window painted but closed to the user while a long command runs:
// user input to the window is dropped (except to the control that closes
// it), a close is put off until the command ends and recorded so that the
// command can end early, and the command's heavy work runs on a worker
// thread while the user-interface thread goes on painting.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class QEventLoop;
class QWidget;

namespace plainora {

class ResponsiveRun : public QObject
{
public:
    // exitControl, when given, is the window's own control that closes it:
    // it keeps its input.
    explicit ResponsiveRun(QWidget& window, QWidget* exitControl = nullptr);
    // Ends the worker and lets input in again; a close asked for during the
    // run follows as soon as control is back in the event loop.
    ~ResponsiveRun() override;
    ResponsiveRun(const ResponsiveRun&) = delete;
    ResponsiveRun& operator=(const ResponsiveRun&) = delete;

    // Runs work to completion on the run's worker thread. Paint, timer and
    // other non-input events are handled here at least every PaintInterval,
    // also while one piece of work takes long. Rethrows what the work threw.
    // Must be called on the user-interface thread.
    void runOffThread(const std::function<void()>& work);

    bool closeRequested() const { return m_closeRequested; }

    static constexpr int PaintInterval = 25; // milliseconds

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToWindow(QObject* object) const;
    bool isExitControl(QObject* object) const;
    void serve();

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_exitControl;
    bool m_closeRequested = false;
    QElapsedTimer m_sinceEvents;

    // Hand-over between this thread and the worker, guarded by m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::function<void()>* m_work = nullptr;
    bool m_done = false;
    bool m_stop = false;
    std::exception_ptr m_thrown;
    QEventLoop* m_waitingLoop = nullptr;
    std::thread m_worker; // started with the first piece of work
};

} // namespace plainora
