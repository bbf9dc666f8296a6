#pragma once
// Keeps a window painted but closed to the user while a long command runs:
// user input to the window is dropped, a close is put off until the command
// ends, and the command's heavy work runs on a worker thread while the
// user-interface thread goes on painting.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace plainora {

class ResponsiveRun : public QObject
{
public:
    explicit ResponsiveRun(QWidget& window);
    // Lets input in again; a close asked for during the run follows as soon
    // as control is back in the event loop.
    ~ResponsiveRun() override;
    ResponsiveRun(const ResponsiveRun&) = delete;
    ResponsiveRun& operator=(const ResponsiveRun&) = delete;

    // Runs work to completion on a worker thread while paint, timer and
    // other non-input events go on being handled here. Rethrows what the
    // work threw. Must be called on the user-interface thread.
    void runOffThread(const std::function<void()>& work);

    bool closeRequested() const { return m_closeRequested; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToWindow(QObject* object) const;

    QPointer<QWidget> m_window;
    bool m_closeRequested = false;
};

} // namespace plainora
