#pragma once
// A dialog backend for tests: records every request and answers from queues
// filled by the test. An empty queue answers like a cancel.

#include "dialogs/DialogBackend.h"

#include <deque>
#include <set>

namespace plainora {

class ScriptedDialogBackend : public DialogBackend
{
public:
    enum class Call { File, Folder, Color, Font, Printer, PrinterProperties, ScreenDpi, PrinterName };

    // Answers, taken from the front; std::nullopt is a cancel.
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<ColorRef>> colorAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<bool> printerAnswers;
    std::deque<bool> printerPropertiesAnswers; // what the property sheet reports
    std::optional<int> dpiY = 96;
    std::optional<QString> printerName = QStringLiteral("Office Laser");
    QString programDir = QStringLiteral("/opt/plainora/bin");
    // Calls that throw CommonDialogsError instead of answering.
    std::set<Call> failing;

    // Requests, in the order they came.
    std::vector<FileDialogRequest> fileRequests;
    std::vector<FolderDialogRequest> folderRequests;
    std::vector<ColorDialogRequest> colorRequests;
    std::vector<FontDialogRequest> fontRequests;
    std::vector<PrinterDialogRequest> printerRequests;
    std::vector<PrinterPropertiesRequest> printerPropertiesRequests;

    // Any dialog shown at all.
    std::size_t dialogCount() const;

    std::optional<QString> chooseFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const FolderDialogRequest& request) override;
    std::optional<ColorRef> chooseColor(const ColorDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontDialogRequest& request) override;
    bool setUpPrinter(const PrinterDialogRequest& request) override;
    PrinterPropertiesResult showPrinterProperties(const PrinterPropertiesRequest& request) override;
    std::optional<int> screenDpiY(QWidget* owner) override;
    std::optional<QString> currentPrinterName() override;
    QString programDirectory() override;

private:
    void failIfScripted(Call call) const;
};

} // namespace plainora
