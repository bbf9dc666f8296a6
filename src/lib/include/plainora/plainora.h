/*
 * plainora.h: Plainora's conversion engine as a C library.
 *
 * Reads a word-processor document (.doc, .docx, .rtf, Word XML, web pages
 * saved as .doc, plain text, OpenDocument, WordPerfect, Works, the old Mac
 * word processors, Pages, StarWriter, AbiWord) from a path or from memory
 * and gives its text in Plainora's plain-text layout: UTF-8 without
 * byte-order mark, LF line ends.
 *
 * Every function is safe to call from many threads at once; results are
 * independent objects, each owned by the caller until plainora_result_free().
 * No function keeps a pointer to its arguments after it returns.
 *
 *     plainora_result* result = plainora_extract_file("report.docx", PLAINORA_HEADERS_FOOTERS);
 *     if (plainora_result_error(result) == PLAINORA_OK) {
 *         size_t length;
 *         const char* text = plainora_result_text(result, &length);
 *         fwrite(text, 1, length, stdout);
 *     } else {
 *         fprintf(stderr, "%s (error %d)\n", plainora_result_description(result),
 *                 plainora_result_error(result));
 *     }
 *     plainora_result_free(result);
 *
 * Link with `pkg-config --cflags --libs plainora`, or in CMake
 * `find_package(plainora)` and `target_link_libraries(app PRIVATE plainora::plainora)`.
 */
#ifndef PLAINORA_PLAINORA_H
#define PLAINORA_PLAINORA_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define PLAINORA_API __attribute__((visibility("default")))
#else
#define PLAINORA_API
#endif

/* Read options, combined with |. Without them a conversion gives the body and
 * its notes only. */
enum plainora_option {
    /* Headers and footers after the body, each distinct one once. */
    PLAINORA_HEADERS_FOOTERS = 1 << 0,
    /* Comments after the notes, as "[comment n] text". */
    PLAINORA_COMMENTS = 1 << 1
};

/* Error numbers: the ones plainora-cli prints as "(error N)", with the same
 * descriptions. New numbers may be added; treat an unknown one as a failure. */
enum plainora_error {
    PLAINORA_OK = 0,
    PLAINORA_ERROR_FILE_NOT_FOUND = 1,         /* the path names no file */
    PLAINORA_ERROR_FILE_UNREADABLE = 2,        /* it exists but could not be read, or is no regular file */
    PLAINORA_ERROR_NOT_A_WORD_DOCUMENT = 3,    /* the content is of another kind */
    PLAINORA_ERROR_PASSWORD_PROTECTED = 4,     /* encrypted or obfuscated */
    PLAINORA_ERROR_DAMAGED = 5,                /* the container or the document structure is broken */
    PLAINORA_ERROR_TOO_LARGE = 6,              /* a resource limit was reached, or memory ran out */
    PLAINORA_ERROR_UNSUPPORTED_OLD_FORMAT = 7, /* Word 2.0, Word 6/95 where unreadable, MS Write */
    PLAINORA_ERROR_MODULE_MISSING = 11,        /* the part that reads the format is not installed */
    /* The library's own, never printed by plainora-cli: a null pointer where a
     * path or data was needed, or an option bit this version does not know. */
    PLAINORA_ERROR_INVALID_ARGUMENT = 100
};

/* The outcome of one conversion: the text, or the error and its description. */
typedef struct plainora_result plainora_result;

/* Converts the document at path (a file name in the file system's encoding).
 * options: PLAINORA_HEADERS_FOOTERS | PLAINORA_COMMENTS, or 0.
 * Never returns NULL; free the result with plainora_result_free(). */
PLAINORA_API plainora_result* plainora_extract_file(const char* path, unsigned options);

/* Converts the document held in data[0..size). The bytes are only read, and
 * only during the call. data may be NULL when size is 0 (an empty document).
 * Never returns NULL; free the result with plainora_result_free(). */
PLAINORA_API plainora_result* plainora_extract_memory(const void* data, size_t size, unsigned options);

/* PLAINORA_OK (0) when the conversion succeeded, otherwise a plainora_error
 * number. */
PLAINORA_API int plainora_result_error(const plainora_result* result);

/* What went wrong and what to do, in English, UTF-8; "" after a success. Valid
 * until the result is freed. */
PLAINORA_API const char* plainora_result_description(const plainora_result* result);

/* The text, UTF-8, ending in a NUL that length does not count; NULL after a
 * failure (length is then set to 0). length may be NULL. Valid until the
 * result is freed. */
PLAINORA_API const char* plainora_result_text(const plainora_result* result, size_t* length);

/* Releases a result and its text. NULL is ignored. */
PLAINORA_API void plainora_result_free(plainora_result* result);

/* The library's version, such as "2009.09.0009". */
PLAINORA_API const char* plainora_version(void);

#ifdef __cplusplus
}
#endif

#endif /* PLAINORA_PLAINORA_H */
