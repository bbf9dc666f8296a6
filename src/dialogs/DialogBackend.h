#pragma once
// What CCommonDialogs hands to a dialog, and the interface of whatever shows
// it. The requests carry what the Windows dialog records carry (OPENFILENAME,
// BROWSEINFO, CHOOSECOLOR, CHOOSEFONT, PRINTDLG, PRINTER_DEFAULTS), so that the
// object's rules can be tested without a screen; QtDialogBackend shows real
// Qt dialogs, a scripted backend answers them in the tests.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace plainora {

// A colour as Windows stores it: red in the low byte, then green, then blue.
using ColorRef = std::int32_t;

struct FileDialogRequest
{
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QPointer<QWidget> owner;
    // Descriptions and patterns, each ended by one NUL ("Word File(*.doc;*.docx)\0*.doc;*.docx\0").
    QString filterText;
    // 1-based index of the pair selected first; 0 leaves the choice to the dialog.
    int filterIndex = 0;
    // The file buffer as offered: its text up to the first NUL, trailing
    // spaces removed, is the initial file name.
    QString fileBuffer;
    // The longest path that fits the file buffer; a longer choice fails the dialog.
    int maxPathLength = 0;
    std::optional<QString> initialFolder; // none: the dialog picks its own
    std::optional<QString> caption;       // none: the dialog's own caption
    std::optional<QString> defaultExtension;
    bool fileMustExist = false;
    bool hideReadOnly = false;
    bool overwritePrompt = false;
    bool allowMultipleFiles = false;

    // filterText as (description, pattern) pairs; a lone last description gets an empty pattern.
    std::vector<std::pair<QString, QString>> filterPairs() const;
};

struct FolderDialogRequest
{
    QPointer<QWidget> owner;
    QString prompt;             // shown above the folder tree
    bool fromDesktop = true;    // no root: the whole namespace is shown
    bool fileSystemOnly = true; // only file-system folders can be confirmed
    bool belowDomain = false;   // network folders below the domain level are not shown
};

struct ColorDialogRequest
{
    QPointer<QWidget> owner;
    ColorRef initialColor = 0;
    std::array<ColorRef, 16> customColors{}; // a new table on every call
    bool fullOpen = false;                   // custom-colour part opened at once
};

// The LOGFONT fields that the font dialog starts from.
struct LogFont
{
    int height = 0; // negative: character height in pixels of the screen
    int weight = 0; // 0 default, 700 bold
    bool italic = false;
    bool underline = false;
    QString faceName; // at most 31 characters
};

struct FontDialogRequest
{
    QPointer<QWidget> owner;
    LogFont logFont;
    int screenDpiY = 0;                 // the dpi that logFont.height was computed for; 0 when unknown
    std::optional<QString> printerName; // the current printer, whose fonts are listed too
    ColorRef color = 0;
    bool screenFonts = true;
    bool printerFonts = true;
    bool initFromLogFont = true;
    bool forceFontExist = true;
    bool effects = false; // no underline, strike-out or colour controls
};

struct FontChoice
{
    QString faceName;
    int pointSizeTenths = 0;
    bool bold = false;
    bool italic = false;
};

struct PrinterDialogRequest
{
    QPointer<QWidget> owner;
    bool noSelection = true;
    bool noPageNumbers = true;
    bool hidePrintToFile = true;
};

struct PrinterPropertiesRequest
{
    QPointer<QWidget> owner;
    QString printerName;
    bool accessUse = true; // opened for use, not for administration
};

struct PrinterPropertiesResult
{
    bool opened = false;    // the printer could be opened
    bool confirmed = false; // its property sheet reported success
};

// Shows the dialogs. Each method is modal and returns when its dialog closes:
// nothing for a cancel or a dialog that failed, else the user's choice. A
// backend that cannot show a dialog at all throws CommonDialogsError.
class DialogBackend
{
public:
    virtual ~DialogBackend() = default;

    // The chosen file's absolute path.
    virtual std::optional<QString> chooseFile(const FileDialogRequest& request) = 0;
    // The chosen folder's absolute path.
    virtual std::optional<QString> chooseFolder(const FolderDialogRequest& request) = 0;
    virtual std::optional<ColorRef> chooseColor(const ColorDialogRequest& request) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontDialogRequest& request) = 0;
    virtual bool setUpPrinter(const PrinterDialogRequest& request) = 0;
    virtual PrinterPropertiesResult showPrinterProperties(const PrinterPropertiesRequest& request) = 0;

    // Vertical dots per inch of the screen that shows owner's dialogs; none when unknown.
    virtual std::optional<int> screenDpiY(QWidget* owner) = 0;
    // The current (default) printer's name; none without a printer.
    virtual std::optional<QString> currentPrinterName() = 0;
    // The folder of the running program, without a trailing "/" unless it is "/".
    virtual QString programDirectory() = 0;

    // The backend that CCommonDialogs objects use when none is given: the Qt
    // dialogs, unless a test or the program set another.
    static std::shared_ptr<DialogBackend> standard();
    // Replaces the standard backend; returns the one it replaced. nullptr restores the Qt dialogs.
    static std::shared_ptr<DialogBackend> setStandard(std::shared_ptr<DialogBackend> backend);
};

} // namespace plainora
