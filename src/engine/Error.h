#pragma once
// Failure contract of the engine: every operation either succeeds or fails
// with an error number greater than 0 and a description a user can act on.

#include <string>
#include <utility>
#include <variant>

namespace plainora::engine {

enum class ErrorCode : int {
    FileNotFound = 1,         // the source path names no file
    FileUnreadable = 2,       // the file exists but could not be read
    NotAWordDocument = 3,     // the content is of another kind
    PasswordProtected = 4,    // encrypted or obfuscated
    Damaged = 5,              // the container or the document structure is broken
    TooLarge = 6,             // a resource limit was reached
    UnsupportedOldFormat = 7, // Word 2.0, Word 6/95 where unreadable, MS Write
    OutputFailed = 8,         // the text file could not be written
    NoDocumentOpen = 9,       // save called before a successful open
    EncodingFailed = 10,      // the output encoding is unknown to iconv
    ModuleMissing = 11,       // the part of Plainora that reads the format is not installed
};

struct Error
{
    ErrorCode code;
    std::string description;

    int number() const { return static_cast<int>(code); }
};

inline Error makeError(ErrorCode code, std::string description)
{
    return Error{code, std::move(description)};
}

// A value or the reason there is none.
template <typename T> class Result
{
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(m_state); }
    const T& value() const { return std::get<0>(m_state); }
    T&& take() { return std::get<0>(std::move(m_state)); }
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// Result of an operation that yields nothing on success.
class Status
{
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error{ErrorCode::Damaged, {}};
    bool m_failed = false;
};

} // namespace plainora::engine
