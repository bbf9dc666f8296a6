#include "app/QtWindowServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace plainora {

void QtWindowServices::showMessage(const QString& text, const QString& title, MessageIcon icon)
{
    const QMessageBox::Icon boxIcon = icon == MessageIcon::Information ? QMessageBox::Information
                                      : icon == MessageIcon::Critical  ? QMessageBox::Critical
                                                                       : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, m_owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtWindowServices::openInShell(const QString& target)
{
    // A path (absolute, or relative to the working folder) is opened as a
    // local file; anything with a scheme ("https:", "mailto:") as an address.
    // A relative path that exists stays a path even when it looks like one
    // ("notes:2009").
    const QUrl address(target);
    const bool isAddress = address.isValid() && address.scheme().size() > 1 &&
                           !QDir::isAbsolutePath(target) && !QFileInfo::exists(target);
    QDesktopServices::openUrl(isAddress ? address
                                        : QUrl::fromLocalFile(QDir::current().absoluteFilePath(target)));
}

void QtWindowServices::setBusy(bool busy)
{
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace plainora
