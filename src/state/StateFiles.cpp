#include "state/StateFiles.h"

#include "engine/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace plainora {

namespace {

QString decodeStateText(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3); // a byte-order mark from a Windows editor
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (engine::isValidUtf8(view))
        return QString::fromUtf8(bytes);
    return QString::fromStdString(engine::decodeToUtf8(engine::asBytes(view), "CP1252"));
}

// The values a state file can hold, the others in leftOut.
QStringList holdable(const QStringList& values, QStringList* leftOut)
{
    QStringList kept;
    for (const QString& value : values) {
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
            if (leftOut)
                leftOut->append(value);
        } else {
            kept.append(value);
        }
    }
    return kept;
}

} // namespace

StateFiles::StateFiles(QString directory) : m_directory(std::move(directory)) {}

QString StateFiles::filePath(const QString& fileName) const
{
    return m_directory + QLatin1Char('/') + fileName;
}

QStringList StateFiles::SplitLines(const QByteArray& bytes)
{
    const QString text = decodeStateText(bytes);
    QStringList lines;
    QString current;
    bool open = false; // a value has begun that no terminator has ended yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            open = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
            open = true;
        }
    }
    if (open)
        lines.append(current);
    return lines;
}

QByteArray StateFiles::JoinLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes.append(line.toUtf8());
        bytes.append("\r\n");
    }
    return bytes;
}

bool StateFiles::ReadLines(const QString& fileName, QStringList& lines, QString* error) const
{
    lines.clear();
    if (error)
        error->clear();
    const QString path = filePath(fileName);
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    QString why;
    QFile file(path);
    QByteArray bytes;
    if (info.isDir())
        why = QStringLiteral("it is a folder, not a file");
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (file.size() <= MaxFileBytes)
        bytes = file.read(MaxFileBytes + 1);
    if (why.isEmpty() && file.error() != QFileDevice::NoError)
        why = file.errorString();
    else if (why.isEmpty() && (file.size() > MaxFileBytes || bytes.size() > MaxFileBytes))
        why =
            QStringLiteral("it is larger than %1 MB, too large for a list").arg(MaxFileBytes / (1024 * 1024));
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    lines = SplitLines(bytes);
    return true;
}

bool StateFiles::WriteLines(const QString& fileName, const QStringList& lines, QString* error) const
{
    QSaveFile file(filePath(fileName));
    const QByteArray bytes = JoinLines(lines);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return written;
}

SettingsSwitches StateFiles::ReadSwitches() const
{
    QStringList lines;
    if (!ReadLines(SettingsFileName, lines))
        return SettingsSwitches{};
    const auto isOn = [&lines](int index) {
        return index < lines.size() && lines.at(index) == QLatin1String("1");
    };
    return SettingsSwitches{isOn(0), isOn(1)};
}

bool StateFiles::WriteSwitches(const SettingsSwitches& switches, QString* error) const
{
    const auto text = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return WriteLines(SettingsFileName, {text(switches.saveEntryList), text(switches.saveOutputDirectories)},
                      error);
}

QStringList StateFiles::LoadEntryList(QString* error) const
{
    QStringList lines;
    ReadLines(EntryListFileName, lines, error);
    return lines;
}

QStringList StateFiles::LoadOutputDirectories(QString* error) const
{
    QStringList lines;
    ReadLines(OutputDirectoriesFileName, lines, error);
    return lines;
}

bool StateFiles::SaveEntryList(const QStringList& entries, QString* error, QStringList* leftOut) const
{
    return WriteLines(EntryListFileName, holdable(entries, leftOut), error);
}

bool StateFiles::SaveOutputDirectories(const QStringList& directories, QString* error,
                                       QStringList* leftOut) const
{
    return WriteLines(OutputDirectoriesFileName,
                      holdable(directories, leftOut).mid(0, MaxSavedOutputDirectories), error);
}

} // namespace plainora
