#pragma once
// The command line of plainora-cli: what the user asked for, parsed without
// touching the file system, so that every usage error is found before any
// document is read.

#include "engine/Options.h"

#include <string>
#include <vector>

namespace plainora::cli {

struct CliOptions
{
    std::vector<std::string> paths; // documents and folders, in the order given
    std::string outputFolder = "."; // -o; the current directory by default
    bool outputGiven = false;
    bool toStdout = false;        // --stdout: text to standard output, no files
    bool recursive = false;       // -r: descend into subfolders
    bool keepTree = false;        // --keep-tree: mirror the source folders
    bool quiet = false;           // -q: no progress bar, no summary
    unsigned jobs = 1;            // -j; the number of processors by default
    engine::ReadOptions read;     // --headers-footers, --comments
    engine::OutputOptions output; // --encoding, --eol
};

enum class CliAction { Run, ShowHelp, ShowVersion, UsageError };

struct ParsedCommandLine
{
    CliAction action = CliAction::Run;
    CliOptions options;
    std::string error; // for UsageError: what is wrong, without the program name
};

inline constexpr unsigned kMaxJobs = 1024;

// args excludes the program name. defaultJobs is used when -j is not given.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args, unsigned defaultJobs);

// The number of processors, at least 1.
unsigned processorCount();

// The text of --help.
std::string helpText();

} // namespace plainora::cli
