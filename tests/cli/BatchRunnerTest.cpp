#include "cli/BatchRunner.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace plainora::cli {
namespace {

using test::kPdfBytes;
using test::readFile;
using test::TempFolder;

struct Recorded
{
    std::string text;
    std::vector<std::string> failures; // "source|description"
    std::vector<std::size_t> progress;
    RunSummary summary;
};

Recorded run(const std::vector<PlannedDocument>& documents, RunSettings settings)
{
    Recorded recorded;
    RunCallbacks callbacks;
    callbacks.writeText = [&](std::string_view text) {
        recorded.text += text;
        return true;
    };
    callbacks.failed = [&](const PlannedDocument& d, const engine::Error& e) {
        recorded.failures.push_back(d.sourcePath + "|" + e.description);
    };
    callbacks.progress = [&](std::size_t finished, std::size_t total) {
        EXPECT_EQ(total, documents.size());
        recorded.progress.push_back(finished);
    };
    recorded.summary = runBatch(documents, settings, callbacks);
    return recorded;
}

PlannedDocument document(std::string source, std::string output = {})
{
    return {std::move(source), "", std::move(output), kNoDocument, {}};
}

// Many small documents, every fifth one failing, so that jobs finish out of
// order.
std::vector<PlannedDocument> mixedBatch(const TempFolder& tmp, int count)
{
    std::vector<PlannedDocument> documents;
    for (int i = 0; i < count; ++i) {
        const std::string name = "d" + std::to_string(i) + ".doc";
        std::string body;
        for (int line = 0; line <= i % 7 * 200; ++line)
            body += "document " + std::to_string(i) + " line " + std::to_string(line) + "\n";
        documents.push_back(document(tmp.write("in/" + name, i % 5 == 3 ? kPdfBytes : body),
                                     tmp / ("out/d" + std::to_string(i) + ".txt")));
    }
    return documents;
}

TEST(BatchRunnerTest, WritesEachTextFileAndReportsFailuresWithTheEngineDescription)
{
    TempFolder tmp;
    tmp.makeFolder("out");
    const std::vector<PlannedDocument> documents{
        document(tmp.write("a.doc", "Caf\xc3\xa9\r\nline two"), tmp / "out/a.txt"),
        document(tmp.write("bad.doc", kPdfBytes), tmp / "out/bad.txt"),
        document(tmp / "gone.doc", tmp / "out/gone.txt"),
    };
    const Recorded r = run(documents, {2, false, {}, {}});
    EXPECT_EQ(readFile(tmp / "out/a.txt"), "Caf\xc3\xa9\nline two\n");
    EXPECT_FALSE(std::filesystem::exists(tmp / "out/bad.txt"));
    ASSERT_EQ(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[0],
              tmp / "bad.doc" + "|The file is not a Word document: it looks like a PDF document.");
    EXPECT_EQ(r.failures[1],
              tmp / "gone.doc" + "|The document was not found. It may have been moved, renamed or deleted.");
    EXPECT_EQ(r.summary.converted, 1u);
    EXPECT_EQ(r.summary.failed, 2u);
    EXPECT_EQ(r.text, "");
    ASSERT_FALSE(r.progress.empty());
    EXPECT_EQ(r.progress.front(), 0u);
    EXPECT_EQ(r.progress.back(), 3u);
    EXPECT_TRUE(std::is_sorted(r.progress.begin(), r.progress.end()));
}

TEST(BatchRunnerTest, ParallelRunsGiveTheSerialResult)
{
    TempFolder tmp;
    tmp.makeFolder("out");
    const std::vector<PlannedDocument> documents = mixedBatch(tmp, 40);
    RunSettings settings{1, true, {}, {}};
    const Recorded serial = run(documents, settings);
    EXPECT_EQ(serial.summary.failed, 8u);
    for (unsigned jobs : {2u, 4u, 16u}) {
        settings.jobs = jobs;
        const Recorded parallel = run(documents, settings);
        EXPECT_TRUE(parallel.text == serial.text) << jobs << " jobs";
        EXPECT_EQ(parallel.failures, serial.failures) << jobs << " jobs";
        EXPECT_EQ(parallel.summary.converted, serial.summary.converted);
    }
    // The text of every good document, in plan order.
    std::string expected;
    for (const PlannedDocument& d : documents) {
        const std::string body = readFile(d.sourcePath);
        if (body != kPdfBytes)
            expected += body;
    }
    EXPECT_TRUE(serial.text == expected);

    settings = {4, false, {}, {}};
    const Recorded files = run(documents, settings);
    EXPECT_EQ(files.failures, serial.failures);
    for (const PlannedDocument& d : documents) {
        if (readFile(d.sourcePath) != kPdfBytes) {
            EXPECT_TRUE(readFile(d.outputPath) == readFile(d.sourcePath)) << d.outputPath;
        }
    }
}

TEST(BatchRunnerTest, TheLaterOfTwoDocumentsWithOneOutputWinsWhateverTheJobs)
{
    TempFolder tmp;
    tmp.makeFolder("out");
    std::vector<PlannedDocument> documents;
    // The early documents are large, the later ones small, so that without
    // ordering the early writes would land last.
    for (int i = 0; i < 24; ++i) {
        const std::string body =
            i == 23 ? kPdfBytes : std::string(static_cast<std::size_t>(24 - i) * 20000, 'a' + i % 26) + "\n";
        PlannedDocument d =
            document(tmp.write("in/" + std::to_string(i) + ".doc", body), tmp / "out/same.txt");
        if (i > 0)
            d.replaces = static_cast<std::size_t>(i - 1);
        documents.push_back(d);
    }
    for (unsigned jobs : {1u, 4u}) {
        const Recorded r = run(documents, {jobs, false, {}, {}});
        // The last one fails, so the one before it stays.
        EXPECT_TRUE(readFile(tmp / "out/same.txt") == readFile(documents[22].sourcePath)) << jobs << " jobs";
        EXPECT_EQ(r.summary.converted, 23u);
        EXPECT_EQ(r.summary.failed, 1u);
    }
}

TEST(BatchRunnerTest, EncodingLineEndsAndReplacementsFollowTheSettings)
{
    TempFolder tmp;
    const std::vector<PlannedDocument> documents{
        document(tmp.write("a.doc", "na\xc3\xafve \xe2\x82\xac\n\xe2\x9c\x93 done\n")),
        document(tmp.write("b.doc", "\xe2\x9c\x93\n")),
    };
    RunSettings settings{2, true, {}, {"ISO-8859-1", engine::LineEnd::CrLf}};
    const Recorded r = run(documents, settings);
    EXPECT_EQ(r.text, "na\xefve ?\r\n? done\r\n?\r\n");
    EXPECT_EQ(r.summary.replacedCharacters, 3u);
    EXPECT_EQ(r.summary.converted, 2u);
}

TEST(BatchRunnerTest, KnownFailuresAreReportedWithoutReadingAndAFailedWriteToStdoutCounts)
{
    TempFolder tmp;
    PlannedDocument preset = document(tmp.write("a.doc", "text\n"), tmp / "a.txt");
    preset.presetError = engine::makeError(engine::ErrorCode::OutputFailed, "No room.");
    Recorded r = run({preset}, {1, false, {}, {}});
    EXPECT_EQ(r.failures, std::vector<std::string>{tmp / "a.doc" + "|No room."});
    EXPECT_FALSE(std::filesystem::exists(tmp / "a.txt"));

    RunCallbacks refusing;
    refusing.writeText = [](std::string_view) { return false; };
    std::vector<std::string> failures;
    refusing.failed = [&](const PlannedDocument&, const engine::Error& e) {
        failures.push_back(e.description);
    };
    const RunSummary summary = runBatch({document(tmp / "a.doc")}, {1, true, {}, {}}, refusing);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(failures, std::vector<std::string>{"The text could not be written to standard output."});
}

TEST(BatchRunnerTest, AnEmptyBatchCallsNothing)
{
    const Recorded r = run({}, {4, true, {}, {}});
    EXPECT_TRUE(r.progress.empty());
    EXPECT_EQ(r.summary.converted + r.summary.failed, 0u);
}

} // namespace
} // namespace plainora::cli
