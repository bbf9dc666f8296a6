#include "Engine.h"

#include "FileIo.h"
#include "FormatSniffer.h"
#include "Limits.h"
#include "PlainTextWriter.h"
#include "Readers.h"

namespace plainora::engine {

namespace {

std::string baseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

Result<Document> readDocument(ByteView bytes, const ReadOptions& options)
{
    if (bytes.empty())
        return makeError(ErrorCode::NotAWordDocument, "The file is empty, so it is not a Word document.");
    // Checked here too for documents handed over in memory.
    if (bytes.size() > limits::kMaxInputFileBytes)
        return inputTooLarge(limits::kMaxInputFileBytes);
    const SniffResult sniff = sniffFormat(bytes);
    switch (sniff.format) {
    case Format::OoxmlPackage:
        return readOoxmlPackage(bytes, options);
    case Format::CompoundFile:
        return readCompoundFile(bytes, options);
    case Format::Rtf:
        return readRtf(bytes, options);
    case Format::FlatXml:
        return readFlatXml(bytes, options);
    case Format::Html:
        return readHtml(bytes, options);
    case Format::PlainText:
        return readPlainText(bytes, options);
    case Format::WordForDos:
        return readWordForDos(bytes, options);
    case Format::Other:
        return makeError(ErrorCode::NotAWordDocument,
                         "The file is not a Word document: it looks like " + sniff.lookAlike + ".");
    case Format::Unknown:
        break;
    }
    return makeError(ErrorCode::NotAWordDocument,
                     "The file is not a Word document, and its content is of no kind Plainora recognises.");
}

Result<Document> readDocumentFile(const std::string& path, const ReadOptions& options)
{
    auto file = MappedFile::open(path, limits::kMaxInputFileBytes);
    if (!file)
        return file.error();
    return readDocument(file.value().bytes(), options);
}

Result<std::string> extractText(const std::string& path, const ReadOptions& options)
{
    auto document = readDocumentFile(path, options);
    if (!document)
        return document.error();
    return renderPlainText(document.value());
}

Result<std::unique_ptr<Converter>> Converter::create(const ConverterOptions& options)
{
    return std::unique_ptr<Converter>(new Converter(options));
}

Status Converter::open(const std::string& sourcePath)
{
    m_document.reset();
    m_sourceName = baseName(sourcePath);
    auto document = readDocumentFile(sourcePath, m_options.read);
    if (!document)
        return makeError(document.error().code, "\"" + m_sourceName + "\": " + document.error().description);
    m_document = document.take();
    return {};
}

Status Converter::saveAsText(const std::string& outputPath)
{
    if (!m_document)
        return makeError(ErrorCode::NoDocumentOpen, "No document is open, so there is nothing to save.");
    auto output = encodeOutput(renderPlainText(*m_document), m_options.output);
    if (!output)
        return output.error();
    m_replacedCharacters = output.value().replacedCharacters;
    return writeFileAtomically(outputPath, output.value().bytes);
}

Status Converter::quit()
{
    m_document.reset();
    return {};
}

const char* versionString()
{
    return PLAINORA_VERSION;
}

} // namespace plainora::engine
