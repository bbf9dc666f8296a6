#include "engine/BlockBuilder.h"

#include "engine/PlainTextWriter.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

namespace {

std::string render(std::vector<Block> blocks)
{
    Document document;
    document.body = std::move(blocks);
    return renderPlainText(document);
}

} // namespace

TEST(BlockBuilder, PlacesParagraphsByTableLevel)
{
    BlockBuilder builder;
    builder.append("before");
    builder.endParagraph(0);
    builder.append("a1");
    builder.endParagraph(1); // a paragraph inside the first cell
    builder.append("a2");
    builder.endCell(1);
    builder.append("inner");
    builder.endCell(2); // opens a nested table in the second cell
    builder.endRow(2);
    builder.append("b");
    builder.endCell(1);
    builder.endRow(1);
    builder.append("after");
    builder.endParagraph(0); // closes the table
    const auto blocks = builder.finish();
    ASSERT_EQ(blocks.size(), 3u);
    ASSERT_EQ(blocks[1].kind, Block::Kind::Table);
    const auto& cells = blocks[1].rows.at(0).cells;
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].blocks.size(), 2u);
    ASSERT_EQ(cells[1].blocks.size(), 2u);
    EXPECT_EQ(cells[1].blocks[0].kind, Block::Kind::Table);
    EXPECT_EQ(cells[1].blocks[1].text, "b");
    EXPECT_EQ(render(blocks), "before\na1 a2\tinner b\nafter\n");
}

TEST(BlockBuilder, FinishesWhatIsLeftOpen)
{
    BlockBuilder builder;
    builder.append("x");
    builder.endCell(1);
    builder.append("unended");
    builder.endParagraph(3); // levels without cells of their own
    builder.append("tail");
    EXPECT_EQ(render(builder.finish()), "x\tunended tail\n");

    BlockBuilder strayRow; // a row end with no cells adds nothing
    strayRow.endRow(1);
    strayRow.append("text");
    EXPECT_EQ(render(strayRow.finish()), "text\n");
}

TEST(BlockBuilder, AnchoredBlocksFollowTheNextParagraph)
{
    BlockBuilder builder;
    builder.append("anchor ");
    builder.addAnchored({Block::paragraph("box")});
    builder.append("paragraph");
    builder.endParagraph(0);
    builder.append("next");
    EXPECT_EQ(render(builder.finish()), "anchor paragraph\nbox\nnext\n");

    BlockBuilder trailing;
    trailing.append("p");
    trailing.endParagraph(0);
    trailing.endParagraph(0);
    EXPECT_EQ(render(trailing.finish(true)), "p\n\n");
    trailing.append("p");
    trailing.endParagraph(0);
    trailing.endParagraph(0);
    EXPECT_EQ(render(trailing.finish(false)), "p\n");
}

TEST(BlockBuilder, CellMarksThatEndParagraphs)
{
    // One cell per row frames its content: each paragraph shows as a line,
    // so a kept empty paragraph is an empty line.
    BlockBuilder kept;
    kept.append("a");
    kept.endParagraph(1);
    kept.endCell(1, /*keepEmpty=*/true);
    kept.endRow(1);
    EXPECT_EQ(render(kept.finish()), "a\n\n");

    BlockBuilder dropped;
    dropped.append("a");
    dropped.endParagraph(1);
    dropped.endCell(1);
    dropped.endRow(1);
    EXPECT_EQ(render(dropped.finish()), "a\n");

    // Blocks added where no paragraph ends go into the open cell at once,
    // ahead of that cell's paragraphs.
    BlockBuilder boxes;
    boxes.append("a");
    boxes.endCell(1);
    boxes.endRow(1);
    boxes.addBlocks(1, {Block::paragraph("box")});
    boxes.append("b");
    boxes.endCell(1);
    boxes.endRow(1);
    boxes.addBlocks(5, {Block::paragraph("end")}); // no table that deep: the open one
    boxes.endParagraph(0);
    EXPECT_EQ(render(boxes.finish()), "a\nbox\nb\nend\n\n");
}
