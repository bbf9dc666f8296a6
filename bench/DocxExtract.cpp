// Extracts the text of every file named on the command line, REPEAT times
// (environment, default 1), writing nothing: the unit the comparison script
// times against other tools, with /usr/bin/time -v for the peak memory.

#include "engine/Engine.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const char* repeatText = std::getenv("REPEAT");
    const int repeat = repeatText ? std::atoi(repeatText) : 1;
    std::size_t bytes = 0;
    int failures = 0;
    for (int r = 0; r < repeat; ++r) {
        for (int i = 1; i < argc; ++i) {
            auto text = plainora::engine::extractText(argv[i]);
            if (!text) {
                std::fprintf(stderr, "%s: %s\n", argv[i], text.error().description.c_str());
                ++failures;
                continue;
            }
            bytes += text.value().size();
        }
    }
    std::printf("%zu bytes of text\n", bytes);
    return failures ? 1 : 0;
}
