#pragma once
// The common dialogs object: file open and save, folder, colour, font and
// printer dialogs behind one set of properties. Create one per use, Init it
// with the owning window, set the inputs, call one Show operation and read the
// results when it returned true.

#include "dialogs/CommonDialogsError.h"
#include "dialogs/DialogBackend.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace plainora {

class CCommonDialogs
{
public:
    // Uses DialogBackend::standard().
    CCommonDialogs();
    explicit CCommonDialogs(std::shared_ptr<DialogBackend> backend);

    CCommonDialogs(const CCommonDialogs&) = delete;
    CCommonDialogs& operator=(const CCommonDialogs&) = delete;

    // The window that owns every dialog, held until the object ends or Init
    // is called again.
    void Init(QWidget* ownerForm);

    // Getters marked "cut" return the stored text up to its first NUL; every
    // other getter returns what was stored. Setters store the value unchanged.
    bool FontUnderline() const { return m_fontUnderline; }
    void setFontUnderline(bool value) { m_fontUnderline = value; }
    bool FontItalic() const { return m_fontItalic; }
    void setFontItalic(bool value) { m_fontItalic = value; }
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool value) { m_fontBold = value; }
    std::int16_t FontSize() const { return m_fontSize; }
    void setFontSize(std::int16_t value) { m_fontSize = value; }
    QString FontName() const { return m_fontName; }
    void setFontName(const QString& value) { m_fontName = value; }
    ColorRef Color() const { return m_color; }
    void setColor(ColorRef value) { m_color = value; }
    QString DefExt() const { return m_defExt; }
    void setDefExt(const QString& value) { m_defExt = value; }
    QString Title() const; // cut
    void setTitle(const QString& value) { m_title = value; }
    QString Path() const; // cut
    void setPath(const QString& value) { m_path = value; }
    QString FileTitle() const; // cut
    void setFileTitle(const QString& value) { m_fileTitle = value; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString& value) { m_filter = value; }
    QString FileName() const; // cut
    void setFileName(const QString& value) { m_fileName = value; }

    // File dialogs. ShowOpen always offers the Word-document filter; Filter
    // plays no part in it. Throws CommonDialogsError (no owner; a FileName
    // longer than 260 characters).
    bool ShowOpen();
    // Rewrites Path before its dialog, whether or not it is then confirmed.
    bool ShowSave();
    // Path := the chosen folder; FileName and FileTitle are cleared.
    bool ShowFolder();
    bool ShowColor(bool fullOpen);
    // Never throws: a failing step is skipped.
    bool ShowFont();
    bool ShowPrinter();
    // Never throws: a failing step is skipped.
    bool ShowPrinterProperties();

private:
    QWidget* requireOwner() const;

    // In field order.
    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_fileName;
    ColorRef m_color = 0;
    QString m_title; // null until set: the dialog then shows its own caption
    QPointer<QWidget> m_owner;
    QString m_defExt; // null until set
    QString m_fontName;
    std::int16_t m_fontSize = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;

    std::shared_ptr<DialogBackend> m_backend;
};

// Windows' MulDiv: a * b / c in 64 bits, rounded to the nearest integer (halves
// away from zero); -1 when c is 0 or the result does not fit 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

} // namespace plainora
