#pragma once
// The dialogs of the running program: Qt's own (never the desktop's native
// ones), so that every desktop and the offscreen tests behave alike.

#include "dialogs/DialogBackend.h"

namespace plainora {

class QtDialogBackend : public DialogBackend
{
public:
    std::optional<QString> chooseFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const FolderDialogRequest& request) override;
    std::optional<ColorRef> chooseColor(const ColorDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontDialogRequest& request) override;
    bool setUpPrinter(const PrinterDialogRequest& request) override;
    PrinterPropertiesResult showPrinterProperties(const PrinterPropertiesRequest& request) override;

    std::optional<int> screenDpiY(QWidget* owner) override;
    std::optional<QString> currentPrinterName() override;
    QString programDirectory() override;

    // Qt name filters ("Word File (*.doc *.docx)") for the NUL-separated pairs of a request.
    static QStringList nameFilters(const FileDialogRequest& request);
    // The initial file name that a request's file buffer offers.
    static QString initialFileName(const FileDialogRequest& request);
};

QColor toQColor(ColorRef color);
ColorRef toColorRef(const QColor& color);

} // namespace plainora
