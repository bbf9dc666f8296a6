#pragma once
// Entry points of the format readers. Each takes the whole file's bytes and
// fills the one document model, or says exactly what is wrong.

#include "engine/Document.h"
#include "engine/Error.h"
#include "engine/Options.h"
#include "engine/TextEncoding.h"

#include <optional>

namespace plainora::engine {

// docx/: a zip package (.docx, .docm, .dotx, .dotm), main part found through
// the package relationships.
Result<Document> readOoxmlPackage(ByteView bytes, const ReadOptions& options);
// docx/: Flat OPC (pkg:package) or Word 2003 XML (w:wordDocument).
Result<Document> readFlatXml(ByteView bytes, const ReadOptions& options);
// doc/: a compound file: Word 97-2003, Word 6/95, or an encrypted OOXML
// package, which fails as password-protected.
Result<Document> readCompoundFile(ByteView bytes, const ReadOptions& options);
// doc/: Word for Windows 2.0 and older, MS Write.
Result<Document> readWordForDos(ByteView bytes, const ReadOptions& options);
// rtf/
Result<Document> readRtf(ByteView bytes, const ReadOptions& options);
// text/: a web page's visible text.
Result<Document> readHtml(ByteView bytes, const ReadOptions& options);
// odf/: OpenDocument text, a package (.odt, .ott) or flat XML (.fodt).
Result<Document> readOpenDocument(ByteView bytes, const ReadOptions& options);

// revenge/: the librevenge family of import libraries, one per family of
// word processors.
enum class ImportLibrary {
    WordPerfect, // libwpd: WordPerfect 1-12
    Works,       // libwps: Microsoft Works, MS Write, Word for DOS and other DOS-era word processors
    Mac,         // libmwaw: MacWrite, Word for Mac 1-5, ClarisWorks/AppleWorks and other old Mac formats
    Pages,       // libetonyek: Pages
    StarOffice,  // libstaroffice: StarWriter
    AbiWord,     // libabw
};
// Both read through the module that holds the libraries, loaded on first use
// (ImportModule.h); without it they fail with ErrorCode::ModuleMissing.
// The first library that recognises the content reads it; nullopt when
// none does.
std::optional<Result<Document>> readWithImportLibraries(ByteView bytes, const ReadOptions& options);
// One library only.
Result<Document> readWithImportLibrary(ImportLibrary library, ByteView bytes, const ReadOptions& options);
// text/: plain text in UTF-8, UTF-16 with a byte-order mark, or Windows-1252.
Result<Document> readPlainText(ByteView bytes, const ReadOptions& options);

} // namespace plainora::engine
