// Converts every file named on the command line to a .txt file in one
// output folder, in one process: the batch a comparison with other tools
// times. Usage: plainora_convert_files OUTPUT_DIR FILE...
#include "engine/Engine.h"

#include <cstdio>
#include <string>

using namespace plainora::engine;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR FILE...\n", argv[0]);
        return 2;
    }
    const std::string outputDir = argv[1];
    auto converter = Converter::create();
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        std::string name = argv[i];
        name = name.substr(name.find_last_of('/') + 1);
        name = name.substr(0, name.find_last_of('.')) + ".txt";
        Status status = converter.value()->open(argv[i]);
        if (status)
            status = converter.value()->saveAsText(outputDir + "/" + name);
        if (!status) {
            std::fprintf(stderr, "%s\n", status.error().description.c_str());
            ++failures;
        }
        converter.value()->quit();
    }
    return failures == 0 ? 0 : 1;
}
