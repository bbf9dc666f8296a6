#pragma once
// The output folder rule of both front ends: trailing separators trimmed, a
// remembered folder used only while it exists, a typed one created when
// missing, one level only. Each front end words the outcome its own way.

#include <string>

namespace plainora {

enum class OutputFolderState {
    Ready,      // the folder exists (or was just created)
    Empty,      // no folder was given
    Missing,    // a remembered folder that is no longer a folder
    NotCreated, // a typed folder that could not be created
};

// Whether a missing folder may be created: a folder typed for this run may, one
// remembered from an earlier run is never created again.
enum class MissingFolder { Create, Refuse };

struct OutputFolderCheck
{
    OutputFolderState state = OutputFolderState::Empty;
    // Trimmed of trailing separators; Ready: with exactly one trailing "/".
    std::string folder;
    // The text was separators alone: it names the root folder, though nothing
    // is left of it once trimmed.
    bool separatorsOnly = false;
    // NotCreated: the errno of the refused creation.
    int error = 0;
};

OutputFolderCheck resolveOutputFolder(const std::string& text, MissingFolder missing);

} // namespace plainora
