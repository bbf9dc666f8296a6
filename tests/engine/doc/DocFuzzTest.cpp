#include "DocTestSupport.h"
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

using namespace plainora::engine;
using namespace plainora::engine::test;

namespace {

// Reads mutated bytes; any outcome but a crash, a hang or a failure without
// a description is fine.
void readMutated(const std::vector<std::uint8_t>& bytes, const std::string& what)
{
    auto document = readDocument(bytes);
    if (document.ok()) {
        renderPlainText(document.value());
    } else {
        ASSERT_GT(document.error().number(), 0) << what;
        ASSERT_FALSE(document.error().description.empty()) << what;
    }
}

std::vector<std::string> seedFiles()
{
    std::vector<std::string> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(fixturePath("")))
        if (entry.path().extension() == ".doc")
            seeds.push_back(entry.path().string());
    const std::filesystem::path corpus = PLAINORA_CORPUS_DIR;
    for (const char* name :
         {"doc/test-fields.doc", "doc/Lists.doc", "doc/innertable.doc", "doc/test13.doc", "odd/Word6.doc",
          "odd/Bug51944.doc", "odd/word2.doc", "odd/PasswordProtected.doc"})
        if (std::filesystem::exists(corpus / name))
            seeds.push_back((corpus / name).string());
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

} // namespace

// Bit flips, truncations and crafted loops over real files, seeded so that a
// failure repeats.
TEST(DocFuzz, MutatedDocumentsNeverCrash)
{
    std::mt19937 random(20091009);
    for (const std::string& seed : seedFiles()) {
        const std::vector<std::uint8_t> original = readBytes(seed);
        if (original.size() < 1024)
            continue;
        for (int round = 0; round < 150; ++round) {
            std::vector<std::uint8_t> bytes = original;
            const int flips = 1 + static_cast<int>(random() % 16);
            for (int i = 0; i < flips; ++i) {
                // Mostly the header, directory and FIB region, where damage matters most.
                const std::size_t limit =
                    (random() % 2) ? std::min<std::size_t>(bytes.size(), 4096) : bytes.size();
                bytes[random() % limit] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            }
            readMutated(bytes, seed + " flips round " + std::to_string(round));
        }
        for (int i = 1; i <= 8; ++i) {
            const std::vector<std::uint8_t> cut(original.begin(), original.begin() + original.size() * i / 9);
            readMutated(cut, seed + " truncated");
        }
        // Chain loops: a FAT entry of sector 0's table pointing at itself or back.
        if (original[0] == 0xD0) {
            for (std::uint32_t sector = 0; sector < 40; sector += 3) {
                std::vector<std::uint8_t> bytes = original;
                const std::uint32_t fatSector = bytes[0x4C] | (bytes[0x4D] << 8) | (bytes[0x4E] << 16);
                const std::size_t entry = (fatSector + 1) * 512ull + 4 * sector;
                if (entry + 4 > bytes.size())
                    break;
                putU32(bytes, entry, sector / 2);
                readMutated(bytes, seed + " chain loop");
            }
            // Directory loops: sibling and child links of the first entries.
            const std::uint32_t directory = original[0x30] | (original[0x31] << 8) | (original[0x32] << 16);
            for (std::uint32_t id = 0; id < 4; ++id) {
                for (std::uint32_t link : {0x44u, 0x48u, 0x4Cu}) {
                    std::vector<std::uint8_t> bytes = original;
                    const std::size_t at = (directory + 1) * 512ull + 128 * id + link;
                    if (at + 4 > bytes.size())
                        continue;
                    putU32(bytes, at, id == 0 ? 0 : id - 1);
                    readMutated(bytes, seed + " directory loop");
                }
            }
        }
    }
}
