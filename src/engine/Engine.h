#pragma once
// The engine's public interface: read a document of any supported format
// into text, and the four conversion operations a front end drives
// (create a converter, open a document, save it as plain text, quit).

#include "engine/Document.h"
#include "engine/Error.h"
#include "engine/Options.h"
#include "engine/PlainTextWriter.h"
#include "engine/TextEncoding.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plainora::engine {

// Recognises the format from the content and runs the reader that fits.
Result<Document> readDocument(ByteView bytes, const ReadOptions& options = {});
Result<Document> readDocumentFile(const std::string& path, const ReadOptions& options = {});

// Reads a file and renders it in the plain-text layout (UTF-8, LF).
Result<std::string> extractText(const std::string& path, const ReadOptions& options = {});

struct ConverterOptions
{
    ReadOptions read;
    OutputOptions output;
};

// The one conversion chain every front end runs: read, render, encode, write.
// To memory: the encoded text, for standard output and the C library.
Result<OutputText> convertToMemory(ByteView bytes, const ConverterOptions& options);
Result<OutputText> convertToMemory(const std::string& sourcePath, const ConverterOptions& options);

// Called once the text is ready, just before the output file is replaced: a
// batch waits there for an earlier document that writes the same file.
using BeforeWrite = std::function<void()>;

// Writes the text of sourcePath to outputPath, replacing an existing file only
// once the new one is complete. Yields the characters the encoding could not hold.
Result<std::size_t> convertToFile(const std::string& sourcePath, const std::string& outputPath,
                                  const ConverterOptions& options, const BeforeWrite& beforeWrite = {});

// The second half of the chain, for a document already read.
Result<std::size_t> writeText(const Document& document, const std::string& outputPath,
                              const OutputOptions& output, const BeforeWrite& beforeWrite = {});

// One conversion instance: open a document, save it as text, quit.
class Converter
{
public:
    static Result<std::unique_ptr<Converter>> create(const ConverterOptions& options = {});

    // Reads the document; a failure names the file and says why.
    Status open(const std::string& sourcePath);
    // Writes the open document's text to outputPath, replacing an existing
    // file only once the new one is complete.
    Status saveAsText(const std::string& outputPath);
    // Releases the document. Quitting twice is harmless.
    Status quit();

    // Characters the output encoding could not hold in the last save.
    std::size_t replacedCharacters() const { return m_replacedCharacters; }

private:
    explicit Converter(const ConverterOptions& options) : m_options(options) {}

    ConverterOptions m_options;
    std::optional<Document> m_document;
    std::string m_sourceName;
    std::size_t m_replacedCharacters = 0;
};

// Product version, as the version record gives it.
const char* versionString();

} // namespace plainora::engine
