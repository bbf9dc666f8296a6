/* The installed libplainora, as a C program sees it: every format from a
 * path and from memory, each error number, and conversions in several
 * threads at once. Usage: c_library_test DATA_DIR CORPUS_DIR VERSION */

#include <plainora/plainora.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures;
static const char* dataDir;
static const char* corpusDir;

#define CHECK(condition, ...)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            fprintf(stderr, "%s:%d: %s: ", __FILE__, __LINE__, #condition);                                  \
            fprintf(stderr, __VA_ARGS__);                                                                    \
            fputc('\n', stderr);                                                                             \
            ++failures;                                                                                      \
        }                                                                                                    \
    } while (0)

struct bytes
{
    char* data;
    size_t size;
};

static char* joined(const char* folder, const char* name)
{
    char* path = malloc(strlen(folder) + strlen(name) + 2);
    sprintf(path, "%s/%s", folder, name);
    return path;
}

static struct bytes readFile(const char* path)
{
    struct bytes content = {NULL, 0};
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "cannot open %s\n", path);
        exit(2);
    }
    fseek(file, 0, SEEK_END);
    content.size = (size_t)ftell(file);
    fseek(file, 0, SEEK_SET);
    content.data = malloc(content.size + 1);
    if (fread(content.data, 1, content.size, file) != content.size) {
        fprintf(stderr, "cannot read %s\n", path);
        exit(2);
    }
    content.data[content.size] = '\0';
    fclose(file);
    return content;
}

/* A fixture and its hand-written text; options for the .all.txt ones. */
struct fixture
{
    const char* document;
    const char* text;
    unsigned options;
};

static const struct fixture fixtures[] = {
    {"docx/paragraphs.docx", "docx/paragraphs.txt", 0},
    {"docx/strict.docx", "docx/strict.txt", 0},
    {"docx/flat-opc.xml", "docx/flat-opc.txt", 0},
    {"docx/word2003.xml", "docx/word2003.txt", 0},
    {"docx/headers-comments.docx", "docx/headers-comments.all.txt",
     PLAINORA_HEADERS_FOOTERS | PLAINORA_COMMENTS},
    {"doc/table.doc", "doc/table.txt", 0},
    {"doc/headers-footers.doc", "doc/headers-footers.all.txt", PLAINORA_HEADERS_FOOTERS},
    {"doc/comments.doc", "doc/comments.all.txt", PLAINORA_COMMENTS},
    {"doc/notes.rtf", "doc/notes.txt", 0},
    {"rtf/lists.rtf", "rtf/lists.txt", 0},
    {"text/basic.html", "text/basic.txt", 0},
    {"text/web_archive.doc", "text/web_archive.txt", 0},
    {"text/plain_1252.doc", "text/plain_1252.txt", 0},
    {"text/utf16_page.doc", "text/utf16_page.txt", 0},
};
enum { fixtureCount = sizeof fixtures / sizeof fixtures[0] };

struct loaded
{
    char* path;
    struct bytes document;
    struct bytes text;
};
static struct loaded loadedFixtures[fixtureCount];

/* Returns 1 when the result holds exactly the expected text. */
static int holdsText(plainora_result* result, const struct bytes* expected, const char* what)
{
    size_t length = 12345;
    const char* text = plainora_result_text(result, &length);
    const int error = plainora_result_error(result);
    if (error != PLAINORA_OK || !text) {
        fprintf(stderr, "%s: error %d: %s\n", what, error, plainora_result_description(result));
        return 0;
    }
    if (length != expected->size || memcmp(text, expected->data, length) != 0 || text[length] != '\0') {
        fprintf(stderr, "%s: got %zu bytes:\n%.*s\n", what, length, (int)length, text);
        return 0;
    }
    return strcmp(plainora_result_description(result), "") == 0;
}

static void everyFormatFromPathAndMemory(void)
{
    for (int i = 0; i < fixtureCount; ++i) {
        const struct loaded* fixture = &loadedFixtures[i];
        plainora_result* fromPath = plainora_extract_file(fixture->path, fixtures[i].options);
        CHECK(holdsText(fromPath, &fixture->text, fixture->path), "from the path");
        plainora_result_free(fromPath);
        plainora_result* fromMemory =
            plainora_extract_memory(fixture->document.data, fixture->document.size, fixtures[i].options);
        CHECK(holdsText(fromMemory, &fixture->text, fixture->path), "from memory");
        plainora_result_free(fromMemory);
    }
}

static void expectError(plainora_result* result, int expected, const char* what)
{
    size_t length = 12345;
    CHECK(plainora_result_error(result) == expected, "%s: error %d, expected %d", what,
          plainora_result_error(result), expected);
    CHECK(plainora_result_text(result, &length) == NULL && length == 0, "%s: text after a failure", what);
    CHECK(strlen(plainora_result_description(result)) > 10, "%s: no description", what);
    plainora_result_free(result);
}

/* The corpus holds real encrypted and damaged files. */
static void corpusErrors(void)
{
    static const struct
    {
        const char* name;
        int error;
    } cases[] = {
        {"odd/PasswordProtected.doc", PLAINORA_ERROR_PASSWORD_PROTECTED},
        {"odd/example_password.docx", PLAINORA_ERROR_PASSWORD_PROTECTED},
        {"odd/badfile-01-bad-header.doc", PLAINORA_ERROR_DAMAGED},
        {"odd/truncated62886.docx", PLAINORA_ERROR_DAMAGED},
        /* read by the import module, found beside the installed library */
        {"archive/testPagesPwdProtected.pages", PLAINORA_ERROR_PASSWORD_PROTECTED},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char* path = joined(corpusDir, cases[i].name);
        struct bytes content = readFile(path);
        expectError(plainora_extract_file(path, 0), cases[i].error, path);
        expectError(plainora_extract_memory(content.data, content.size, 0), cases[i].error, path);
        free(content.data);
        free(path);
    }
}

static void eachErrorKind(void)
{
    char* missing = joined(dataDir, "docx/no such document.docx");
    static const char pdf[] = "%PDF-1.4\n1 0 obj\n<<>>\nendobj\n";
    char deepRtf[4096] = "{\\rtf1 ";
    memset(deepRtf + 7, '{', 1000);

    expectError(plainora_extract_file(missing, 0), PLAINORA_ERROR_FILE_NOT_FOUND, "missing file");
    expectError(plainora_extract_file(dataDir, 0), PLAINORA_ERROR_FILE_UNREADABLE, "a folder");
    expectError(plainora_extract_memory(pdf, sizeof pdf - 1, 0), PLAINORA_ERROR_NOT_A_WORD_DOCUMENT, "PDF");
    expectError(plainora_extract_memory(NULL, 0, 0), PLAINORA_ERROR_NOT_A_WORD_DOCUMENT, "no bytes");
    expectError(plainora_extract_memory(deepRtf, strlen(deepRtf), 0), PLAINORA_ERROR_TOO_LARGE,
                "deep nesting");
    expectError(plainora_extract_file(NULL, 0), PLAINORA_ERROR_INVALID_ARGUMENT, "no path");
    expectError(plainora_extract_memory(NULL, 4, 0), PLAINORA_ERROR_INVALID_ARGUMENT, "no data");
    expectError(plainora_extract_file(loadedFixtures[0].path, 1u << 7), PLAINORA_ERROR_INVALID_ARGUMENT,
                "unknown option");
    plainora_result_free(NULL);
    free(missing);

    corpusErrors();
}

/* Each thread converts every fixture several times, alternating path and
 * memory, starting at a different one. */
static void* convertAll(void* start)
{
    long mismatches = 0;
    for (int round = 0; round < 6; ++round) {
        for (int k = 0; k < fixtureCount; ++k) {
            const int i = (int)(((long)start + k) % fixtureCount);
            const struct loaded* fixture = &loadedFixtures[i];
            plainora_result* result =
                (round + k) % 2 ? plainora_extract_file(fixture->path, fixtures[i].options)
                                : plainora_extract_memory(fixture->document.data, fixture->document.size,
                                                          fixtures[i].options);
            mismatches += !holdsText(result, &fixture->text, fixture->path);
            plainora_result_free(result);
        }
    }
    return (void*)mismatches;
}

static void manyThreadsAtOnce(void)
{
    enum { threadCount = 8 };
    pthread_t threads[threadCount];
    for (long t = 0; t < threadCount; ++t)
        CHECK(pthread_create(&threads[t], NULL, convertAll, (void*)t) == 0, "thread %ld", t);
    for (int t = 0; t < threadCount; ++t) {
        void* mismatches = NULL;
        pthread_join(threads[t], &mismatches);
        CHECK(mismatches == NULL, "thread %d: %ld conversions differed", t, (long)mismatches);
    }
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s DATA_DIR CORPUS_DIR VERSION\n", argv[0]);
        return 2;
    }
    dataDir = argv[1];
    corpusDir = argv[2];
    for (int i = 0; i < fixtureCount; ++i) {
        char* textPath = joined(dataDir, fixtures[i].text);
        loadedFixtures[i].path = joined(dataDir, fixtures[i].document);
        loadedFixtures[i].document = readFile(loadedFixtures[i].path);
        loadedFixtures[i].text = readFile(textPath);
        free(textPath);
    }

    CHECK(strcmp(plainora_version(), argv[3]) == 0, "version %s", plainora_version());
    everyFormatFromPathAndMemory();
    eachErrorKind();
    manyThreadsAtOnce();

    for (int i = 0; i < fixtureCount; ++i) {
        free(loadedFixtures[i].path);
        free(loadedFixtures[i].document.data);
        free(loadedFixtures[i].text.data);
    }
    if (failures)
        fprintf(stderr, "%d checks failed\n", failures);
    return failures ? 1 : 0;
}
