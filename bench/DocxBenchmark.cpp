// Documents per second and megabytes of document XML per second of the
// .docx reader (read + render), single-threaded, on the small, medium and
// large documents of bench/make_docx_bench_data.py.

#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <zip.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

// The inflated size of word/document.xml: the "document XML" of the MB/s figure.
std::uint64_t documentXmlBytes(const std::string& path)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return 0;
    zip_stat_t stat;
    std::uint64_t size = zip_stat(archive, "word/document.xml", ZIP_FL_NOCASE, &stat) == 0 ? stat.size : 0;
    zip_close(archive);
    return size;
}

void extract(benchmark::State& state, const std::string& name)
{
    const std::string path = std::string(PLAINORA_DOCX_BENCH_DATA) + "/" + name + ".docx";
    const std::string bytes = slurp(path);
    if (bytes.empty()) {
        state.SkipWithError(("no " + path + "; run bench/make_docx_bench_data.py").c_str());
        return;
    }
    const std::uint64_t xmlBytes = documentXmlBytes(path);
    for (auto _ : state) {
        auto document = plainora::engine::readDocument(plainora::engine::asBytes(bytes));
        if (!document) {
            state.SkipWithError(document.error().description.c_str());
            return;
        }
        std::string text = plainora::engine::renderPlainText(document.value());
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations()); // documents
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xmlBytes));
    state.counters["docs/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["xmlMB"] = static_cast<double>(xmlBytes) / 1e6;
}

BENCHMARK_CAPTURE(extract, small, std::string("small"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(extract, medium, std::string("medium"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(extract, large, std::string("large"))->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
