#pragma once
// The plain-text layout, written once for every format (see the README,
// "Output format"): UTF-8, LF, one line per paragraph and per table row.

#include "engine/Document.h"
#include "engine/Error.h"
#include "engine/Options.h"

#include <string>

namespace plainora::engine {

// Renders the model as UTF-8 text with LF line ends.
std::string renderPlainText(const Document& document);

// Converts rendered text to the output options' encoding and line ends.
// replacedCharacters counts characters the encoding could not hold.
struct OutputText
{
    std::string bytes;
    std::size_t replacedCharacters = 0;
};
// Takes the text by value: UTF-8 with LF line ends is handed over without a copy.
Result<OutputText> encodeOutput(std::string utf8Text, const OutputOptions& options);

} // namespace plainora::engine
