#pragma once
// The naming rule of converted documents, shared by the Convert command and
// the command-line converter.

#include <functional>
#include <string>

namespace plainora {

// The name without any space or dot; every other character (a tab too) kept.
std::string StripSpacesAndDots(const std::string& name);

// A document's file name cut before its last dot, then stripped of spaces
// and dots: "My Report.doc" gives "MyReport", "Minutes 2.1.docx" "Minutes21".
std::string CleanOutputName(const std::string& fileName);

// folder + cleaned name, with a counter appended while a folder of that path
// exists; the suffixes accumulate ("report", "report1", "report12").
// folderExists is the test of an existing folder (GetPathKind in the program).
std::string MakeOutputBase(const std::string& outputFolder, const std::string& cleanedName,
                           const std::function<bool(const std::string&)>& folderExists);

} // namespace plainora
