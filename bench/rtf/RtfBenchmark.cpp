// Documents per second and bytes per second of the RTF reader and the
// plain-text writer on the benchmark documents, in memory (no file I/O).
// Usage: plainora_rtf_benchmark [google-benchmark flags] FILE.rtf...
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace plainora::engine;

namespace {

void convert(benchmark::State& state, const std::string& bytes)
{
    for (auto _ : state) {
        auto document = readDocument(asBytes(bytes));
        if (!document) {
            state.SkipWithError(document.error().description.c_str());
            break;
        }
        std::string text = renderPlainText(document.value());
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations()); // documents
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    static std::vector<std::string> contents;
    contents.reserve(argc);
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        contents.push_back(data.str());
        std::string name = argv[i];
        name = name.substr(name.find_last_of('/') + 1);
        benchmark::RegisterBenchmark(("rtf/" + name).c_str(), convert, contents.back())
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
