#pragma once
// A WindowServices that records instead of showing: every message, every
// shell target and every change of the busy pointer.

#include "QtPrint.h"
#include "ui/WindowServices.h"

#include <QList>
#include <QString>
#include <vector>

namespace plainora::test {

struct RecordedMessage
{
    QString text;
    QString title;
    MessageIcon icon;
};

class RecordingServices : public WindowServices
{
public:
    void showMessage(const QString& text, const QString& title, MessageIcon icon) override
    {
        messages.push_back({text, title, icon});
    }
    void openInShell(const QString& target) override { shellTargets.append(target); }
    void setBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        if (busy)
            ++busyCount;
    }

    std::vector<RecordedMessage> messages;
    QList<QString> shellTargets;
    int busyDepth = 0; // 0 when the pointer is back to default
    int busyCount = 0; // how often the busy pointer was shown
};

} // namespace plainora::test
