#include "engine/PlainTextWriter.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

namespace {

TableCell cell(std::initializer_list<const char*> paragraphs)
{
    TableCell result;
    for (const char* text : paragraphs)
        result.blocks.push_back(Block::paragraph(text));
    return result;
}

} // namespace

TEST(PlainTextWriter, ParagraphsAreLinesAndEmptyParagraphsStayEmptyLines)
{
    Document document;
    document.body = {Block::paragraph("One"), Block::paragraph(""), Block::paragraph("Two\nbroken")};
    EXPECT_EQ(renderPlainText(document), "One\n\nTwo\nbroken\n");
}

TEST(PlainTextWriter, TableRowIsOneLineWithTabSeparatedCellsAndJoinedParagraphs)
{
    Document document;
    TableRow first;
    first.cells = {cell({"a", "b"}), cell({}), cell({"line\nbreak"})};
    TableRow second;
    second.cells = {cell({"c"}), cell({"", "d"}), cell({"e"})};
    document.body = {Block::table({first, second}), Block::paragraph("after")};
    EXPECT_EQ(renderPlainText(document), "a b\t\tline break\nc\td\te\nafter\n");
}

TEST(PlainTextWriter, NestedTableIsFlattenedIntoItsCell)
{
    TableRow innerRow;
    innerRow.cells = {cell({"x"}), cell({"y"})};
    TableCell outer;
    outer.blocks = {Block::paragraph("before"), Block::table({innerRow})};
    TableRow row;
    row.cells = {outer, cell({"z"})};
    Document document;
    document.body = {Block::table({row})};
    EXPECT_EQ(renderPlainText(document), "before x y\tz\n");
}

Block tableOf(std::vector<std::vector<TableCell>> rows)
{
    std::vector<TableRow> result;
    for (auto& cells : rows)
        result.push_back(TableRow{std::move(cells)});
    return Block::table(std::move(result));
}

// Rows too long to read on one line keep their paragraphs (frames are held
// to it by the layout-tables fixture in every format).
TEST(PlainTextWriter, RowsOfRunningTextAreWrittenAsParagraphs)
{
    const std::string longText(1301, 'x'); // one cell past the running-text length
    const std::string wideCell(700, 'w');  // three make a row past 2,000 characters
    std::string accentedCell;
    for (int i = 0; i < 700; ++i)
        accentedCell += "\xC3\xA9";
    struct Case
    {
        const char* name;
        Block table;
        std::string expected;
    };
    const Case cases[] = {
        {"a row with a long cell gives each cell's paragraphs in order, empty cells left out; the next row "
         "stays one line",
         tableOf({{cell({"Label"}), cell({}), cell({longText.c_str(), "", "More."})},
                  {cell({"a"}), cell({""}), cell({"b"})}}),
         "Label\n" + longText + "\n\nMore.\na\t\tb\n"},
        {"characters are counted, not bytes", tableOf({{cell({"Label"}), cell({accentedCell.c_str()})}}),
         "Label\t" + accentedCell + "\n"},
        {"a row whose cells together pass 2,000 characters is written as paragraphs",
         tableOf({{cell({wideCell.c_str()}), cell({wideCell.c_str()}), cell({wideCell.c_str()})}}),
         wideCell + "\n" + wideCell + "\n" + wideCell + "\n"},
    };
    for (const Case& c : cases) {
        Document document;
        document.body = {Block::paragraph("Before"), c.table, Block::paragraph("After")};
        EXPECT_EQ(renderPlainText(document), "Before\n" + c.expected + "After\n") << c.name;
    }
}

TEST(PlainTextWriter, HeadersOnceThenNotesThenComments)
{
    Document document;
    document.body = {Block::paragraph("Body[1]")};
    document.headersFooters = {{Block::paragraph("Head")},
                               {Block::paragraph("Head")},
                               {Block::paragraph("")},
                               {Block::paragraph("Foot")}};
    document.footnotes = {Note{"1", {Block::paragraph("First note"), Block::paragraph("more")}}};
    document.endnotes = {Note{"i", {Block::paragraph("End")}}};
    document.comments = {Note{"1", {Block::paragraph("Remark")}}};
    EXPECT_EQ(renderPlainText(document), "Body[1]\n"
                                         "\nHead\nFoot\n"
                                         "\n[1] First note\nmore\n[i] End\n"
                                         "\n[comment 1] Remark\n");
}

TEST(PlainTextWriter, EncodesLineEndsAndCountsUnrepresentableCharacters)
{
    auto crlf = encodeOutput("a\nb\n", OutputOptions{"UTF-8", LineEnd::CrLf});
    ASSERT_TRUE(crlf.ok());
    EXPECT_EQ(crlf.value().bytes, "a\r\nb\r\n");

    for (const char* utf8 : {"UTF-8", "utf8"}) {
        auto same = encodeOutput("caf\xC3\xA9\nb\n", OutputOptions{utf8, LineEnd::Lf});
        ASSERT_TRUE(same.ok());
        EXPECT_EQ(same.value().bytes, "caf\xC3\xA9\nb\n");
        EXPECT_EQ(same.value().replacedCharacters, 0u);
    }

    auto latin =
        encodeOutput("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\n", OutputOptions{"ISO-8859-1", LineEnd::Lf});
    ASSERT_TRUE(latin.ok());
    EXPECT_EQ(latin.value().bytes, "caf\xE9 ? ?\n");
    EXPECT_EQ(latin.value().replacedCharacters, 2u);

    auto unknown = encodeOutput("x", OutputOptions{"NO-SUCH-CHARSET", LineEnd::Lf});
    ASSERT_FALSE(unknown.ok());
    EXPECT_GT(unknown.error().number(), 0);
}
