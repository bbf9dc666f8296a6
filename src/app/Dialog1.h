#pragma once
// The About box: program name and version, the support address and the home
// page as two links, and OK. Shown modally by the About command; each
// showing is a fresh box.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace plainora {

// Hands a target (a web address or a mail link) to the desktop.
using ShellOpener = std::function<void(const QString& target)>;

class Dialog1 : public QDialog
{
    Q_OBJECT
public:
    // openInShell receives the link targets; without one they go to
    // QDesktopServices.
    explicit Dialog1(ShellOpener openInShell, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                     int height);
    void makeLink(QLabel* label);
    void openInShell(const QString& target);

    ShellOpener m_openInShell;
    QLabel* m_mailLink = nullptr; // Label2
    QLabel* m_homeLink = nullptr; // Label8
};

} // namespace plainora
