#include "engine/ErrorText.h"

namespace plainora::engine {

namespace {

constexpr std::string_view kResave = "Open it in a word processor, save it again and convert the copy.";
constexpr std::string_view kRemovePassword = "Remove the password in a word processor and convert it again.";

std::string join(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view piece : pieces)
        text += piece;
    return text;
}

// "part word/document.xml " before a predicate, nothing without a place.
std::string subject(const Place& where)
{
    std::string place = describePlace(where);
    if (!place.empty())
        place += ' ';
    return place;
}

std::string mebibytes(std::uint64_t bytes)
{
    return std::to_string(bytes >> 20);
}

} // namespace

std::string describePlace(const Place& place)
{
    std::string text;
    if (!place.part.empty())
        text = join({"part ", place.part});
    if (place.offset)
        text += join({text.empty() ? "" : " ", "at byte ", std::to_string(*place.offset)});
    return text;
}

Error aboutFile(std::string_view fileName, const Error& error)
{
    return makeError(error.code, join({"\"", fileName, "\": ", error.description}));
}

Error fileNotFound()
{
    return makeError(ErrorCode::FileNotFound,
                     "The document was not found. It may have been moved, renamed or deleted.");
}

Error fileUnreadable(std::string_view reason)
{
    return makeError(ErrorCode::FileUnreadable, join({"The document could not be read: ", reason, "."}));
}

Error notRegularFile()
{
    return makeError(ErrorCode::FileUnreadable, "The path does not name a regular file.");
}

Error inputTooLarge(std::uint64_t maxBytes)
{
    return makeError(ErrorCode::TooLarge,
                     join({"The document is larger than Plainora reads (", mebibytes(maxBytes), " MB)."}));
}

Error emptyFile()
{
    return makeError(ErrorCode::NotAWordDocument, "The file is empty, so it is not a Word document.");
}

Error notWordDocument(std::string_view why)
{
    return makeError(ErrorCode::NotAWordDocument, join({"The file is not a Word document: ", why, "."}));
}

Error looksLike(std::string_view lookAlike)
{
    return notWordDocument(join({"it looks like ", lookAlike}));
}

Error unrecognised()
{
    return makeError(ErrorCode::NotAWordDocument,
                     "The file is not a Word document, and its content is of no kind Plainora recognises.");
}

Error notOfKind(std::string_view kind)
{
    return makeError(ErrorCode::NotAWordDocument, join({"The file is not a ", kind, "."}));
}

Error emptyWebArchive()
{
    return makeError(
        ErrorCode::NotAWordDocument,
        "The file is a web archive (MHTML) without a web page in it, so it is not a Word document.");
}

Error oldWordVersion()
{
    return makeError(ErrorCode::UnsupportedOldFormat,
                     "The document was saved by an old version of Word that Plainora does not read. "
                     "Open it in a word processor and save it as a .docx file.");
}

Error damaged(std::string_view what, const Place& where, std::string_view kind)
{
    return makeError(ErrorCode::Damaged,
                     join({"The ", kind, " is damaged: ", subject(where), what, ". ", kResave}));
}

Error missingPart(std::string_view part)
{
    return damaged(join({"the part \"", part, "\" is missing"}));
}

Error passwordProtected(std::string_view kind)
{
    return makeError(ErrorCode::PasswordProtected,
                     join({"The ", kind, " is password-protected. ", kRemovePassword}));
}

Error hostile(ErrorCode code, std::string_view what, const Place& where)
{
    return makeError(code, join({"The document is damaged or hostile: ", subject(where), what, "."}));
}

Error tooLarge(std::string_view what, const Place& where)
{
    return makeError(ErrorCode::TooLarge,
                     join({"The document is too large or hostile: ", subject(where), what, "."}));
}

Error nestedTooDeep(std::string_view what, int limit)
{
    return makeError(ErrorCode::TooLarge,
                     join({"The document nests ", what, " more than ", std::to_string(limit),
                           " levels deep, more than Plainora reads."}));
}

Error tooManyParts(std::uint64_t count, std::uint64_t limit)
{
    return makeError(ErrorCode::TooLarge,
                     join({"The document's zip container holds ", std::to_string(count),
                           " parts, more than the ", std::to_string(limit), " Plainora reads."}));
}

Error textTooLarge(std::uint64_t limitBytes)
{
    return makeError(ErrorCode::TooLarge,
                     join({"The document holds more than ", mebibytes(limitBytes),
                           " MiB of text, more than Plainora converts. Split it into smaller "
                           "documents in a word processor."}));
}

Error outOfMemory()
{
    return makeError(ErrorCode::TooLarge, "There is not enough memory to read the document.");
}

Error importLibraryFailed()
{
    return makeError(ErrorCode::Damaged, "The document could not be read: its import library failed. Open "
                                         "and save it again in its word processor, then convert it again.");
}

Error importModuleMissing(std::string_view moduleFileName)
{
    return makeError(
        ErrorCode::ModuleMissing,
        join({"The part of Plainora that reads WordPerfect, Works, old Macintosh, Pages, "
              "StarWriter and AbiWord documents (",
              moduleFileName, ") is missing or damaged. Reinstall Plainora, then convert the file again."}));
}

Error withReason(const Error& verdict, const Error& reason)
{
    return makeError(verdict.code, join({verdict.description, " ", reason.description}));
}

Error noDocumentOpen()
{
    return makeError(ErrorCode::NoDocumentOpen, "No document is open, so there is nothing to save.");
}

Error unknownEncoding(std::string_view charset)
{
    return makeError(ErrorCode::EncodingFailed,
                     join({"The text encoding \"", charset,
                           "\" is not known. Use a name that \"iconv -l\" lists, such as UTF-8 or CP1252."}));
}

Error outputFolderUnwritable(std::string_view folder, std::string_view reason)
{
    return makeError(ErrorCode::OutputFailed, join({"The text file could not be written to \"", folder,
                                                    "\": ", reason, ". Choose another output folder."}));
}

Error outputUnwritable(std::string_view path, std::string_view reason)
{
    return makeError(ErrorCode::OutputFailed,
                     join({"The text file \"", path, "\" could not be written: ", reason, "."}));
}

} // namespace plainora::engine
