#include "dialogs/CCommonDialogs.h"

#include <QDir>
#include <array>
#include <limits>

namespace plainora {

namespace {

const QChar Nul(u'\0');

// The file buffers of the open dialog and the folder browser: MAX_PATH.
constexpr int OpenBufferLength = 260;
// The save dialog's buffers are 256 NULs, of which nMaxFile (255) may be
// written: the path and its terminating NUL.
constexpr int SaveBufferLength = 256;
constexpr int SaveMaxFile = 255;
// LOGFONT.lfFaceName is 32 bytes; the last one always ends the name.
constexpr int FaceNameMaxLength = 31;

QString cutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(Nul);
    return nul < 0 ? text : text.left(nul);
}

// Only spaces, as the Basic Trim function removes them.
bool isBlank(const QString& text)
{
    for (QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

// What a dialog does with a buffer it was given: writes text and a NUL from
// its start and leaves the rest of the buffer as it was.
QString fillBuffer(const QString& buffer, const QString& text)
{
    QString filled = text + Nul;
    if (buffer.size() > filled.size())
        filled += buffer.mid(filled.size());
    return filled;
}

// The folder part of an absolute file path: up to its last "/", or "/" itself
// for a file in the root folder (where the cut would leave nothing).
QString folderOf(const QString& filePath)
{
    const qsizetype slash = filePath.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : filePath.left(slash);
}

QString nameOf(const QString& filePath)
{
    return filePath.mid(filePath.lastIndexOf(u'/') + 1);
}

// Runs one backend call of an operation that raises its errors.
template <typename Call> auto raising(Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const CommonDialogsError&) {
        throw;
    } catch (const std::exception& e) {
        throw CommonDialogsError(
            CommonDialogsError::DialogFailed,
            QStringLiteral("The dialog could not be shown: %1").arg(QString::fromUtf8(e.what())));
    }
}

// Runs one step of an operation that skips failing steps.
template <typename Step> void guarded(Step&& step)
{
    try {
        step();
    } catch (...) {
    }
}

} // namespace

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // Round half away from zero: compare twice the remainder with the divisor.
    if (2 * (remainder < 0 ? -remainder : remainder) >= (c < 0 ? -std::int64_t(c) : c))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<std::int32_t>::max() ||
        quotient < std::numeric_limits<std::int32_t>::min())
        return -1;
    return std::int32_t(quotient);
}

CCommonDialogs::CCommonDialogs() : CCommonDialogs(DialogBackend::standard()) {}

CCommonDialogs::CCommonDialogs(std::shared_ptr<DialogBackend> backend) : m_backend(std::move(backend))
{
    if (!m_backend)
        m_backend = DialogBackend::standard();
}

void CCommonDialogs::Init(QWidget* ownerForm)
{
    m_owner = ownerForm;
}

QString CCommonDialogs::Title() const
{
    return cutAtNul(m_title);
}

QString CCommonDialogs::Path() const
{
    return cutAtNul(m_path);
}

QString CCommonDialogs::FileTitle() const
{
    return cutAtNul(m_fileTitle);
}

QString CCommonDialogs::FileName() const
{
    return cutAtNul(m_fileName);
}

QWidget* CCommonDialogs::requireOwner() const
{
    if (!m_owner)
        throw CommonDialogsError(CommonDialogsError::NoOwner,
                                 QStringLiteral("The dialog has no owner window: call Init with the window "
                                                "that owns the dialog before showing it."));
    return m_owner.data();
}

bool CCommonDialogs::ShowOpen()
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.owner = requireOwner();

    // The one filter, whatever Filter holds.
    request.filterText =
        QStringLiteral("Word File(*.doc;*.docx)") + Nul + QStringLiteral("*.doc;*.docx") + Nul;

    const QString fileName = FileName();
    if (fileName.size() > OpenBufferLength)
        throw CommonDialogsError(CommonDialogsError::InvalidArgument,
                                 QStringLiteral("The file name is longer than %1 characters. Set a shorter "
                                                "FileName before showing the open dialog.")
                                     .arg(OpenBufferLength));
    request.fileBuffer = fileName.leftJustified(OpenBufferLength, u' ');
    const QString titleBuffer(OpenBufferLength, u' ');
    request.maxPathLength = OpenBufferLength;

    if (!m_title.isNull())
        request.caption = Title();
    if (!m_defExt.isNull())
        request.defaultExtension = m_defExt;
    request.fileMustExist = true;
    request.hideReadOnly = true;

    const std::optional<QString> chosen = raising([&] { return m_backend->chooseFile(request); });
    // A path that does not fit the buffer fails the dialog, like a cancel.
    if (!chosen || chosen->isEmpty() || chosen->size() > request.maxPathLength)
        return false;

    m_fileTitle = fillBuffer(titleBuffer, nameOf(cutAtNul(*chosen)));
    m_fileName = cutAtNul(fillBuffer(request.fileBuffer, *chosen));
    m_path = folderOf(FileName());
    return true;
}

bool CCommonDialogs::ShowSave()
{
    // Path is normalised before the dialog, so it changes even on a cancel.
    QString path = Path();
    if (isBlank(path)) {
        setPath(m_backend->programDirectory());
    } else {
        if (!path.endsWith(u'/'))
            path += u'/';
        // A folder that cannot be listed has no entries, not even ".".
        const QDir folder(path);
        if (!folder.exists() || !folder.isReadable())
            path = m_backend->programDirectory();
        setPath(path);
    }

    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    const QString filter = isBlank(m_filter) ? QStringLiteral("*.*|*.*") : m_filter;
    for (const QString& piece : filter.split(u'|'))
        request.filterText += piece + Nul;
    request.filterIndex = 1;

    request.fileBuffer = QString(SaveBufferLength, Nul);
    const QString titleBuffer(SaveBufferLength, Nul);
    request.maxPathLength = SaveMaxFile - 1;

    request.owner = requireOwner();
    request.initialFolder = m_path;
    request.caption = QStringLiteral("Save");
    request.defaultExtension = QStringLiteral(""); // present but empty
    request.hideReadOnly = true;

    const std::optional<QString> chosen = raising([&] { return m_backend->chooseFile(request); });
    if (!chosen || chosen->isEmpty() || chosen->size() > request.maxPathLength)
        return false;

    m_fileTitle = fillBuffer(titleBuffer, nameOf(cutAtNul(*chosen)));
    // nMaxFile characters of the buffer, its NUL fill included; the getter cuts it.
    m_fileName = fillBuffer(request.fileBuffer, *chosen).left(SaveMaxFile);
    m_path = folderOf(FileName());
    return true;
}

bool CCommonDialogs::ShowFolder()
{
    FolderDialogRequest request;
    request.owner = requireOwner();
    request.prompt = Title();

    const std::optional<QString> chosen = raising([&] { return m_backend->chooseFolder(request); });
    if (!chosen)
        return false;

    m_path = cutAtNul(fillBuffer(QString(OpenBufferLength, u' '), *chosen));
    m_fileName = QStringLiteral("");
    m_fileTitle = QStringLiteral("");
    return true;
}

bool CCommonDialogs::ShowColor(bool fullOpen)
{
    ColorDialogRequest request;
    request.customColors.fill(0); // a new table on every call: custom colours are not kept
    request.owner = requireOwner();
    request.initialColor = m_color;
    request.fullOpen = fullOpen;

    const std::optional<ColorRef> chosen = raising([&] { return m_backend->chooseColor(request); });
    if (!chosen)
        return false;
    m_color = *chosen;
    return true;
}

bool CCommonDialogs::ShowFont()
{
    FontDialogRequest request;
    LogFont& logFont = request.logFont;

    guarded([&] {
        if (m_fontName.isEmpty())
            return;
        QString face = m_fontName.left(FaceNameMaxLength);
        // Never leave half of a surrogate pair at the cut.
        if (face.size() == FaceNameMaxLength && face.back().isHighSurrogate())
            face.chop(1);
        logFont.faceName = face;
    });
    logFont.italic = m_fontItalic;
    logFont.underline = m_fontUnderline;
    logFont.weight = m_fontBold ? 700 : 0;
    guarded([&] {
        if (const std::optional<int> dpiY = m_backend->screenDpiY(m_owner.data())) {
            request.screenDpiY = *dpiY;
            logFont.height = -MulDiv(m_fontSize, *dpiY, 72);
        }
    });

    request.owner = m_owner;
    guarded([&] { request.printerName = m_backend->currentPrinterName(); });
    request.color = m_color;

    std::optional<FontChoice> chosen;
    try {
        chosen = m_backend->chooseFont(request);
    } catch (...) {
        return false;
    }
    if (!chosen)
        return false;

    m_fontName = cutAtNul(chosen->faceName);
    m_fontBold = chosen->bold;
    m_fontItalic = chosen->italic;
    // Tenths of a point, the remainder dropped; a size beyond 16 bits is skipped.
    const int points = chosen->pointSizeTenths / 10;
    if (points >= std::numeric_limits<std::int16_t>::min() &&
        points <= std::numeric_limits<std::int16_t>::max())
        m_fontSize = std::int16_t(points);
    // FontUnderline and Color are not read back.
    return true;
}

bool CCommonDialogs::ShowPrinter()
{
    PrinterDialogRequest request;
    request.owner = requireOwner();
    return raising([&] { return m_backend->setUpPrinter(request); });
}

bool CCommonDialogs::ShowPrinterProperties()
{
    PrinterPropertiesRequest request;
    guarded([&] {
        if (std::optional<QString> name = m_backend->currentPrinterName())
            request.printerName = *name;
    });
    request.owner = m_owner;

    PrinterPropertiesResult result;
    guarded([&] { result = m_backend->showPrinterProperties(request); });
    return result.opened && result.confirmed;
}

} // namespace plainora
