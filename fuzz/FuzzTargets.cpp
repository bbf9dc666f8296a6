#include "FuzzTargets.h"

#include "engine/Engine.h"
#include "engine/FormatSniffer.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"
#include "engine/doc/CompoundFile.h"
#include "engine/docx/ListNumbering.h"
#include "engine/docx/StoryReader.h"
#include "engine/docx/StyleSheet.h"
#include "engine/docx/XmlParser.h"
#include "engine/docx/ZipPackage.h"
#include "engine/revenge/ImportLibraries.h"

#include <algorithm>
#include <string>

namespace plainora::fuzz {

namespace {

using engine::ByteView;
using engine::Document;
using engine::ReadOptions;
using engine::Result;

bool honoursContract(const Result<Document>& result)
{
    if (!result.ok())
        return result.error().number() > 0 && !result.error().description.empty();
    return engine::isValidUtf8(engine::renderPlainText(result.value()));
}

// Every option on, so headers, footers and comments are parsed too.
const ReadOptions kEverything{true, true};

template <Result<Document> (*Reader)(ByteView, const ReadOptions&)>
bool runReader(const std::uint8_t* data, std::size_t size)
{
    return honoursContract(Reader(ByteView(data, size), kEverything));
}

bool runSniffer(const std::uint8_t* data, std::size_t size)
{
    const auto result = engine::sniffFormat(ByteView(data, size));
    return result.format != engine::Format::Other || !result.lookAlike.empty();
}

// The zip layer alone: open the package and inflate every part under the
// package limits, as the .docx reader does.
bool runZip(const std::uint8_t* data, std::size_t size)
{
    auto package = engine::docx::ZipPackage::open(ByteView(data, size));
    if (!package)
        return package.error().number() > 0 && !package.error().description.empty();
    const std::vector<std::string> names = package.value()->partNames();
    std::string whole;
    for (const std::string& name : names) {
        const engine::Status status =
            package.value()->read(name, [](std::string_view) { return engine::Status{}; });
        if (!status && (status.error().number() <= 0 || status.error().description.empty()))
            return false;
        // In one call, as small parts are read: no more than the declared
        // size. A lower limit than the reader's keeps the sanitizer's
        // quarantine of freed buffers within the fuzzer's memory limit.
        const engine::Status inOneCall = package.value()->readWhole(name, whole, 64u << 10);
        if (!inOneCall && (inOneCall.error().number() <= 0 || inOneCall.error().description.empty()))
            return false;
        if (inOneCall && whole.size() > package.value()->declaredSize(name))
            return false;
    }
    return true;
}

// One XML part straight into the part readers, skipping the zip layer: the
// first byte picks the reader (styles, numbering, or a story kind) and the
// parser (expat, the whole tree, or the tree in chunks of a few bytes fed in
// small pieces), the rest is the part.
bool runOoxmlPart(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return true;
    using engine::docx::StoryReader;
    const std::string_view part(reinterpret_cast<const char*>(data) + 1, size - 1);
    Document document;
    engine::docx::StyleSheet styles;
    engine::docx::ListNumbering numbering;
    numbering.setStyles(&styles);
    engine::docx::StoryContext context;
    context.styles = &styles;
    context.numbering = &numbering;
    context.options = kEverything;
    context.document = &document;
    const int path = data[0] / 6 % 3;
    auto parse = [&](engine::docx::XmlParser& parser) -> engine::Status {
        if (path == 1) {
            std::string text(part);
            if (auto status = parser.parseTree(text))
                return *status;
            return parser.parse(part);
        }
        if (path == 2) {
            for (std::size_t at = 0; at < part.size(); at += 5) {
                if (engine::Status status = parser.stream(part.substr(at, 5), false, 16); !status)
                    return status;
            }
            return parser.stream({}, true, 16);
        }
        return parser.parse(part);
    };
    engine::Status status;
    switch (data[0] % 6) {
    case 0: {
        engine::docx::XmlParser parser(styles, "styles");
        status = parse(parser);
        break;
    }
    case 1: {
        engine::docx::XmlParser parser(numbering, "numbering");
        status = parse(parser);
        break;
    }
    default: {
        static constexpr StoryReader::Part kParts[] = {
            StoryReader::Part::Document, StoryReader::Part::Footnotes, StoryReader::Part::Comments,
            StoryReader::Part::HeaderFooter};
        const StoryReader::Part kind = kParts[data[0] % 6 - 2];
        // Notes and comments are only kept when the body referred to them.
        document.footnotes.push_back(engine::Note{"1", {}});
        context.footnoteIndexes.emplace(1, 0);
        std::vector<engine::Block> blocks;
        StoryReader reader(context, kind, kind == StoryReader::Part::HeaderFooter ? &blocks : nullptr);
        engine::docx::XmlParser parser(reader, "story");
        status = parse(parser);
        document.headersFooters.push_back(std::move(blocks));
        break;
    }
    }
    if (!status)
        return status.error().number() > 0 && !status.error().description.empty();
    return engine::isValidUtf8(engine::renderPlainText(document));
}

// The compound-file layer alone: open the container and read every stream
// reachable from the root, as the readers find them.
bool runCompoundFileLayer(const std::uint8_t* data, std::size_t size)
{
    using engine::doc::CompoundFile;
    auto file = CompoundFile::open(ByteView(data, size));
    if (!file)
        return file.error().number() > 0 && !file.error().description.empty();
    std::vector<std::uint32_t> storages{CompoundFile::kRoot};
    std::vector<bool> seen;
    while (!storages.empty()) {
        const std::uint32_t storage = storages.back();
        storages.pop_back();
        for (std::uint32_t id : file.value().children(storage)) {
            if (id >= seen.size())
                seen.resize(id + 1, false);
            if (seen[id])
                continue;
            seen[id] = true;
            const CompoundFile::Entry& entry = file.value().entry(id);
            if (entry.type == CompoundFile::EntryType::Storage) {
                storages.push_back(id);
            } else if (entry.type == CompoundFile::EntryType::Stream) {
                auto stream = file.value().readStream(id);
                if (!stream && (stream.error().number() <= 0 || stream.error().description.empty()))
                    return false;
            }
        }
        // Lookups by name walk the same tree.
        (void)file.value().find(storage, "WordDocument");
    }
    return true;
}

// A minimal version 3 compound file ([MS-CFB] 2.2, 2.3, 2.6) around a
// WordDocument stream and its table stream, so the Word binary reader is fed
// straight from the two streams while the container stays valid. Streams are
// padded to the mini-stream cutoff so they live in ordinary sectors.
std::string compoundFileOf(std::string_view word, std::string_view table)
{
    constexpr std::size_t kSector = 512;
    constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD, kFree = 0xFFFFFFFF;
    auto sectors = [&](std::size_t bytes) {
        return (std::max<std::size_t>(bytes, 4096) + kSector - 1) / kSector;
    };
    const std::size_t wordSectors = sectors(word.size()), tableSectors = sectors(table.size());
    std::size_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < fatSectors + 1 + wordSectors + tableSectors)
        ++fatSectors;
    if (fatSectors > 109)
        return {};
    const std::size_t total = fatSectors + 1 + wordSectors + tableSectors;
    std::string file((1 + total) * kSector, '\0');
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        file[at] = char(v & 0xFF), file[at + 1] = char(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    file.replace(0, 8, signature, 8);
    put16(24, 0x3E), put16(26, 3), put16(28, 0xFFFE), put16(30, 9), put16(32, 6);
    put32(44, std::uint32_t(fatSectors)), put32(48, std::uint32_t(fatSectors)), put32(56, 4096);
    put32(60, kEnd), put32(68, kEnd);
    for (std::size_t i = 0; i < 109; ++i)
        put32(76 + 4 * i, i < fatSectors ? std::uint32_t(i) : kFree);
    auto sectorAt = [&](std::size_t sector) { return (1 + sector) * kSector; };
    auto fat = [&](std::size_t sector, std::uint32_t next) { put32(sectorAt(0) + 4 * sector, next); };
    for (std::size_t i = 0; i < fatSectors * (kSector / 4); ++i)
        fat(i, i < fatSectors ? kFatSector : kFree);
    fat(fatSectors, kEnd);
    auto chain = [&](std::size_t first, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            fat(first + i, i + 1 < count ? std::uint32_t(first + i + 1) : kEnd);
    };
    const std::size_t wordFirst = fatSectors + 1, tableFirst = wordFirst + wordSectors;
    chain(wordFirst, wordSectors);
    chain(tableFirst, tableSectors);
    file.replace(sectorAt(wordFirst), word.size(), word);
    file.replace(sectorAt(tableFirst), table.size(), table);
    const bool table1 = word.size() > 11 && (static_cast<unsigned char>(word[11]) & 0x02);
    auto entry = [&](std::uint32_t id, std::u16string_view name, std::uint8_t type, std::uint32_t right,
                     std::uint32_t child, std::uint32_t start, std::size_t size) {
        const std::size_t at = sectorAt(fatSectors) + 128 * id;
        for (std::size_t i = 0; i < name.size(); ++i)
            put16(at + 2 * i, static_cast<std::uint16_t>(name[i]));
        put16(at + 64, std::uint16_t(2 * (name.size() + 1)));
        file[at + 66] = char(type), file[at + 67] = 1;
        put32(at + 68, kFree), put32(at + 72, right), put32(at + 76, child);
        put32(at + 116, start), put32(at + 120, std::uint32_t(std::max<std::size_t>(size, 4096)));
    };
    entry(0, u"Root Entry", 5, kFree, 1, kEnd, 0);
    put32(sectorAt(fatSectors) + 120, 0);
    entry(1, u"WordDocument", 2, 2, kFree, std::uint32_t(wordFirst), word.size());
    entry(2, table1 ? u"1Table" : u"0Table", 2, kFree, kFree, std::uint32_t(tableFirst), table.size());
    for (std::uint32_t id = 3; id < 4; ++id) {
        const std::size_t at = sectorAt(fatSectors) + 128 * id;
        put32(at + 68, kFree), put32(at + 72, kFree), put32(at + 76, kFree);
    }
    return file;
}

// The Word binary text reader from a WordDocument and a table stream: a
// 4-byte little-endian length of the WordDocument stream, the stream, then
// the table stream.
bool runDocText(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return true;
    const std::size_t wordSize =
        std::min<std::size_t>(size - 4, std::size_t(data[0]) | std::size_t(data[1]) << 8 |
                                            std::size_t(data[2]) << 16 | std::size_t(data[3] & 0x7F) << 24);
    const std::string_view all(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::string file = compoundFileOf(all.substr(0, wordSize), all.substr(wordSize));
    if (file.empty())
        return true;
    return honoursContract(engine::readCompoundFile(engine::asBytes(file), kEverything));
}

// One import library on its own, as the engine calls it once the library
// recognised the content.
template <engine::ImportLibrary Library> bool runImportLibrary(const std::uint8_t* data, std::size_t size)
{
    return honoursContract(engine::revenge::readWithLibrary(Library, ByteView(data, size), kEverything));
}

bool runEngine(const std::uint8_t* data, std::size_t size)
{
    return honoursContract(engine::readDocument(ByteView(data, size), kEverything));
}

} // namespace

const std::vector<Target>& targets()
{
    static const std::vector<Target> all{
        {"sniffer", runSniffer},
        {"engine", runEngine},
        {"ooxml", runReader<engine::readOoxmlPackage>},
        {"zip", runZip},
        {"ooxmlpart", runOoxmlPart},
        {"flatxml", runReader<engine::readFlatXml>},
        {"compound", runReader<engine::readCompoundFile>},
        {"cfb", runCompoundFileLayer},
        {"doctext", runDocText},
        {"rtf", runReader<engine::readRtf>},
        {"html", runReader<engine::readHtml>},
        {"odf", runReader<engine::readOpenDocument>},
        {"wordperfect", runImportLibrary<engine::ImportLibrary::WordPerfect>},
        {"works", runImportLibrary<engine::ImportLibrary::Works>},
        {"mac", runImportLibrary<engine::ImportLibrary::Mac>},
        {"pages", runImportLibrary<engine::ImportLibrary::Pages>},
        {"staroffice", runImportLibrary<engine::ImportLibrary::StarOffice>},
        {"abiword", runImportLibrary<engine::ImportLibrary::AbiWord>},
    };
    return all;
}

const Target* findTarget(std::string_view name)
{
    for (const Target& target : targets()) {
        if (target.name == name)
            return &target;
    }
    return nullptr;
}

} // namespace plainora::fuzz
