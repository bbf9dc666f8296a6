#pragma once
// The batch of one run, planned serially before any document is converted:
// which documents, in which order, and the text file each one becomes. A
// parallel run follows the plan, so its result is that of a serial run.

#include "cli/CliOptions.h"
#include "engine/Error.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plainora::cli {

inline constexpr std::size_t kNoDocument = static_cast<std::size_t>(-1);

struct PlannedDocument
{
    std::string sourcePath;     // the PATH argument, joined with the names found under it
    std::string relativeFolder; // the subfolder under the PATH argument ("" at its top)
    std::string outputPath;     // the text file; empty with --stdout
    // The latest earlier document that writes the same text file: this one
    // replaces its file, so it must be written after it.
    std::size_t replaces = kNoDocument;
    // A failure known before converting (a mirrored folder that could not be
    // made, an output that would overwrite the document itself).
    std::optional<engine::Error> presetError;
};

// A PATH argument that names neither a file nor a folder.
struct SkippedPath
{
    std::string path;
    std::string reason;
};

struct BatchPlan
{
    std::vector<PlannedDocument> documents;
    std::vector<SkippedPath> skipped;
};

// Lists the documents the PATH arguments name: a file itself (whatever its
// name, the engine goes by content), a folder its documents in byte order of
// their names, and with recursive its subfolders' after them, depth first.
// Hidden subfolders and symbolic links to folders met while descending are
// not entered, and no folder is entered twice.
BatchPlan collectDocuments(const CliOptions& options);

// Makes the output folder usable the way a typed output folder is: trailing
// "/" removed, created when missing (its parent must exist; one level only).
// Gives the folder with one trailing "/".
engine::Result<std::string> prepareOutputFolder(const std::string& typedFolder);

// Gives every document its text file in outputFolder (which ends in "/"):
// the cleaned file name, a counter while a folder of that path exists, and
// ".txt"; with keepTree under its mirrored subfolder, which is created here.
void nameOutputs(BatchPlan& plan, const std::string& outputFolder, bool keepTree);

} // namespace plainora::cli
