// The main window's ways in from the desktop: paths given on the command line
// and documents or folders dropped onto either list.

#include "EntryDropTarget.h"
#include "EntryListView.h"
#include "EntryPathAdder.h"
#include "form1.h"

#include <QDir>

namespace plainora {

void form1::AddPathsFromCommandLine(const QStringList& arguments)
{
    EntryPathAdder(*m_lists).AddPaths(EntryPathAdder::PathsFromCommandLine(arguments, QDir::currentPath()));
}

void form1::acceptDroppedEntries()
{
    new EntryDropTarget(*m_listView1, *m_lists);
    new EntryDropTarget(*m_listView2, *m_lists);
}

} // namespace plainora
