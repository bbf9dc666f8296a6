#include "DocTestSupport.h"
#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace plainora::engine;
using namespace plainora::engine::test;

namespace {

Result<std::string> textOf(const std::vector<std::uint8_t>& bytes, const ReadOptions& options = {})
{
    auto document = readDocument(bytes, options);
    if (!document)
        return document.error();
    return renderPlainText(document.value());
}

bool mentions(const Error& error, const std::string& words)
{
    return error.description.find(words) != std::string::npos;
}

} // namespace

// Each fixture is one feature, saved by LibreOffice as "MS Word 97" from
// name.source.docx; name.txt is the expected text, name.all.txt the text
// with headers, footers and comments.
TEST(WordBinaryReader, MatchesTheExpectedTextOfEveryFixture)
{
    const std::filesystem::path folder = fixturePath("");
    int fixtures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".doc")
            continue;
        ++fixtures;
        const std::string stem = entry.path().stem().string();
        auto text = textOf(readBytes(entry.path().string()));
        ASSERT_TRUE(text.ok()) << stem << ": " << text.error().description;
        plainora::engine::testing::expectGolden(text.value(), folder / (stem + ".txt"));
        const auto all = folder / (stem + ".all.txt");
        if (std::filesystem::exists(all)) {
            ReadOptions options;
            options.includeHeadersFooters = true;
            options.includeComments = true;
            auto allText = textOf(readBytes(entry.path().string()), options);
            ASSERT_TRUE(allText.ok()) << stem;
            plainora::engine::testing::expectGolden(allText.value(), all);
        }
    }
    EXPECT_GE(fixtures, 14);
}

namespace {

// Stores a regular stream's sectors in reverse order, its chain rewritten to
// match, so that every read across a sector boundary spans two runs.
void reverseSectorsOf(CfbLayout& layout, std::size_t streamIndex, std::size_t streamBytes)
{
    const std::uint32_t first = layout.streamFirstSector[streamIndex];
    const auto count = static_cast<std::uint32_t>((streamBytes + 511) / 512);
    std::vector<std::uint8_t> original(layout.bytes.begin() + layout.sectorOffset(first),
                                       layout.bytes.begin() + layout.sectorOffset(first + count));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t physical = first + count - 1 - i;
        std::copy_n(original.begin() + 512 * i, 512, layout.bytes.begin() + layout.sectorOffset(physical));
        putU32(layout.bytes, layout.fatEntryOffset(physical), i + 1 < count ? physical - 1 : 0xFFFFFFFE);
    }
    putU32(layout.bytes, layout.directoryEntryOffset(static_cast<std::uint32_t>(streamIndex + 1)) + 0x74,
           first + count - 1);
}

} // namespace

// Writers do not always store a stream's sectors in order; the text and the
// property pages are then read across the gaps.
TEST(WordBinaryReader, ReadsAWordStreamWhoseSectorsAreScattered)
{
    int scattered = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fixturePath(""))) {
        if (entry.path().extension() != ".doc")
            continue;
        const std::string stem = entry.path().stem().string();
        auto streams = streamsOf(readBytes(entry.path().string()));
        const auto word = std::find_if(streams.begin(), streams.end(),
                                       [](const CfbStream& s) { return s.name == "WordDocument"; });
        ASSERT_NE(word, streams.end()) << stem;
        // Zeros after the last page change nothing for the reader, and keep
        // the stream out of the mini stream.
        word->data.resize(std::max<std::size_t>(word->data.size(), 4096 + 512));
        CfbLayout layout = buildCompoundFile(streams);
        reverseSectorsOf(layout, static_cast<std::size_t>(word - streams.begin()), word->data.size());
        ASSERT_EQ(streamsOf(layout.bytes), streams)
            << stem << ": the scattered file must hold the same streams";
        auto text = textOf(layout.bytes);
        ASSERT_TRUE(text.ok()) << stem << ": " << text.error().description;
        EXPECT_EQ(text.value(), readText(fixturePath(stem + ".txt"))) << stem;
        ++scattered;
    }
    EXPECT_GE(scattered, 14);
}

TEST(WordBinaryReader, RefusesEncryptedAndObfuscatedDocuments)
{
    for (const std::uint16_t flag : {0x0100, 0x8100}) { // fEncrypted, fEncrypted + fObfuscated
        auto streams = streamsOf(readBytes(fixturePath("paragraphs.doc")));
        CfbStream* word = findStream(streams, "WordDocument");
        ASSERT_NE(word, nullptr);
        word->data[0x0B] |= flag >> 8;
        auto text = textOf(buildCompoundFile(streams).bytes);
        ASSERT_FALSE(text.ok());
        EXPECT_EQ(text.error().code, ErrorCode::PasswordProtected);
        EXPECT_TRUE(mentions(text.error(), "password-protected")) << text.error().description;
    }
}

TEST(WordBinaryReader, RefusesAnEncryptedOoxmlPackage)
{
    auto text = textOf(buildCompoundFile({{"EncryptionInfo", std::vector<std::uint8_t>(200, 1)},
                                          {"EncryptedPackage", std::vector<std::uint8_t>(5000, 2)}})
                           .bytes);
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.error().code, ErrorCode::PasswordProtected);
    EXPECT_TRUE(mentions(text.error(), "password-protected"));
}

TEST(WordBinaryReader, NamesWhatOtherCompoundFilesLookLike)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Workbook", "Excel workbook"},
        {"PowerPoint Document", "PowerPoint presentation"},
        {"Foo", "compound file"}};
    for (const auto& [stream, lookAlike] : cases) {
        auto text = textOf(buildCompoundFile({{stream, std::vector<std::uint8_t>(600, 7)}}).bytes);
        ASSERT_FALSE(text.ok());
        EXPECT_EQ(text.error().code, ErrorCode::NotAWordDocument);
        EXPECT_TRUE(mentions(text.error(), lookAlike)) << text.error().description;
    }
    const std::array<std::uint8_t, 16> msi = {0x84, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    auto installer = textOf(buildCompoundFile({{"x", std::vector<std::uint8_t>(10, 0)}}, msi).bytes);
    ASSERT_FALSE(installer.ok());
    EXPECT_TRUE(mentions(installer.error(), "Windows Installer"));
}

TEST(WordBinaryReader, ReportsAMissingTableStreamAsDamage)
{
    auto streams = streamsOf(readBytes(fixturePath("paragraphs.doc")));
    std::erase_if(streams, [](const CfbStream& s) { return s.name == "1Table" || s.name == "0Table"; });
    auto text = textOf(buildCompoundFile(streams).bytes);
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.error().code, ErrorCode::Damaged);
    EXPECT_TRUE(mentions(text.error(), "table stream"));
}

namespace {

// The offset of the PlcPcd in the table stream, after the Clx's Prc records.
std::size_t plcPcdOffset(const CfbStream& word, const CfbStream& table)
{
    const std::uint32_t fcClx = word.data[0x1A2] | (word.data[0x1A3] << 8) | (word.data[0x1A4] << 16);
    std::size_t offset = fcClx;
    while (offset < table.data.size() && table.data[offset] == 0x01)
        offset += 3 + (table.data[offset + 1] | (table.data[offset + 2] << 8));
    EXPECT_EQ(table.data.at(offset), 0x02);
    return offset + 5;
}

} // namespace

TEST(WordBinaryReader, SurvivesAPieceTableThatPointsOutsideTheStream)
{
    auto streams = streamsOf(readBytes(fixturePath("table.doc")));
    CfbStream* word = findStream(streams, "WordDocument");
    CfbStream* table = findStream(streams, "1Table");
    ASSERT_TRUE(word && table);
    const std::size_t plc = plcPcdOffset(*word, *table);
    const std::uint32_t lcb = table->data[plc - 4] | (table->data[plc - 3] << 8);
    const std::size_t pieces = (lcb - 4) / 12;
    for (std::size_t i = 0; i < pieces; ++i)
        putU32(table->data, plc + 4 * (pieces + 1) + 8 * i + 2, 0x3FFFFF00);
    auto text = textOf(buildCompoundFile(streams).bytes);
    ASSERT_TRUE(text.ok()) << text.error().description;
    EXPECT_EQ(text.value(), "");

    // A last CP far beyond what the file can hold is refused before any
    // allocation is sized by it.
    putU32(table->data, plc + 4 * pieces, 50000000);
    auto absurd = textOf(buildCompoundFile(streams).bytes);
    ASSERT_FALSE(absurd.ok());
    EXPECT_EQ(absurd.error().code, ErrorCode::Damaged);
    EXPECT_TRUE(mentions(absurd.error(), "piece table")) << absurd.error().description;
}

namespace {

std::uint32_t getU32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return bytes.at(offset) | (bytes.at(offset + 1) << 8) | (bytes.at(offset + 2) << 16) |
           (static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24);
}

// Moves the offsets of every FKP page a bin table lists by pageShift and the
// bin table's own offsets by binShift, as programs that rewrite a file's
// text without its properties leave them.
void shiftFkpOffsets(CfbStream& word, CfbStream& table, std::size_t fibPair, std::int64_t pageShift,
                     std::int64_t binShift)
{
    const std::uint32_t fc = getU32(word.data, 0x9A + 8 * fibPair);
    const std::uint32_t lcb = getU32(word.data, 0x9A + 8 * fibPair + 4);
    const std::size_t pages = (lcb - 4) / 8;
    for (std::size_t i = 0; i <= pages; ++i)
        putU32(table.data, fc + 4 * i, static_cast<std::uint32_t>(getU32(table.data, fc + 4 * i) + binShift));
    for (std::size_t i = 0; i < pages; ++i) {
        const std::size_t page = 512 * (getU32(table.data, fc + 4 * (pages + 1) + 4 * i) & 0x3FFFFF);
        const std::size_t runs = word.data.at(page + 511);
        for (std::size_t k = 0; k <= runs; ++k)
            putU32(word.data, page + 4 * k,
                   static_cast<std::uint32_t>(getU32(word.data, page + 4 * k) + pageShift));
    }
}

} // namespace

// Paragraph and character properties whose offsets no longer match the
// piece table are still found: the table keeps its rows, the list its
// labels, hidden text stays hidden. Runs that do not follow the marks in
// order are not matched to them.
TEST(WordBinaryReader, FindsPropertiesWhoseOffsetsDisagreeWithThePieceTable)
{
    for (const char* fixture : {"table", "lists", "hidden"}) {
        SCOPED_TRACE(fixture);
        auto streams = streamsOf(readBytes(fixturePath(std::string(fixture) + ".doc")));
        CfbStream* word = findStream(streams, "WordDocument");
        CfbStream* table = findStream(streams, "1Table");
        ASSERT_TRUE(word && table);
        shiftFkpOffsets(*word, *table, 12, 0x1000, -0x300); // character FKPs
        shiftFkpOffsets(*word, *table, 13, 0x1000, -0x300); // paragraph FKPs
        auto text = textOf(buildCompoundFile(streams).bytes);
        ASSERT_TRUE(text.ok()) << text.error().description;
        EXPECT_EQ(text.value(), readText(fixturePath(std::string(fixture) + ".txt")));
    }

    // Paragraph runs shifted unevenly within one piece match no mark: the
    // table's rows are not invented from them.
    auto streams = streamsOf(readBytes(fixturePath("table.doc")));
    CfbStream* word = findStream(streams, "WordDocument");
    CfbStream* table = findStream(streams, "1Table");
    ASSERT_TRUE(word && table);
    shiftFkpOffsets(*word, *table, 13, 0x1000, 0);
    const std::uint32_t fc = getU32(word->data, 0x9A + 8 * 13);
    const std::size_t pages = (getU32(word->data, 0x9A + 8 * 13 + 4) - 4) / 8;
    const std::size_t page = 512 * (getU32(table->data, fc + 4 * (pages + 1)) & 0x3FFFFF);
    putU32(word->data, page + 4, getU32(word->data, page + 4) + 2); // end of the first run
    auto text = textOf(buildCompoundFile(streams).bytes);
    ASSERT_TRUE(text.ok()) << text.error().description;
    EXPECT_EQ(text.value().find("Name\tQty\tNote\n"), std::string::npos) << text.value();
}

namespace {

std::vector<std::uint8_t> word6Document(const std::string& cp1251Text)
{
    std::vector<std::uint8_t> word(0x300 + cp1251Text.size() + 0x100, 0);
    putU16(word, 0x00, 0xA5DC);
    putU16(word, 0x02, 101);
    putU16(word, 0x06, 0x0419); // Russian: Windows-1251
    putU32(word, 0x18, 0x300);
    putU32(word, 0x1C, 0x300 + static_cast<std::uint32_t>(cp1251Text.size()));
    putU32(word, 0x34, static_cast<std::uint32_t>(cp1251Text.size()));
    std::copy(cp1251Text.begin(), cp1251Text.end(), word.begin() + 0x300);
    return word;
}

} // namespace

TEST(WordBinaryReader, ReadsWord6TextInTheDocumentsCodePage)
{
    // "Привет" and "мир" in Windows-1251, a cell pair and a tab.
    const std::string text = "\xCF\xF0\xE8\xE2\xE5\xF2\r\xEC\xE8\xF0\tx\rA\x07"
                             "B\x07\x07";
    auto result = textOf(buildCompoundFile({{"WordDocument", word6Document(text)}}).bytes);
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(result.value(), "Привет\nмир\tx\nA\tB\n");
}

TEST(WordBinaryReader, ReportsAnUnreadableOldWordDocumentClearly)
{
    std::vector<std::uint8_t> word = word6Document("text\r");
    putU32(word, 0x1C, 0x10); // fcMac before fcMin
    auto result = textOf(buildCompoundFile({{"WordDocument", word}}).bytes);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::UnsupportedOldFormat);
    EXPECT_TRUE(mentions(result.error(), "saved by an old version of Word that Plainora does not read"));
}

TEST(WordBinaryReader, ReadsMsWriteAndWord2Text)
{
    const std::string body = "Caf\xE9 one\r\nTwo\r\n";
    std::vector<std::uint8_t> write(128, 0);
    write[0] = 0x31;
    write[1] = 0xBE;
    write[5] = 0xAB;
    write.insert(write.end(), body.begin(), body.end());
    putU32(write, 14, static_cast<std::uint32_t>(write.size()));
    auto writeText = textOf(write);
    ASSERT_TRUE(writeText.ok()) << writeText.error().description;
    EXPECT_EQ(writeText.value(), "Café one\nTwo\n");

    std::vector<std::uint8_t> word2(0x180, 0);
    putU16(word2, 0, 0xA5DB);
    putU16(word2, 2, 45);
    putU32(word2, 0x18, 0x180);
    putU32(word2, 0x1C, 0x180 + static_cast<std::uint32_t>(body.size()));
    putU32(word2, 0x34, static_cast<std::uint32_t>(body.size()));
    word2.insert(word2.end(), body.begin(), body.end());
    auto word2Text = textOf(word2);
    ASSERT_TRUE(word2Text.ok()) << word2Text.error().description;
    EXPECT_EQ(word2Text.value(), "Café one\nTwo\n");

    putU16(word2, 0x0A, 0x0004); // fast-saved: the text is out of order
    auto fastSaved = textOf(word2);
    ASSERT_FALSE(fastSaved.ok());
    EXPECT_EQ(fastSaved.error().code, ErrorCode::UnsupportedOldFormat);
}
