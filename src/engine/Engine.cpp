#include "engine/Engine.h"

#include "engine/ErrorText.h"
#include "engine/FileIo.h"
#include "engine/FormatSniffer.h"
#include "engine/Limits.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"

namespace plainora::engine {

namespace {

std::string baseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A reader that found the content is not its kind of document hands it to
// the import libraries: Works and StarWriter files are compound files too,
// Pages documents zip packages, and MS Write and Word for DOS files the
// libraries read where the engine's own reader declines them.
Result<Document> orImportLibraries(Result<Document> result, ByteView bytes, const ReadOptions& options)
{
    if (result || (result.error().code != ErrorCode::NotAWordDocument &&
                   result.error().code != ErrorCode::UnsupportedOldFormat))
        return result;
    if (auto imported = readWithImportLibraries(bytes, options)) {
        // Without the import libraries the reader's own verdict stands,
        // with the reason they could not be asked.
        if (!*imported && imported->error().code == ErrorCode::ModuleMissing)
            return withReason(result.error(), imported->error());
        return std::move(*imported);
    }
    return result;
}

Result<OutputText> encodeDocument(const Result<Document>& document, const OutputOptions& output)
{
    if (!document)
        return document.error();
    return encodeOutput(renderPlainText(document.value()), output);
}

} // namespace

Result<Document> readDocument(ByteView bytes, const ReadOptions& options)
{
    if (bytes.empty())
        return emptyFile();
    // Checked here too for documents handed over in memory.
    if (bytes.size() > limits::kMaxInputFileBytes)
        return inputTooLarge(limits::kMaxInputFileBytes);
    const SniffResult sniff = sniffFormat(bytes);
    switch (sniff.format) {
    case Format::OoxmlPackage:
        return orImportLibraries(readOoxmlPackage(bytes, options), bytes, options);
    case Format::CompoundFile:
        return orImportLibraries(readCompoundFile(bytes, options), bytes, options);
    case Format::Rtf:
        return readRtf(bytes, options);
    case Format::FlatXml:
        return readFlatXml(bytes, options);
    case Format::Html:
        return readHtml(bytes, options);
    case Format::PlainText:
        return readPlainText(bytes, options);
    case Format::WordForDos:
        return orImportLibraries(readWordForDos(bytes, options), bytes, options);
    case Format::OpenDocument:
        return readOpenDocument(bytes, options);
    case Format::ImportLibrary:
        return readWithImportLibraries(bytes, options).value_or(unrecognised());
    case Format::Other:
        // Compressed AbiWord files are gzip streams.
        if (sniff.lookAlike == "a gzip archive")
            if (auto imported = readWithImportLibraries(bytes, options))
                return std::move(*imported);
        return looksLike(sniff.lookAlike);
    case Format::Unknown:
        // Old Mac and DOS word processors carry no common signature: the
        // libraries recognise them by their own headers.
        if (auto imported = readWithImportLibraries(bytes, options))
            return std::move(*imported);
        break;
    }
    return unrecognised();
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
    auto text = convertToMemory(path, ConverterOptions{options, {}});
    if (!text)
        return text.error();
    return std::move(text.value().bytes);
}

Result<OutputText> convertToMemory(ByteView bytes, const ConverterOptions& options)
{
    return encodeDocument(readDocument(bytes, options.read), options.output);
}

Result<OutputText> convertToMemory(const std::string& sourcePath, const ConverterOptions& options)
{
    return encodeDocument(readDocumentFile(sourcePath, options.read), options.output);
}

Result<std::size_t> writeText(const Document& document, const std::string& outputPath,
                              const OutputOptions& output, const BeforeWrite& beforeWrite)
{
    auto text = encodeOutput(renderPlainText(document), output);
    if (!text)
        return text.error();
    if (beforeWrite)
        beforeWrite();
    if (Status written = writeFileAtomically(outputPath, text.value().bytes); !written)
        return written.error();
    return text.value().replacedCharacters;
}

Result<std::size_t> convertToFile(const std::string& sourcePath, const std::string& outputPath,
                                  const ConverterOptions& options, const BeforeWrite& beforeWrite)
{
    auto document = readDocumentFile(sourcePath, options.read);
    if (!document)
        return document.error();
    return writeText(document.value(), outputPath, options.output, beforeWrite);
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
        return aboutFile(m_sourceName, document.error());
    m_document = document.take();
    return {};
}

Status Converter::saveAsText(const std::string& outputPath)
{
    if (!m_document)
        return noDocumentOpen();
    auto written = writeText(*m_document, outputPath, m_options.output);
    if (!written)
        return written.error();
    m_replacedCharacters = written.value();
    return {};
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
