#include "ScriptedDialogBackend.h"

#include "dialogs/CommonDialogsError.h"

namespace plainora {

namespace {

template <typename T> T takeFront(std::deque<T>& queue, T whenEmpty)
{
    if (queue.empty())
        return whenEmpty;
    whenEmpty = queue.front();
    queue.pop_front();
    return whenEmpty;
}

} // namespace

void ScriptedDialogBackend::failIfScripted(Call call) const
{
    if (failing.count(call))
        throw CommonDialogsError(CommonDialogsError::DialogFailed, QStringLiteral("scripted failure"));
}

std::size_t ScriptedDialogBackend::dialogCount() const
{
    return fileRequests.size() + folderRequests.size() + colorRequests.size() + fontRequests.size() +
           printerRequests.size() + printerPropertiesRequests.size();
}

std::optional<QString> ScriptedDialogBackend::chooseFile(const FileDialogRequest& request)
{
    failIfScripted(Call::File);
    fileRequests.push_back(request);
    return takeFront(fileAnswers, std::optional<QString>());
}

std::optional<QString> ScriptedDialogBackend::chooseFolder(const FolderDialogRequest& request)
{
    failIfScripted(Call::Folder);
    folderRequests.push_back(request);
    return takeFront(folderAnswers, std::optional<QString>());
}

std::optional<ColorRef> ScriptedDialogBackend::chooseColor(const ColorDialogRequest& request)
{
    failIfScripted(Call::Color);
    colorRequests.push_back(request);
    return takeFront(colorAnswers, std::optional<ColorRef>());
}

std::optional<FontChoice> ScriptedDialogBackend::chooseFont(const FontDialogRequest& request)
{
    failIfScripted(Call::Font);
    fontRequests.push_back(request);
    return takeFront(fontAnswers, std::optional<FontChoice>());
}

bool ScriptedDialogBackend::setUpPrinter(const PrinterDialogRequest& request)
{
    failIfScripted(Call::Printer);
    printerRequests.push_back(request);
    return takeFront(printerAnswers, false);
}

PrinterPropertiesResult ScriptedDialogBackend::showPrinterProperties(const PrinterPropertiesRequest& request)
{
    failIfScripted(Call::PrinterProperties);
    printerPropertiesRequests.push_back(request);
    PrinterPropertiesResult result;
    // Only a printer that exists can be opened.
    result.opened = printerName && request.printerName == *printerName;
    result.confirmed = result.opened && takeFront(printerPropertiesAnswers, false);
    return result;
}

std::optional<int> ScriptedDialogBackend::screenDpiY(QWidget*)
{
    failIfScripted(Call::ScreenDpi);
    return dpiY;
}

std::optional<QString> ScriptedDialogBackend::currentPrinterName()
{
    failIfScripted(Call::PrinterName);
    return printerName;
}

QString ScriptedDialogBackend::programDirectory()
{
    return programDir;
}

} // namespace plainora
