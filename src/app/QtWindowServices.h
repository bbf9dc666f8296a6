#pragma once
// The window's services on the real desktop: QMessageBox, the desktop's
// default handlers and the application's override cursor.

#include "ui/WindowServices.h"

class QWidget;

namespace plainora {

class QtWindowServices : public WindowServices
{
public:
    // Message boxes are modal to owner (none: application-modal).
    explicit QtWindowServices(QWidget* owner = nullptr) : m_owner(owner) {}

    void setOwner(QWidget* owner) { m_owner = owner; }

    void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
    void openInShell(const QString& target) override;
    void setBusy(bool busy) override;

private:
    QWidget* m_owner = nullptr;
    int m_busyDepth = 0;
};

} // namespace plainora
