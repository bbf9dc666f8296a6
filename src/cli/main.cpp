// plainora-cli: converts Word documents into plain-text files from the
// command line, on the engine and the naming rule of the desktop program.

#include "cli/BatchPlan.h"
#include "cli/BatchRunner.h"
#include "cli/CliOptions.h"
#include "cli/ProgressBar.h"
#include "engine/Engine.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace plainora;
using namespace plainora::cli;

constexpr const char* kProgram = "plainora-cli";

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

class Console
{
public:
    explicit Console(bool progress) : m_bar(STDERR_FILENO, progress) {}

    void message(const std::string& text)
    {
        m_bar.clear();
        std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
    }

    ProgressBar& bar() { return m_bar; }

private:
    ProgressBar m_bar;
};

int runConversion(const CliOptions& options)
{
    std::string outputFolder;
    if (!options.toStdout) {
        auto prepared = prepareOutputFolder(options.outputFolder);
        if (!prepared) {
            std::fprintf(stderr, "%s: %s\n", kProgram, prepared.error().description.c_str());
            return 1;
        }
        outputFolder = prepared.take();
    }

    BatchPlan plan = collectDocuments(options);
    if (!options.toStdout)
        nameOutputs(plan, outputFolder, options.keepTree);

    // The bar would mix with the text when both go to the terminal.
    const bool textOnTerminal = options.toStdout && ::isatty(STDOUT_FILENO);
    Console console(!options.quiet && !textOnTerminal && ::isatty(STDERR_FILENO));
    for (const SkippedPath& skipped : plan.skipped)
        console.message("skipped " + quoted(skipped.path) + ": " + skipped.reason);
    for (const PlannedDocument& document : plan.documents) {
        if (document.replaces == kNoDocument)
            continue;
        const PlannedDocument& earlier = plan.documents[document.replaces];
        std::string warning = "warning: " + quoted(earlier.sourcePath) + " and " +
                              quoted(document.sourcePath) + " both become " + quoted(document.outputPath) +
                              "; the later one replaces the earlier";
        if (earlier.relativeFolder != document.relativeFolder)
            warning += " (--keep-tree keeps both)";
        console.message(warning);
    }

    RunSettings settings{options.jobs, options.toStdout, options.read, options.output};
    RunCallbacks callbacks;
    callbacks.writeText = [](std::string_view text) {
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    };
    callbacks.failed = [&](const PlannedDocument& document, const engine::Error& error) {
        console.message("cannot convert " + quoted(document.sourcePath) + ": " + error.description +
                        " (error " + std::to_string(error.number()) + ")");
    };
    if (console.bar().enabled())
        callbacks.progress = [&](std::size_t finished, std::size_t total) {
            console.bar().update(finished, total);
        };
    const RunSummary summary = runBatch(plan.documents, settings, callbacks);
    console.bar().clear();

    bool stdoutFailed = std::fflush(stdout) != 0;
    if (stdoutFailed)
        console.message("the text could not be written to standard output");
    if (!options.quiet) {
        std::string line = std::to_string(summary.converted) + " converted, " +
                           std::to_string(summary.failed) + " failed, " +
                           std::to_string(plan.skipped.size()) + " skipped";
        if (summary.replacedCharacters > 0)
            line += "; " + plural(summary.replacedCharacters, "character", "characters") + " not in " +
                    options.output.encoding + " written as \"?\"";
        console.message(line);
    }
    return summary.failed > 0 || !plan.skipped.empty() || stdoutFailed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args, processorCount());
    switch (parsed.action) {
    case CliAction::ShowHelp:
        std::fputs(helpText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CliAction::ShowVersion:
        std::printf("%s %s\n", kProgram, engine::versionString());
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CliAction::UsageError:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                     parsed.error.c_str(), kProgram);
        return 2;
    case CliAction::Run:
        break;
    }
    return runConversion(parsed.options);
}
