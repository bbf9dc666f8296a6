#pragma once
// What the main window asks of the desktop: message boxes, the shell and the
// busy pointer. One small interface, so tests can record every message and
// every shell target instead of showing them.

#include <QString>

namespace plainora {

enum class MessageIcon { None, Information, Critical };

class WindowServices
{
public:
    virtual ~WindowServices() = default;

    // A modal message box with an OK button only.
    virtual void showMessage(const QString& text, const QString& title, MessageIcon icon) = 0;
    // Hands a folder, a file or a web or mail address to the system's default handler.
    virtual void openInShell(const QString& target) = 0;
    // The hourglass pointer on (true) or back to the default pointer (false).
    virtual void setBusy(bool busy) = 0;
};

// The title of every message box of the program.
inline const QString MessageTitle = QStringLiteral("Plainora");

// Shows the busy pointer for as long as it lives, so every way out of a
// command restores the default pointer.
class BusyPointer
{
public:
    explicit BusyPointer(WindowServices& services) : m_services(services) { m_services.setBusy(true); }
    ~BusyPointer() { m_services.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    WindowServices& m_services;
};

} // namespace plainora
