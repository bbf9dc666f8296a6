#pragma once
// The one document model every reader fills and the plain-text writer renders.
// Readers resolve everything format-specific (list labels, field results,
// note marks, accepted revisions, text boxes after their anchor) before they
// hand the model over; the writer owns the layout.

#include <cstddef>
#include <string>
#include <vector>

namespace plainora::engine {

struct Block;

struct TableCell
{
    std::vector<Block> blocks;
};

struct TableRow
{
    std::vector<TableCell> cells;
};

struct Block
{
    enum class Kind { Paragraph, Table };

    Kind kind = Kind::Paragraph;
    // Paragraph: UTF-8 text, list label included. A manual line, column or
    // page break inside the paragraph is a '\n'.
    std::string text;
    // Table: rows of cells; a merged cell is one cell.
    std::vector<TableRow> rows;

    static Block paragraph(std::string text)
    {
        Block block;
        block.text = std::move(text);
        return block;
    }
    static Block table(std::vector<TableRow> rows)
    {
        Block block;
        block.kind = Kind::Table;
        block.rows = std::move(rows);
        return block;
    }
};

// The bytes of text the blocks hold, their tables' included.
inline std::size_t textSize(const std::vector<Block>& blocks)
{
    std::size_t size = 0;
    for (const Block& block : blocks) {
        size += block.text.size();
        for (const TableRow& row : block.rows)
            for (const TableCell& cell : row.cells)
                size += textSize(cell.blocks);
    }
    return size;
}

// A footnote, endnote or comment: the mark as displayed in the body ("1",
// "*", "iv") and its content.
struct Note
{
    std::string mark;
    std::vector<Block> blocks;
};

struct Document
{
    std::vector<Block> body;
    // Filled only when the read options ask for them, in document order.
    // The writer prints each distinct header or footer once.
    std::vector<std::vector<Block>> headersFooters;
    std::vector<Note> footnotes;
    std::vector<Note> endnotes;
    std::vector<Note> comments; // only when the read options ask for them
};

} // namespace plainora::engine
