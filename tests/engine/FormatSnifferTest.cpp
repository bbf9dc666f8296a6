#include "engine/FormatSniffer.h"

#include "engine/Engine.h"

#include <gtest/gtest.h>
#include <string>

using namespace plainora::engine;

namespace {

Format formatOf(const std::string& bytes)
{
    return sniffFormat(asBytes(bytes)).format;
}

} // namespace

TEST(FormatSniffer, RecognisesFormatsByContent)
{
    EXPECT_EQ(formatOf(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0')),
              Format::CompoundFile);
    EXPECT_EQ(formatOf("PK\x03\x04rest"), Format::OoxmlPackage);
    EXPECT_EQ(formatOf("\xEF\xBB\xBF  {\\rtf1\\ansi hello}"), Format::Rtf);
    EXPECT_EQ(formatOf("<!DOCTYPE html><html><body>x</body></html>"), Format::Html);
    EXPECT_EQ(
        formatOf("<?xml version=\"1.0\"?><?mso-application progid=\"Word.Document\"?><w:wordDocument/>"),
        Format::FlatXml);
    EXPECT_EQ(formatOf("Dear reader,\r\nplain text.\r\n"), Format::PlainText);
    EXPECT_EQ(formatOf(std::string("\x9B\xA5\x21\x00", 4) + std::string(60, '\0')), Format::WordForDos);
    // MS Write: 31 BE, dty 0, wTool 0xAB00.
    EXPECT_EQ(formatOf(std::string("\x31\xBE\x00\x00\x00\xAB", 6) + std::string(122, '\0')),
              Format::WordForDos);
    // Word processors the import libraries read, and flat OpenDocument:
    // text goes to the OpenDocument reader, a spreadsheet is named.
    EXPECT_EQ(formatOf(std::string("\xFFWPC\x10\x00\x00\x00\x01\x0A", 10)), Format::ImportLibrary);
    EXPECT_EQ(
        formatOf(
            "<?xml version=\"1.0\"?>\n<!DOCTYPE abiword PUBLIC \"-//ABISOURCE//DTD AWML 1.0 Strict//EN\" "
            "\"\">\n<abiword version=\"3.0\"><section><p>x</p></section></abiword>"),
        Format::ImportLibrary);
    const std::string flat =
        "<?xml version=\"1.0\"?><office:document xmlns:office=\"urn:oasis:names:tc:opendocument:"
        "xmlns:office:1.0\" office:version=\"1.3\" office:mimetype=\"application/vnd.oasis."
        "opendocument.";
    EXPECT_EQ(formatOf(flat + "text\"/>"), Format::OpenDocument);
    EXPECT_EQ(formatOf(flat + "spreadsheet\"/>"), Format::Other);
}

TEST(FormatSniffer, NamesWhatAForeignFileLooksLike)
{
    const auto pdf = sniffFormat(asBytes("%PDF-1.7\n..."));
    EXPECT_EQ(pdf.format, Format::Other);
    EXPECT_EQ(pdf.lookAlike, "a PDF document");

    auto result = readDocument(asBytes("%PDF-1.7\n"));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::NotAWordDocument);
    EXPECT_NE(result.error().description.find("PDF"), std::string::npos);

    auto binary = readDocument(asBytes(std::string("\x01\x02\x03\x00\xFF\xFE\x00\x07", 8)));
    ASSERT_FALSE(binary.ok());
    EXPECT_EQ(binary.error().code, ErrorCode::NotAWordDocument);
}
