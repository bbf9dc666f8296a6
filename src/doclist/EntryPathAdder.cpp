#include "doclist/EntryPathAdder.h"

#include "doclist/InputDocumentList.h"
#include "ui/NativePath.h"

#include <QDir>
#include <QMimeData>
#include <QTreeWidget>

namespace plainora {

EntryPathAdder::EntryPathAdder(InputDocumentList& lists) : m_lists(lists) {}

int EntryPathAdder::AddPaths(const QStringList& paths)
{
    QTreeWidgetItem* last = nullptr;
    int added = 0;
    for (const QString& path : paths) {
        const PathKind kind = GetPathKind(path);
        if (kind == PathKind::Nothing)
            continue;
        last = m_lists.AppendEntry(path, kind == PathKind::File ? InputDocumentList::DocumentIcon
                                                                : InputDocumentList::FolderIcon);
        ++added;
    }
    if (!last)
        return 0;
    m_lists.SelectPosition(last->treeWidget()->indexOfTopLevelItem(last) + 1); // lists its documents
    return added;
}

QStringList EntryPathAdder::PathsFromCommandLine(const QStringList& arguments,
                                                 const QString& workingDirectory)
{
    const QDir base(workingDirectory);
    QStringList paths;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty() || (!optionsEnded && argument.startsWith(QLatin1Char('-'))))
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            path = LocalPathOf(QUrl(argument));
            if (path.isEmpty())
                continue;
        }
        paths.append(QDir::cleanPath(base.absoluteFilePath(path)));
    }
    return paths;
}

QString EntryPathAdder::LocalPathOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    // A file URL with any other host names a file on another machine (RFC 8089).
    if (url.host().isEmpty())
        return url.toLocalFile();
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return url.path();
    return {};
}

QStringList EntryPathAdder::LocalPathsOf(const QList<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls) {
        const QString path = LocalPathOf(url);
        if (!path.isEmpty())
            paths.append(QDir::cleanPath(path));
    }
    return paths;
}

QStringList EntryPathAdder::LocalPathsOf(const QMimeData& data)
{
    return data.hasUrls() ? LocalPathsOf(data.urls()) : QStringList();
}

} // namespace plainora
