#pragma once
// Builds a run of blocks (paragraphs and tables, nested to any level) from a
// stream of events: text, paragraph ends, cell ends and row ends, each at a
// table nesting level (0 = outside any table). Readers of stream formats
// (RTF, HTML, Word's binary stories) feed it; it decides where each
// paragraph lands.

#include "engine/Document.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine {

class BlockBuilder
{
public:
    void append(std::string_view utf8)
    {
        m_paragraph.append(utf8);
        m_size += utf8.size();
    }
    void append(char c)
    {
        m_paragraph.push_back(c);
        ++m_size;
    }
    // Text of the paragraph being built.
    std::string& paragraph() { return m_paragraph; }
    bool paragraphEmpty() const { return m_paragraph.empty(); }

    // Ends the current paragraph at a table level: 0 closes every open
    // table, n puts the paragraph into the open cell of the n-th level table
    // (opening tables up to it, closing deeper ones into their parent cell).
    void endParagraph(int level);
    // Ends the cell of the table at this level; the pending paragraph, if it
    // holds text, is the cell's last one. Where the cell mark also ends a
    // paragraph (Word's binary format), keepEmpty keeps an empty one too.
    void endCell(int level, bool keepEmpty = false);
    // Ends the row of the table at this level; pending cell content becomes
    // its last cell.
    void endRow(int level);
    // The cells ended so far in the open row at this level, the text of its
    // last one, and that cell copied count times more (a repeated cell).
    std::size_t rowCellCount(int level) const;
    std::size_t lastCellTextSize(int level) const;
    void repeatLastCell(int level, std::size_t count);
    // Closes the tables deeper than level, as though their rows had ended.
    void closeTables(int level);

    // Blocks shown after the next paragraph that ends (text box content
    // after its anchor paragraph).
    void addAnchored(std::vector<Block> blocks);
    // Puts blocks at once into the open cell of the table at this level (0:
    // outside any table), for content anchored where no paragraph ends.
    void addBlocks(int level, std::vector<Block> blocks);

    // Ends everything and hands over the blocks. Empty trailing paragraphs
    // are kept only if keepTrailingEmpty.
    std::vector<Block> finish(bool keepTrailingEmpty = true);

    // A rough count of the memory held, for the engine's limits.
    std::size_t size() const { return m_size; }
    int openTableLevels() const { return static_cast<int>(m_tables.size()); }

private:
    struct OpenTable
    {
        std::vector<TableRow> rows;
        TableRow row;
        std::vector<Block> cell;
        bool cellStarted = false;
    };

    std::vector<Block>& target(int level);
    void openTo(int level);
    void placeParagraph(std::vector<Block>& into, bool always);

    std::vector<Block> m_blocks;
    std::string m_paragraph;
    std::vector<OpenTable> m_tables; // outermost first
    std::vector<Block> m_anchored;
    std::size_t m_size = 0;
};

} // namespace plainora::engine
