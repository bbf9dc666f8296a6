#include "app/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace plainora {

namespace {

// The handler only writes one byte into this pipe (write is async-signal-safe);
// the event loop reads it and does the real work.
int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

bool TerminationSignals::Catch()
{
    if (g_signalPipe[0] >= 0)
        return true;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool caught = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        caught = ::sigaction(signal, &action, nullptr) == 0 && caught;
    return caught;
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (g_signalPipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::closeWindows);
}

void TerminationSignals::closeWindows()
{
    char bytes[16];
    while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    // Closing the main window runs its unload, which saves the lists. Every
    // window is asked, also after one put its close off: a conversion run
    // ends after its current document and then closes the main window, and
    // a message box shown meanwhile must not hold it up.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->close();
    }
    // Otherwise the last window to close ends the program.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(),
                     [](const QWidget* window) { return window->isVisible(); }))
        QCoreApplication::quit();
}

} // namespace plainora
