#pragma once
// Every failure sentence of the engine, worded once: what happened, where in
// the document when that is known, and what the user can do about it.

#include "engine/Error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plainora::engine {

// Where a fault lies: a part of the document's package (a zip entry, a
// compound-file stream) and a byte offset, each when known.
struct Place
{
    Place(std::string_view part = {}, std::optional<std::uint64_t> offset = {}) : part(part), offset(offset)
    {
    }

    std::string_view part;
    std::optional<std::uint64_t> offset;
};

// "part word/document.xml at byte 512", "at byte 512", or nothing.
std::string describePlace(const Place& place);

// A failure reported for one file: "\"report.doc\": The document is damaged: ...".
Error aboutFile(std::string_view fileName, const Error& error);

// The file --------------------------------------------------------------

Error fileNotFound();
Error fileUnreadable(std::string_view reason); // reason: the system's, as a phrase
Error notRegularFile();
Error inputTooLarge(std::uint64_t maxBytes);
Error emptyFile();

// Not a document Plainora reads ---------------------------------------------

// "The file is not a Word document: <why>."
Error notWordDocument(std::string_view why);
// "The file is not a Word document: it looks like <lookAlike>."
Error looksLike(std::string_view lookAlike);
// A document none of the readers recognises.
Error unrecognised();
// The import library's own format: "The file is not a WordPerfect document."
Error notOfKind(std::string_view kind);
Error emptyWebArchive();
Error oldWordVersion();

// The document ----------------------------------------------------------------
// kind names the document where it is not Word's: "OpenDocument file",
// "WordPerfect document".

// Its structure is broken: "The document is damaged: part word/document.xml
// is not well-formed XML (...). Open it in ...". what is a clause, or with a
// part a predicate, without a final full stop.
Error damaged(std::string_view what, const Place& where = {}, std::string_view kind = "document");
// A part the package names but does not hold.
Error missingPart(std::string_view part);
Error passwordProtected(std::string_view kind = "document");
// A part that breaks a limit no honest writer comes near: code is TooLarge
// for sizes, Damaged for constructs Word never writes.
Error hostile(ErrorCode code, std::string_view what, const Place& where);
// Content whose size goes past what Plainora reads from one document.
Error tooLarge(std::string_view what, const Place& where = {});
// "The document nests fields more than 64 levels deep, more than Plainora reads."
Error nestedTooDeep(std::string_view what, int limit);
Error tooManyParts(std::uint64_t count, std::uint64_t limit);
Error textTooLarge(std::uint64_t limitBytes);
Error outOfMemory();
// An import library threw instead of failing.
Error importLibraryFailed();
// The module holding the import libraries could not be loaded.
Error importModuleMissing(std::string_view moduleFileName);
// A verdict with a second sentence saying why no more could be done.
Error withReason(const Error& verdict, const Error& reason);

// The output ------------------------------------------------------------------

Error noDocumentOpen();
Error unknownEncoding(std::string_view charset);
Error outputFolderUnwritable(std::string_view folder, std::string_view reason);
Error outputUnwritable(std::string_view path, std::string_view reason);

} // namespace plainora::engine
