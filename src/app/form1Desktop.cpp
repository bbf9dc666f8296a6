// The main window's ways in from the desktop: paths given on the command line
// and documents or folders dropped onto either list.

#include "app/form1.h"
#include "doclist/EntryDropTarget.h"
#include "doclist/EntryListView.h"
#include "doclist/EntryPathAdder.h"

#include <QDir>

namespace plainora {

void form1::AddPathsFromCommandLine(const QStringList& arguments)
{
    EntryPathAdder(*m_lists).AddPaths(EntryPathAdder::PathsFromCommandLine(arguments, QDir::currentPath()));
}

void form1::acceptDroppedEntries()
{
    new EntryDropTarget(*m_entryList, *m_lists);
    new EntryDropTarget(*m_documentList, *m_lists);
}

} // namespace plainora
