#pragma once
// Recognises a document's format from its content, never from its name.

#include "engine/TextEncoding.h"

#include <string>

namespace plainora::engine {

enum class Format {
    OoxmlPackage, // a zip archive (.docx, .docm, .dotx, .dotm, or another zip)
    CompoundFile, // [MS-CFB]: Word 97-2003, Word 6/95, encrypted OOXML, or another Office file
    Rtf,
    FlatXml,       // Flat OPC package or Word 2003 XML
    Html,          // a web page saved with a Word name
    PlainText,     // text without markup
    WordForDos,    // Word 2.0 for Windows and older, or MS Write
    OpenDocument,  // OpenDocument text, packaged or flat
    ImportLibrary, // a word processor's format the import libraries read (WordPerfect, AbiWord)
    Other,         // recognised, but not something Plainora reads (see description)
    Unknown,
};

struct SniffResult
{
    Format format = Format::Unknown;
    // For Other: what the file looks like ("a PDF document", "a PNG image").
    std::string lookAlike;
};

SniffResult sniffFormat(ByteView bytes);

// What a zip archive holds, judged from its first entries' local headers:
// "an OpenDocument text document" (its first entry "mimetype" names it),
// "an Excel workbook", "an EPUB e-book", ...; empty for a Word package or
// when the entries say nothing. For the zip reader's "not a Word document"
// description.
std::string zipPackageLookAlike(ByteView bytes);

} // namespace plainora::engine
