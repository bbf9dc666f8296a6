#include "engine/BlockBuilder.h"

#include "engine/Limits.h"

#include <algorithm>

namespace plainora::engine {

namespace {

// Each block, row and cell costs memory beyond its text.
constexpr std::size_t kNodeCost = 64;

} // namespace

std::vector<Block>& BlockBuilder::target(int level)
{
    return level <= 0 || m_tables.empty() ? m_blocks : m_tables[std::size_t(level) - 1].cell;
}

void BlockBuilder::openTo(int level)
{
    level = std::clamp(level, 0, limits::kMaxTableNesting);
    while (static_cast<int>(m_tables.size()) < level) {
        m_tables.emplace_back();
        m_size += kNodeCost;
    }
    closeTables(level);
    if (level > 0)
        m_tables.back().cellStarted = true;
}

void BlockBuilder::closeTables(int level)
{
    level = std::max(level, 0);
    while (static_cast<int>(m_tables.size()) > level) {
        OpenTable table = std::move(m_tables.back());
        m_tables.pop_back();
        if (table.cellStarted || !table.cell.empty())
            table.row.cells.push_back(TableCell{std::move(table.cell)});
        if (!table.row.cells.empty())
            table.rows.push_back(std::move(table.row));
        if (table.rows.empty())
            continue;
        target(static_cast<int>(m_tables.size())).push_back(Block::table(std::move(table.rows)));
    }
}

void BlockBuilder::placeParagraph(std::vector<Block>& into, bool always)
{
    if (always || !m_paragraph.empty()) {
        into.push_back(Block::paragraph(std::move(m_paragraph)));
        m_size += kNodeCost;
    }
    m_paragraph.clear();
    if (!m_anchored.empty()) {
        for (Block& block : m_anchored)
            into.push_back(std::move(block));
        m_anchored.clear();
    }
}

void BlockBuilder::endParagraph(int level)
{
    openTo(level);
    placeParagraph(target(level), true);
}

void BlockBuilder::endCell(int level, bool keepEmpty)
{
    level = std::clamp(level, 1, limits::kMaxTableNesting);
    openTo(level);
    OpenTable& table = m_tables.back();
    placeParagraph(table.cell, keepEmpty);
    table.row.cells.push_back(TableCell{std::move(table.cell)});
    table.cell.clear();
    table.cellStarted = false;
    m_size += kNodeCost;
}

void BlockBuilder::endRow(int level)
{
    level = std::clamp(level, 1, limits::kMaxTableNesting);
    openTo(level);
    OpenTable& table = m_tables.back();
    if (!m_paragraph.empty() || !table.cell.empty())
        endCell(level);
    table.cellStarted = false;
    if (!table.row.cells.empty()) {
        table.rows.push_back(std::move(table.row));
        table.row.cells.clear();
        m_size += kNodeCost;
    }
}

std::size_t BlockBuilder::rowCellCount(int level) const
{
    if (level < 1 || std::size_t(level) > m_tables.size())
        return 0;
    return m_tables[std::size_t(level) - 1].row.cells.size();
}

std::size_t BlockBuilder::lastCellTextSize(int level) const
{
    if (rowCellCount(level) == 0)
        return 0;
    return textSize(m_tables[std::size_t(level) - 1].row.cells.back().blocks);
}

void BlockBuilder::repeatLastCell(int level, std::size_t count)
{
    if (rowCellCount(level) == 0)
        return;
    std::vector<TableCell>& cells = m_tables[std::size_t(level) - 1].row.cells;
    const std::size_t cost = kNodeCost + lastCellTextSize(level);
    cells.reserve(cells.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        cells.push_back(cells.back());
        m_size += cost;
    }
}

void BlockBuilder::addAnchored(std::vector<Block> blocks)
{
    for (Block& block : blocks) {
        m_size += kNodeCost + block.text.size();
        m_anchored.push_back(std::move(block));
    }
}

void BlockBuilder::addBlocks(int level, std::vector<Block> blocks)
{
    std::vector<Block>& into = target(std::clamp(level, 0, openTableLevels()));
    for (Block& block : blocks) {
        m_size += kNodeCost + block.text.size();
        into.push_back(std::move(block));
    }
}

std::vector<Block> BlockBuilder::finish(bool keepTrailingEmpty)
{
    if (!m_paragraph.empty())
        endParagraph(static_cast<int>(m_tables.size()));
    closeTables(0);
    placeParagraph(m_blocks, false);
    if (!keepTrailingEmpty) {
        while (!m_blocks.empty() && m_blocks.back().kind == Block::Kind::Paragraph &&
               m_blocks.back().text.empty())
            m_blocks.pop_back();
    }
    std::vector<Block> blocks = std::move(m_blocks);
    m_blocks.clear();
    m_size = 0;
    return blocks;
}

} // namespace plainora::engine
