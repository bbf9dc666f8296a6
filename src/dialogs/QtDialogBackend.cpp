#include "dialogs/QtDialogBackend.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <cmath>

namespace plainora {

namespace {

// A file dialog that keeps itself open while the chosen path does not fit
// the caller's buffer, instead of failing silently after the choice.
class BoundedFileDialog : public QFileDialog
{
public:
    BoundedFileDialog(QWidget* parent, int maxPathLength)
        : QFileDialog(parent), m_maxPathLength(maxPathLength)
    {
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (m_maxPathLength > 0 && !files.isEmpty() && files.first().size() > m_maxPathLength) {
            QMessageBox::warning(this, windowTitle(),
                                 tr("The path of this file is longer than %1 characters. "
                                    "Choose a file in a folder with a shorter path.")
                                     .arg(m_maxPathLength));
            return;
        }
        QFileDialog::accept();
    }

private:
    int m_maxPathLength;
};

} // namespace

QColor toQColor(ColorRef color)
{
    const auto value = std::uint32_t(color);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorRef toColorRef(const QColor& color)
{
    return ColorRef(std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) |
                    (std::uint32_t(color.blue()) << 16));
}

QStringList QtDialogBackend::nameFilters(const FileDialogRequest& request)
{
    QStringList filters;
    for (const auto& [description, pattern] : request.filterPairs()) {
        QStringList patterns;
        for (const QString& one : pattern.split(u';', Qt::SkipEmptyParts))
            if (!one.trimmed().isEmpty())
                patterns << one.trimmed();
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
    }
    return filters;
}

QString QtDialogBackend::initialFileName(const FileDialogRequest& request)
{
    QString name = request.fileBuffer.left(request.fileBuffer.indexOf(QChar(u'\0')));
    while (name.endsWith(u' '))
        name.chop(1);
    return name;
}

std::optional<QString> QtDialogBackend::chooseFile(const FileDialogRequest& request)
{
    BoundedFileDialog dialog(request.owner.data(), request.maxPathLength);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.caption)
        dialog.setWindowTitle(*request.caption);

    const QStringList filters = nameFilters(request);
    dialog.setNameFilters(filters);
    const int index = request.filterIndex > 0 ? request.filterIndex - 1 : 0;
    if (index < filters.size())
        dialog.selectNameFilter(filters[index]);

    if (request.initialFolder && !request.initialFolder->isEmpty())
        dialog.setDirectory(*request.initialFolder);
    if (request.defaultExtension && !request.defaultExtension->isEmpty()) {
        QString suffix = *request.defaultExtension;
        while (suffix.startsWith(u'.'))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
    }
    const QString initial = initialFileName(request);
    if (!initial.isEmpty())
        dialog.selectFile(initial);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}

std::optional<QString> QtDialogBackend::chooseFolder(const FolderDialogRequest& request)
{
    QFileDialog dialog(request.owner.data());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setWindowTitle(request.prompt.isEmpty() ? QFileDialog::tr("Browse for Folder") : request.prompt);
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Absolute and without a trailing "/", except for the root itself.
    return QDir::cleanPath(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
}

std::optional<ColorRef> QtDialogBackend::chooseColor(const ColorDialogRequest& request)
{
    for (int i = 0; i < int(request.customColors.size()); ++i)
        QColorDialog::setCustomColor(i, toQColor(request.customColors[i]));
    QColorDialog dialog(toQColor(request.initialColor), request.owner.data());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return toColorRef(dialog.selectedColor());
}

std::optional<FontChoice> QtDialogBackend::chooseFont(const FontDialogRequest& request)
{
    const LogFont& logFont = request.logFont;
    QFont font;
    if (!logFont.faceName.isEmpty())
        font.setFamily(logFont.faceName);
    if (logFont.height != 0 && request.screenDpiY > 0)
        font.setPointSizeF(std::abs(logFont.height) * 72.0 / request.screenDpiY);
    font.setWeight(logFont.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(logFont.italic);
    font.setUnderline(logFont.underline);

    QFontDialog dialog(font, request.owner.data());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    const QFont chosen = dialog.selectedFont();
    double points = chosen.pointSizeF();
    if (points <= 0 && chosen.pixelSize() > 0 && request.screenDpiY > 0)
        points = chosen.pixelSize() * 72.0 / request.screenDpiY;
    FontChoice choice;
    choice.faceName = chosen.family();
    choice.pointSizeTenths = int(std::lround(points * 10));
    choice.bold = chosen.weight() >= QFont::Bold;
    choice.italic = chosen.italic();
    return choice;
}

bool QtDialogBackend::setUpPrinter(const PrinterDialogRequest& request)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, request.owner.data());
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, !request.noSelection);
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !request.noPageNumbers);
    options.setFlag(QAbstractPrintDialog::PrintCurrentPage, !request.noPageNumbers);
    options.setFlag(QAbstractPrintDialog::PrintToFile, !request.hidePrintToFile);
    dialog.setOptions(options);
    return dialog.exec() == QDialog::Accepted;
}

PrinterPropertiesResult QtDialogBackend::showPrinterProperties(const PrinterPropertiesRequest& request)
{
    PrinterPropertiesResult result;
    if (request.printerName.isEmpty())
        return result;
    const QPrinterInfo info = QPrinterInfo::printerInfo(request.printerName);
    if (info.isNull())
        return result;
    result.opened = true;
    QPrinter printer(info);
    QPageSetupDialog dialog(&printer, request.owner.data());
    result.confirmed = dialog.exec() == QDialog::Accepted;
    return result;
}

std::optional<int> QtDialogBackend::screenDpiY(QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return int(std::lround(screen->logicalDotsPerInchY()));
}

std::optional<QString> QtDialogBackend::currentPrinterName()
{
    const QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

QString QtDialogBackend::programDirectory()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace plainora
