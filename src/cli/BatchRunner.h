#pragma once
// Converts the planned documents with a pool of threads. Reading and
// rendering run in parallel; everything a user sees (text on standard output,
// failure lines) is handed over in plan order, and a document that replaces
// an earlier one's text file is written after it, so any number of jobs gives
// the result of a serial run.

#include "cli/BatchPlan.h"
#include "engine/Options.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace plainora::cli {

struct RunSettings
{
    unsigned jobs = 1;
    bool toStdout = false;
    engine::ReadOptions read;
    engine::OutputOptions output;
};

// Called on the thread that runs the batch, never concurrently.
struct RunCallbacks
{
    // --stdout: a document's text, in plan order; false when it could not
    // be written (the document then counts as failed).
    std::function<bool(std::string_view text)> writeText;
    // A document that failed, in plan order.
    std::function<void(const PlannedDocument& document, const engine::Error& error)> failed;
    // How many documents are finished, in any order, of how many: at the
    // start, a few times a second, and at the end.
    std::function<void(std::size_t finished, std::size_t total)> progress;
};

struct RunSummary
{
    std::size_t converted = 0;
    std::size_t failed = 0;
    std::size_t replacedCharacters = 0; // characters the encoding could not hold
};

RunSummary runBatch(const std::vector<PlannedDocument>& documents, const RunSettings& settings,
                    const RunCallbacks& callbacks);

} // namespace plainora::cli
