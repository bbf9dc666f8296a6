// Documents per second and MB/s of the Word 97-2003 reader, from the bytes
// in memory to the rendered text, on a small fixture and on medium and large
// files of the shared corpus (skipped when it is absent).

#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void convert(benchmark::State& state, const std::vector<std::string>& paths)
{
    std::vector<std::vector<std::uint8_t>> files;
    std::size_t bytes = 0;
    for (const auto& path : paths) {
        files.push_back(load(path));
        bytes += files.back().size();
        if (files.back().empty()) {
            state.SkipWithError(("missing " + path).c_str());
            return;
        }
    }
    for (auto _ : state) {
        for (const auto& file : files) {
            auto document = plainora::engine::readDocument(file);
            if (!document) {
                state.SkipWithError(document.error().description.c_str());
                return;
            }
            benchmark::DoNotOptimize(plainora::engine::renderPlainText(document.value()));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["docs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * files.size()),
                                                  benchmark::Counter::kIsRate);
}

const std::string kFixtures = PLAINORA_FIXTURE_DIR;
const std::string kCorpus = PLAINORA_CORPUS_DIR;

std::vector<std::string> corpusDocs()
{
    std::vector<std::string> paths;
    if (std::filesystem::exists(kCorpus + "/doc"))
        for (const auto& entry : std::filesystem::directory_iterator(kCorpus + "/doc"))
            paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

BENCHMARK_CAPTURE(convert, small_20KB_table, std::vector<std::string>{kFixtures + "/table.doc"});
BENCHMARK_CAPTURE(convert, medium_248KB_53379, std::vector<std::string>{kCorpus + "/doc/53379.doc"});
BENCHMARK_CAPTURE(convert, large_399KB_parentinvguid,
                  std::vector<std::string>{kCorpus + "/doc/parentinvguid.doc"});
BENCHMARK_CAPTURE(convert, large_603KB_word95, std::vector<std::string>{kCorpus + "/odd/Bug50955.doc"});
BENCHMARK_CAPTURE(convert, corpus_doc_folder, corpusDocs());

BENCHMARK_MAIN();
