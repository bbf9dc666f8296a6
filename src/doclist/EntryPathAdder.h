#pragma once
// Adds entries for paths that come from outside the program's own dialogs:
// the command line ("Open with Plainora" in a file manager) and documents or
// folders dropped onto the lists. Each path is added as Add Word or Add
// Folder would add it, by what GetPathKind says it names.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace plainora {

class InputDocumentList;

class EntryPathAdder
{
public:
    explicit EntryPathAdder(InputDocumentList& lists);

    // Appends, in order, a document entry (image 1) for each path naming an
    // existing file and a folder entry (image 2) for each naming an existing
    // folder; anything else is skipped. The last entry added is selected,
    // scrolled into view and its documents shown. Returns how many were added.
    int AddPaths(const QStringList& paths);

    // The paths among the program's arguments (the first is the program):
    // options (beginning with "-") are skipped up to a "--", after which every
    // argument is a path; "file:" URLs become local paths; relative paths are
    // made absolute against workingDirectory. Paths are cleaned ("a/./b/" is
    // "a/b") but links are not resolved.
    static QStringList PathsFromCommandLine(const QStringList& arguments, const QString& workingDirectory);

    // The local path a URL names ("file:///a" or "file://localhost/a"), or an
    // empty string for any other URL (web addresses, remote shares).
    static QString LocalPathOf(const QUrl& url);
    // The local paths of the URLs a drag carries, in order; other URLs are
    // skipped.
    static QStringList LocalPathsOf(const QList<QUrl>& urls);
    static QStringList LocalPathsOf(const QMimeData& data);

private:
    InputDocumentList& m_lists;
};

} // namespace plainora
