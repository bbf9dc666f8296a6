#pragma once
// The failures of the Word binary readers, worded once.

#include "Error.h"

#include <string>

namespace plainora::engine::doc {

inline Error damagedError(const std::string& what)
{
    return makeError(ErrorCode::Damaged,
                     "The document is damaged: " + what +
                         ". Open it in a word processor, save it again and convert the copy.");
}

inline Error oldVersionError()
{
    return makeError(ErrorCode::UnsupportedOldFormat,
                     "The document was saved by an old version of Word that Plainora does not read. "
                     "Open it in a word processor and save it as a .docx file.");
}

inline Error passwordProtectedError()
{
    return makeError(
        ErrorCode::PasswordProtected,
        "The document is password-protected. Remove the password in a word processor and convert "
        "it again.");
}

} // namespace plainora::engine::doc
