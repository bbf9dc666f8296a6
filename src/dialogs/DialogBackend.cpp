#include "dialogs/DialogBackend.h"

#include "dialogs/QtDialogBackend.h"

namespace plainora {

std::vector<std::pair<QString, QString>> FileDialogRequest::filterPairs() const
{
    // The list ends at the first empty description, as the double NUL ends it
    // for the Windows dialogs.
    const QStringList pieces = filterText.split(QChar(u'\0'));
    std::vector<std::pair<QString, QString>> pairs;
    for (qsizetype i = 0; i < pieces.size() && !pieces[i].isEmpty(); i += 2)
        pairs.emplace_back(pieces[i], i + 1 < pieces.size() ? pieces[i + 1] : QString());
    return pairs;
}

namespace {

std::shared_ptr<DialogBackend>& standardBackend()
{
    static std::shared_ptr<DialogBackend> backend;
    return backend;
}

} // namespace

std::shared_ptr<DialogBackend> DialogBackend::standard()
{
    std::shared_ptr<DialogBackend>& backend = standardBackend();
    if (!backend)
        backend = std::make_shared<QtDialogBackend>();
    return backend;
}

std::shared_ptr<DialogBackend> DialogBackend::setStandard(std::shared_ptr<DialogBackend> backend)
{
    std::shared_ptr<DialogBackend> previous = standardBackend();
    standardBackend() = std::move(backend);
    return previous;
}

} // namespace plainora
