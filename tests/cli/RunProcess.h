#pragma once
// Runs a program and collects its exit status and both output streams, or
// runs it with standard error on a pseudo-terminal.

#include <string>
#include <vector>

namespace plainora::cli::test {

struct ProcessResult
{
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingFolder = {}, bool stderrOnTerminal = false);

} // namespace plainora::cli::test
