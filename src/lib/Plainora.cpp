// The C library over the engine: no C++ type or exception leaves this file.

#include "plainora/plainora.h"

#include "engine/Engine.h"

#include <exception>
#include <memory>
#include <new>
#include <string>

struct plainora_result
{
    int error = PLAINORA_OK;
    std::string description;
    std::string text;
};

namespace {

using namespace plainora::engine;

static_assert(PLAINORA_ERROR_FILE_NOT_FOUND == static_cast<int>(ErrorCode::FileNotFound));
static_assert(PLAINORA_ERROR_FILE_UNREADABLE == static_cast<int>(ErrorCode::FileUnreadable));
static_assert(PLAINORA_ERROR_NOT_A_WORD_DOCUMENT == static_cast<int>(ErrorCode::NotAWordDocument));
static_assert(PLAINORA_ERROR_PASSWORD_PROTECTED == static_cast<int>(ErrorCode::PasswordProtected));
static_assert(PLAINORA_ERROR_DAMAGED == static_cast<int>(ErrorCode::Damaged));
static_assert(PLAINORA_ERROR_TOO_LARGE == static_cast<int>(ErrorCode::TooLarge));
static_assert(PLAINORA_ERROR_UNSUPPORTED_OLD_FORMAT == static_cast<int>(ErrorCode::UnsupportedOldFormat));
static_assert(PLAINORA_ERROR_MODULE_MISSING == static_cast<int>(ErrorCode::ModuleMissing));

constexpr unsigned kKnownOptions = PLAINORA_HEADERS_FOOTERS | PLAINORA_COMMENTS;

// Handed out when not even a result could be allocated; freeing it is a no-op.
plainora_result outOfMemory{
    PLAINORA_ERROR_TOO_LARGE, "There was not enough memory to convert the document.", {}};

plainora_result* failure(int error, const char* description)
{
    auto* result = new (std::nothrow) plainora_result;
    if (!result)
        return &outOfMemory;
    result->error = error;
    try {
        result->description = description;
    } catch (...) {
        delete result;
        return &outOfMemory;
    }
    return result;
}

template <typename Read> plainora_result* convert(unsigned options, Read read)
{
    if (options & ~kKnownOptions)
        return failure(PLAINORA_ERROR_INVALID_ARGUMENT,
                       "The options hold a bit this version of the library does not know.");
    try {
        ConverterOptions converterOptions; // the text stays UTF-8 with LF line ends
        converterOptions.read.includeHeadersFooters = options & PLAINORA_HEADERS_FOOTERS;
        converterOptions.read.includeComments = options & PLAINORA_COMMENTS;
        Result<OutputText> text = read(converterOptions);
        auto result = std::make_unique<plainora_result>();
        if (text) {
            result->text = std::move(text.value().bytes);
        } else {
            result->error = text.error().number();
            result->description = text.error().description;
        }
        return result.release();
    } catch (const std::bad_alloc&) {
        return &outOfMemory;
    } catch (const std::exception& exception) {
        try {
            return failure(
                PLAINORA_ERROR_DAMAGED,
                (std::string("The document could not be converted: ") + exception.what() + ".").c_str());
        } catch (...) {
            return &outOfMemory;
        }
    } catch (...) {
        return failure(PLAINORA_ERROR_DAMAGED, "The document could not be converted.");
    }
}

} // namespace

extern "C" {

plainora_result* plainora_extract_file(const char* path, unsigned options)
{
    if (!path)
        return failure(PLAINORA_ERROR_INVALID_ARGUMENT, "No path was given.");
    return convert(options, [path](const ConverterOptions& converterOptions) {
        return convertToMemory(std::string(path), converterOptions);
    });
}

plainora_result* plainora_extract_memory(const void* data, size_t size, unsigned options)
{
    if (!data && size > 0)
        return failure(PLAINORA_ERROR_INVALID_ARGUMENT, "No data was given.");
    return convert(options, [data, size](const ConverterOptions& converterOptions) {
        return convertToMemory(ByteView(static_cast<const std::uint8_t*>(data), size), converterOptions);
    });
}

int plainora_result_error(const plainora_result* result)
{
    return result ? result->error : PLAINORA_ERROR_INVALID_ARGUMENT;
}

const char* plainora_result_description(const plainora_result* result)
{
    return result ? result->description.c_str() : "No result was given.";
}

const char* plainora_result_text(const plainora_result* result, size_t* length)
{
    const bool ok = result && result->error == PLAINORA_OK;
    if (length)
        *length = ok ? result->text.size() : 0;
    return ok ? result->text.c_str() : nullptr;
}

void plainora_result_free(plainora_result* result)
{
    if (result != &outOfMemory)
        delete result;
}

const char* plainora_version(void)
{
    return versionString();
}

} // extern "C"
