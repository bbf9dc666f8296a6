#include "rules/OutputNaming.h"

namespace plainora {

std::string StripSpacesAndDots(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c != ' ' && c != '.')
            out.push_back(c);
    }
    return out;
}

std::string CleanOutputName(const std::string& fileName)
{
    const auto dot = fileName.rfind('.');
    return StripSpacesAndDots(dot == std::string::npos ? fileName : fileName.substr(0, dot));
}

std::string MakeOutputBase(const std::string& outputFolder, const std::string& cleanedName,
                           const std::function<bool(const std::string&)>& folderExists)
{
    std::string base = outputFolder + cleanedName;
    // The counter grows by one per round; each round appends it, so a chain
    // of folders named like the output can never make this loop endless.
    for (long long counter = 1; folderExists(base); ++counter)
        base += std::to_string(counter);
    return base;
}

} // namespace plainora
