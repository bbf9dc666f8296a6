#pragma once
// A request to end the program from outside (the session ends and sends
// SIGTERM, Ctrl+C in a terminal, the terminal closes) closes the windows like
// Exit does, so the lists are saved as the settings say instead of being lost;
// a conversion run stops after the document it is converting.

#include <QObject>

class QSocketNotifier;

namespace plainora {

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Catches SIGTERM, SIGINT and SIGHUP. Call first thing in main: a signal
    // that comes before the event loop runs is kept until it does.
    static bool Catch();

    // Closes every window once the event loop runs and a signal has come.
    explicit TerminationSignals(QObject* parent = nullptr);

private:
    void closeWindows();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace plainora
