#include "engine/DocumentNames.h"

#include "engine/TextEncoding.h"

#include <algorithm>
#include <string>

namespace plainora::engine {

const std::vector<std::string_view>& readableExtensions()
{
    static const std::vector<std::string_view> kExtensions = {
        // Word, its templates, RTF, MS Write, Word's web pages
        ".doc",
        ".dot",
        ".docx",
        ".docm",
        ".dotx",
        ".dotm",
        ".rtf",
        ".wri",
        ".htm",
        ".html",
        ".mht",
        ".mhtml",
        // OpenDocument text
        ".odt",
        ".ott",
        ".fodt",
        // WordPerfect
        ".wpd",
        ".wp",
        ".wp4",
        ".wp5",
        ".wp6",
        ".wpt",
        // Microsoft Works and Word for DOS's kin
        ".wps",
        // old Mac word processors (MacWrite, Word for Mac, ClarisWorks/AppleWorks, WriteNow)
        ".mcw",
        ".mw",
        ".mwd",
        ".cwk",
        ".wn",
        // Pages, StarWriter, AbiWord
        ".pages",
        ".sdw",
        ".abw",
        ".zabw",
        ".awt",
    };
    return kExtensions;
}

bool isReadableDocumentName(std::string_view name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot > 8)
        return false;
    const std::string extension = asciiLower(name.substr(dot));
    const auto& known = readableExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

} // namespace plainora::engine
