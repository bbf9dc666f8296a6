#pragma once
// Where the state files live: the program's own directory when it can be
// written to, else $XDG_CONFIG_HOME/plainora (by default ~/.config/plainora).

#include <QString>

namespace plainora {

// The choice itself. xdgConfigHome counts only when it is an absolute path,
// as the XDG base directory rules say.
QString ChooseStateDirectory(const QString& programDirectory, bool programDirectoryWritable,
                             const QString& xdgConfigHome, const QString& homeDirectory);

// The choice for the running program; the fallback directory is created when
// missing. A directory that cannot be created is still returned: the window
// then opens with empty lists and says at exit which list it could not save.
QString StateDirectoryForThisProgram();

} // namespace plainora
