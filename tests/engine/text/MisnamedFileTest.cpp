#include "EngineTestData.h"
#include "engine/Engine.h"
#include "engine/FormatSniffer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

// One stored zip entry, as a local file header and its data.
std::string storedEntry(const std::string& name, const std::string& data)
{
    auto u16 = [](std::size_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; };
    auto u32 = [&](std::size_t v) { return u16(v & 0xFFFF) + u16(v >> 16); };
    return "PK\x03\x04" + u16(20) + u16(0) + u16(0) + u32(0) + u32(0) + u32(data.size()) + u32(data.size()) +
           u16(name.size()) + u16(0) + name + data;
}

SniffResult sniff(const std::string& bytes)
{
    return sniffFormat(asBytes(bytes));
}

} // namespace

TEST(MisnamedFiles, TextFormatsAreRecognisedBehindMarksAndWhiteSpace)
{
    EXPECT_EQ(sniff("\r\n\t {\\rtf1 x}").format, Format::Rtf);
    EXPECT_EQ(sniff("<!-- saved from url=(0014)about:internet -->\n<html><body>x").format, Format::Html);
    EXPECT_EQ(sniff("<p>A fragment</p>").format, Format::Html);
    EXPECT_EQ(sniff("MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=x\r\n\r\n").format,
              Format::Html);
    EXPECT_EQ(
        sniff("From: <Saved by a browser>\r\nMIME-Version: 1.0\r\nContent-Type: text/html\r\n\r\n").format,
        Format::Html);
    const std::string utf16Html("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14);
    EXPECT_EQ(sniff(utf16Html).format, Format::Html);
    const std::string utf16NoMark("<\0h\0t\0m\0l\0>\0", 12);
    EXPECT_EQ(sniff(utf16NoMark).format, Format::Html);
    const std::string utf16Text("H\0e\0l\0l\0o\0\r\0\n\0", 14);
    EXPECT_EQ(sniff(utf16Text).format, Format::PlainText);
    // Words that start like a magic number stay text.
    EXPECT_EQ(sniff("OTTO went home.\n").format, Format::PlainText);
    EXPECT_EQ(sniff("MZ is a region code, and this line is long enough to pass sixty-four bytes.\n").format,
              Format::PlainText);
}

TEST(MisnamedFiles, WebPagesInUtf16WithoutMarkRead)
{
    const std::string page("\n\0 \0<\0p\0>\0\x16\x04!\0<\0/\0p\0>\0", 22);
    ASSERT_EQ(sniff(page).format, Format::Html);
    auto document = readDocument(asBytes(page));
    ASSERT_TRUE(document.ok());
    ASSERT_EQ(document.value().body.size(), 1u);
    EXPECT_EQ(document.value().body[0].text, "\u0416!");
}

TEST(MisnamedFiles, PlainTextInUtf16WithoutMarkReads)
{
    const std::string utf16("H\0i\0 \0\xE9\0\n\0", 10);
    auto text = readDocument(asBytes(utf16));
    ASSERT_TRUE(text.ok());
    ASSERT_EQ(text.value().body.size(), 1u);
    EXPECT_EQ(text.value().body[0].text, "Hi \u00e9");
}

TEST(MisnamedFiles, ForeignFilesFailNamingWhatTheyLookLike)
{
    const std::map<std::string, std::string> samples = {
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "PNG image"},
        {std::string("GIF89a\x01\0\x01\0", 10), "GIF image"},
        {std::string("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0", 14), "BMP image"},
        {std::string("RIFF\0\0\0\0WEBPVP8 ", 16), "WebP image"},
        {"%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", "PDF document"},
        {std::string("7z\xBC\xAF\x27\x1C\0\x04", 8), "7-Zip archive"},
        {std::string("\x1F\x8B\x08\0\0\0\0\0", 8), "gzip archive"},
        {std::string("BZh91AY&SY\0\0", 12), "bzip2 archive"},
        {std::string("\x7F"
                     "ELF\x02\x01\x01\0",
                     8),
         "ELF executable"},
        {std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(120, '\0'), "Windows program"},
        {std::string("SQLite format 3\0\x10\0", 18), "SQLite database"},
        {std::string("ID3\x04\0\0\0\0\0\0", 10), "MP3 audio"},
        {std::string("\0\0\0\x18"
                     "ftypmp42",
                     12),
         "MP4"},
        {"<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\"/>", "SVG image"},
    };
    for (const auto& [bytes, name] : samples) {
        auto result = readDocument(asBytes(bytes));
        ASSERT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.error().code, ErrorCode::NotAWordDocument) << name;
        EXPECT_NE(result.error().description.find(name), std::string::npos) << result.error().description;
    }
}

TEST(MisnamedFiles, ZipPackagesAreNamedByTheirEntries)
{
    const std::string odt = storedEntry("mimetype", "application/vnd.oasis.opendocument.text") +
                            storedEntry("content.xml", "<office:document-content/>");
    EXPECT_EQ(sniff(odt).format, Format::OpenDocument);
    // Other packages go to the zip reader, which names them with this help:
    EXPECT_EQ(zipPackageLookAlike(asBytes(odt)), "an OpenDocument text document (.odt)");
    EXPECT_EQ(zipPackageLookAlike(asBytes(storedEntry("mimetype", "application/epub+zip"))),
              "an EPUB e-book");
    EXPECT_EQ(zipPackageLookAlike(asBytes(storedEntry("[Content_Types].xml", "<Types/>") +
                                          storedEntry("xl/workbook.xml", "<workbook/>"))),
              "an Excel workbook");
    EXPECT_EQ(zipPackageLookAlike(asBytes(storedEntry("[Content_Types].xml", "<Types/>") +
                                          storedEntry("word/document.xml", "<w:document/>"))),
              "");
    // Truncated or lying headers end the walk.
    EXPECT_EQ(zipPackageLookAlike(asBytes(odt.substr(0, 40))), "");
    std::string lying = storedEntry("a", "b");
    lying[18] = '\xFF'; // compressed size far beyond the file
    EXPECT_EQ(zipPackageLookAlike(asBytes(lying)), "");
}

// The corpus files whose content is not what their name says go to the
// reader that fits; the RTF, web-page and text files of odd/ read.
TEST(MisnamedFiles, CorpusFilesAreSniffedByContent)
{
    const fs::path odd = fs::path(PLAINORA_CORPUS_DIR) / "odd";
    ASSERT_TRUE(fs::exists(odd)) << "no corpus at " << odd << " (set PLAINORA_CORPUS_DIR)";
    const auto sniffFile = [&](const char* name) { return sniff(readTestFile(odd / name)).format; };
    EXPECT_EQ(sniffFile("eng_spa_mult.doc"), Format::OoxmlPackage);
    EXPECT_EQ(sniffFile("cpansearch.perl.org_src_tobyink_acme-rundoc-0.001_word-lib_hello_world.docm"),
              Format::CompoundFile);
    EXPECT_EQ(sniffFile("word2.doc"), Format::WordForDos);
    EXPECT_EQ(sniffFile("MSWriteOld.wri"), Format::WordForDos);
    for (const auto& entry : fs::directory_iterator(odd)) {
        const std::string bytes = readTestFile(entry.path());
        const Format format = sniff(bytes).format;
        if (format != Format::Rtf && format != Format::Html && format != Format::PlainText)
            continue;
        auto document = readDocument(asBytes(bytes));
        EXPECT_TRUE(document.ok()) << entry.path();
    }
}
