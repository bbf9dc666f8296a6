// The library candidates for the .docx reader, on the same documents:
// inflating word/document.xml with libzip's zlib stream (into a growing
// string, or slice by slice as the reader does), with zlib directly on the
// raw deflate data, or with libdeflate in one call, and parsing it with expat (streaming) or pugixml
// (in-memory tree). Each parse collects the w:t text, as the reader does.

#include <benchmark/benchmark.h>
#include <cstring>
#include <expat.h>
#include <libdeflate.h>
#include <pugixml.hpp>
#include <string>
#include <zip.h>
#include <zlib.h>

namespace {

std::string pathOf(const std::string& name)
{
    return std::string(PLAINORA_DOCX_BENCH_DATA) + "/" + name + ".docx";
}

std::string inflateWithZlib(zip_t* archive)
{
    zip_file_t* file = zip_fopen(archive, "word/document.xml", 0);
    std::string out;
    char buffer[65536];
    zip_int64_t n;
    while ((n = zip_fread(file, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(n));
    zip_fclose(file);
    return out;
}

// As the reader inflates: 64 KiB slices through libzip's stream (CRC
// checked), each slice handed on and dropped, so no string grows.
std::size_t streamWithLibzip(zip_t* archive)
{
    zip_file_t* file = zip_fopen(archive, "word/document.xml", 0);
    static char buffer[65536];
    std::size_t total = 0;
    zip_int64_t n;
    while ((n = zip_fread(file, buffer, sizeof buffer)) > 0) {
        benchmark::DoNotOptimize(buffer);
        total += static_cast<std::size_t>(n);
    }
    zip_fclose(file);
    return total;
}

// The document part's raw deflate data, as stored in the package.
std::string compressedDocumentPart(zip_t* archive, zip_stat_t& stat)
{
    zip_stat(archive, "word/document.xml", 0, &stat);
    std::string compressed(stat.comp_size, '\0');
    zip_file_t* file = zip_fopen(archive, "word/document.xml", ZIP_FL_COMPRESSED);
    zip_fread(file, compressed.data(), compressed.size());
    zip_fclose(file);
    return compressed;
}

// The raw deflate data inflated by zlib directly, in 256 KiB output slices.
std::size_t streamWithRawZlib(zip_t* archive)
{
    zip_stat_t stat;
    const std::string compressed = compressedDocumentPart(archive, stat);
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    static unsigned char buffer[256 * 1024];
    std::size_t total = 0;
    uLong crc = crc32(0, nullptr, 0);
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t n = sizeof buffer - stream.avail_out;
        crc = crc32(crc, buffer, static_cast<uInt>(n));
        total += n;
    }
    inflateEnd(&stream);
    benchmark::DoNotOptimize(crc);
    return total;
}

std::string inflateWithLibdeflate(zip_t* archive, libdeflate_decompressor* decompressor)
{
    zip_stat_t stat;
    const std::string compressed = compressedDocumentPart(archive, stat);
    std::string out(stat.size, '\0');
    size_t actual = 0;
    libdeflate_deflate_decompress(decompressor, compressed.data(), compressed.size(), out.data(), out.size(),
                                  &actual);
    out.resize(actual);
    return out;
}

zip_t* openArchive(benchmark::State& state, const std::string& name)
{
    int error = 0;
    zip_t* archive = zip_open(pathOf(name).c_str(), ZIP_RDONLY, &error);
    if (!archive)
        state.SkipWithError("no benchmark data; run bench/make_docx_bench_data.py");
    return archive;
}

// The inflated word/document.xml, or empty (and the benchmark skipped).
std::string documentXml(benchmark::State& state, const std::string& name)
{
    zip_t* archive = openArchive(state, name);
    if (!archive)
        return {};
    std::string xml = inflateWithZlib(archive);
    zip_close(archive);
    return xml;
}

void inflateZlib(benchmark::State& state, const std::string& name)
{
    zip_t* archive = openArchive(state, name);
    if (!archive)
        return;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = inflateWithZlib(archive);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    zip_close(archive);
}

// Times one way of streaming document.xml out of the package.
template <std::size_t (*Stream)(zip_t*)> void streamPart(benchmark::State& state, const std::string& name)
{
    zip_t* archive = openArchive(state, name);
    if (!archive)
        return;
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = Stream(archive);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    zip_close(archive);
}

void streamLibzip(benchmark::State& state, const std::string& name)
{
    streamPart<streamWithLibzip>(state, name);
}

void streamRawZlib(benchmark::State& state, const std::string& name)
{
    streamPart<streamWithRawZlib>(state, name);
}

void inflateLibdeflate(benchmark::State& state, const std::string& name)
{
    zip_t* archive = openArchive(state, name);
    if (!archive)
        return;
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = inflateWithLibdeflate(archive, decompressor);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    libdeflate_free_decompressor(decompressor);
    zip_close(archive);
}

struct ExpatText
{
    std::string text;
    bool inText = false;
};

void parseExpat(benchmark::State& state, const std::string& name)
{
    const std::string xml = documentXml(state, name);
    if (xml.empty())
        return;
    for (auto _ : state) {
        ExpatText data;
        XML_Parser parser = XML_ParserCreateNS(nullptr, '\x01');
        XML_SetUserData(parser, &data);
        XML_SetElementHandler(
            parser,
            [](void* user, const char* el, const char**) {
                const char* local = std::strchr(el, '\x01');
                static_cast<ExpatText*>(user)->inText = local && std::strcmp(local + 1, "t") == 0;
            },
            [](void* user, const char*) { static_cast<ExpatText*>(user)->inText = false; });
        XML_SetCharacterDataHandler(parser, [](void* user, const char* s, int len) {
            auto* d = static_cast<ExpatText*>(user);
            if (d->inText)
                d->text.append(s, static_cast<std::size_t>(len));
        });
        XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE);
        XML_ParserFree(parser);
        benchmark::DoNotOptimize(data.text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml.size()));
}

void parsePugixml(benchmark::State& state, const std::string& name)
{
    const std::string xml = documentXml(state, name);
    if (xml.empty())
        return;
    for (auto _ : state) {
        pugi::xml_document document;
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default);
        std::string text;
        struct Walker : pugi::xml_tree_walker
        {
            std::string* out;
            bool for_each(pugi::xml_node& node) override
            {
                if (std::strcmp(node.name(), "w:t") == 0)
                    out->append(node.child_value());
                return true;
            }
        } walker;
        walker.out = &text;
        document.traverse(walker);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml.size()));
}

BENCHMARK_CAPTURE(inflateZlib, small, std::string("small"));
BENCHMARK_CAPTURE(inflateLibdeflate, small, std::string("small"));
BENCHMARK_CAPTURE(inflateZlib, large, std::string("large"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(streamLibzip, small, std::string("small"));
BENCHMARK_CAPTURE(streamRawZlib, small, std::string("small"));
BENCHMARK_CAPTURE(streamLibzip, large, std::string("large"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(streamRawZlib, large, std::string("large"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(inflateLibdeflate, large, std::string("large"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parseExpat, small, std::string("small"));
BENCHMARK_CAPTURE(parsePugixml, small, std::string("small"));
BENCHMARK_CAPTURE(parseExpat, large, std::string("large"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parsePugixml, large, std::string("large"))->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
