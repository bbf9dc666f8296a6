#include "FuzzTargets.h"

#include "Engine.h"
#include "FormatSniffer.h"
#include "PlainTextWriter.h"
#include "Readers.h"

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
        {"flatxml", runReader<engine::readFlatXml>},
        {"compound", runReader<engine::readCompoundFile>},
        {"rtf", runReader<engine::readRtf>},
        {"html", runReader<engine::readHtml>},
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
