#pragma once
// Checks and scans on raw XML text that the XML layer's paths share (the
// whole tree, the chunked stream, the kept parts' index).

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>

namespace plainora::engine::docx {

// True when the tree parser can take the part: UTF-8 and no DOCTYPE.
bool treeCanParse(std::string_view text);
// The checks expat makes and the tree parser does not.
bool isCleanXmlText(std::string_view text);
// Parses text in place as the XML layer needs it parsed.
pugi::xml_parse_result loadInPlace(pugi::xml_document& tree, std::string& text);
// Line and column (from 1) of a byte offset, as expat reports them.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset);
// One past the '>' of the markup at text[at] == '<', or npos while it is incomplete.
std::size_t markupEnd(std::string_view text, std::size_t at);
// The element name a tag (the text after its '<') begins with.
std::string_view tagName(std::string_view tag);
bool isNameStart(char c);
bool isSpace(char c);

} // namespace plainora::engine::docx
