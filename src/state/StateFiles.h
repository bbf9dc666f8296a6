#pragma once
// The three state files: "set.txt" (the two switches), "TAMRIX.txt" (the
// entry list) and "output.txt" (the output directories).
//
// Format: one value per line, each line ended by CR LF, UTF-8 without a
// byte-order mark. Reading accepts CR LF, a lone CR and a lone LF as line
// ends, reads a last line without a terminator, keeps empty lines in the
// middle, and reads a file that is not valid UTF-8 as Windows-1252 (a list
// copied from Windows still loads). Every write goes to a temporary file in
// the same directory that is then renamed over the old one, so a failed write
// never leaves a truncated list.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace plainora {

// The two switches of "set.txt": which lists are written back at exit.
struct SettingsSwitches
{
    bool saveEntryList = true;         // line 1: "TAMRIX.txt"
    bool saveOutputDirectories = true; // line 2: "output.txt"

    friend bool operator==(const SettingsSwitches&, const SettingsSwitches&) = default;
};

class StateFiles
{
public:
    static inline const QString SettingsFileName = QStringLiteral("set.txt");
    static inline const QString EntryListFileName = QStringLiteral("TAMRIX.txt");
    static inline const QString OutputDirectoriesFileName = QStringLiteral("output.txt");
    // Entries 0 to 200 of the output directory box are saved.
    static constexpr int MaxSavedOutputDirectories = 201;
    // A state file larger than this is not read (it cannot be a list of paths).
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    explicit StateFiles(QString directory);

    const QString& directory() const { return m_directory; }
    QString filePath(const QString& fileName) const;

    // A missing or unreadable "set.txt" counts as both switches on, so a new
    // user's lists are remembered. Otherwise a switch is on only when its line
    // exists and is exactly "1"; a missing line is off.
    SettingsSwitches ReadSwitches() const;
    bool WriteSwitches(const SettingsSwitches& switches, QString* error = nullptr) const;

    // A missing file reads as an empty list, and so does one that exists but
    // cannot be read; error then says why (it stays empty otherwise).
    QStringList LoadEntryList(QString* error = nullptr) const;
    QStringList LoadOutputDirectories(QString* error = nullptr) const;

    // A value holding a line break would come back as several values: it is
    // left out of the file, and appended to leftOut when given.
    bool SaveEntryList(const QStringList& entries, QString* error = nullptr,
                       QStringList* leftOut = nullptr) const;
    // Writes at most the first MaxSavedOutputDirectories entries it can hold.
    bool SaveOutputDirectories(const QStringList& directories, QString* error = nullptr,
                               QStringList* leftOut = nullptr) const;

    // The lines of a file in the format above; false when it is missing or
    // cannot be read (lines then stays empty, and error says why it could
    // not be read, or stays empty when it is missing).
    bool ReadLines(const QString& fileName, QStringList& lines, QString* error = nullptr) const;
    bool WriteLines(const QString& fileName, const QStringList& lines, QString* error = nullptr) const;

    // The format itself, for callers holding bytes.
    static QStringList SplitLines(const QByteArray& bytes);
    static QByteArray JoinLines(const QStringList& lines);

private:
    QString m_directory;
};

} // namespace plainora
