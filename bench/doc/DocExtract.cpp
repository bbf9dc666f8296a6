// Converts each file named on the command line to text on standard output,
// as the other tools of doc/compare_doc.sh do; with -n N, converts the whole
// list N times and writes nothing (in-process throughput).

#include "engine/Engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    int repeat = 0;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
        repeat = std::atoi(argv[2]);
        first = 3;
    }
    int failures = 0;
    for (int round = 0; round < (repeat > 0 ? repeat : 1); ++round) {
        for (int i = first; i < argc; ++i) {
            auto text = plainora::engine::extractText(argv[i]);
            if (!text) {
                std::fprintf(stderr, "%s: %s\n", argv[i], text.error().description.c_str());
                ++failures;
            } else if (repeat == 0) {
                std::fwrite(text.value().data(), 1, text.value().size(), stdout);
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
