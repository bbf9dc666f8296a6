#pragma once
// The program's one test of what a path names.

#include <string>

namespace plainora {

enum class PathKind { Nothing = 0, Folder = 1, File = 2 };

// Folder for an existing folder (a trailing "/" is allowed), File for an
// existing regular file, Nothing otherwise: also for an empty path, an entry
// that is neither a regular file nor a folder (device, socket, FIFO), and any
// error. Symbolic links are followed. Never fails. A dot-named entry is what
// it is here: "hidden" only keeps it out of a folder scan.
PathKind GetPathKind(const std::string& path);

// Whether the path's own name (its last component) begins with "." (and is
// not "." or ".."): a hidden entry.
bool IsDotNamed(const std::string& path);

} // namespace plainora
