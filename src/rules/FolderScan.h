#pragma once
// Listing a folder's Word documents.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plainora {

// True for a name whose extension (from its last dot) begins with ".doc" in
// any letter case: .doc, .DOC, .docx, .docm.
bool IsWordDocumentName(const std::string& name);

// The names of the plain files directly in folder whose names are Word
// document names (or pass accept), in the order the file system lists them. Folders, hidden
// files (names beginning with ".") and entries that are neither regular files
// nor folders are never listed. The path is joined as folder + "/" + name,
// also when folder already ends in "/". A folder that cannot be listed gives
// no names; a failure in the middle keeps the names found so far.
std::vector<std::string> ScanFolderForDocuments(
    const std::string& folder,
    const std::function<bool(std::string_view)>& accept = [](std::string_view name) {
        return IsWordDocumentName(std::string(name));
    });

} // namespace plainora
