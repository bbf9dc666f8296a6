#pragma once

#include <string>

namespace plainora::engine {

// What a reader puts into the model besides the body and the notes.
struct ReadOptions
{
    bool includeHeadersFooters = false;
    bool includeComments = false;
};

enum class LineEnd { Lf, CrLf };

// How the rendered text is written out.
struct OutputOptions
{
    std::string encoding = "UTF-8"; // any iconv name
    LineEnd lineEnd = LineEnd::Lf;
};

} // namespace plainora::engine
