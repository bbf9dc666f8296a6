// Tables of a StoryReader's story: rows, cells, vertical merges and
// deleted rows.

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/docx/StoryReaderTypes.h"

namespace plainora::engine::docx {

void StoryReader::startTableElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::Tbl:
        flushCarry();
        if (m_tables.size() >= static_cast<std::size_t>(limits::kMaxTableNesting)) {
            fail(nestedTooDeep("tables", limits::kMaxTableNesting));
            return;
        }
        m_tables.push_back(std::make_unique<Table>());
        break;
    case Tag::Tr:
        if (!m_tables.empty()) {
            m_tables.back()->row = TableRow{};
            m_tables.back()->rowDeleted = false;
        }
        break;
    case Tag::Tc:
        if (!m_tables.empty()) {
            Table& table = *m_tables.back();
            table.cell = TableCell{};
            table.mergeContinue = false;
            pushContainer(&table.cell.blocks);
        }
        break;
    case Tag::VMerge:
        if (parent == Tag::TcPr && !m_tables.empty()) {
            // Omitted w:val means continue ([E1] 17.4.84).
            m_tables.back()->mergeContinue = attrOr(attributes, "val", "continue") == "continue";
        }
        break;
    default:
        break;
    }
}

void StoryReader::endTableElement(Tag tag)
{
    switch (tag) {
    case Tag::Tc:
        if (!m_tables.empty()) {
            popContainer();
            Table& table = *m_tables.back();
            // A vertically merged cell shows its text once, in its first
            // row; the continuations stay as empty cells so that the columns
            // below keep their place, as the binary and RTF readers do.
            if (table.mergeContinue)
                table.cell.blocks.clear();
            table.row.cells.push_back(std::move(table.cell));
        }
        break;
    case Tag::Tr:
        if (!m_tables.empty()) {
            Table& table = *m_tables.back();
            if (!table.rowDeleted && !table.row.cells.empty())
                table.rows.push_back(std::move(table.row));
        }
        break;
    case Tag::Tbl:
        if (!m_tables.empty()) {
            std::unique_ptr<Table> table = std::move(m_tables.back());
            m_tables.pop_back();
            if (!table->rows.empty() && !m_containers.empty())
                m_containers.back()->push_back(Block::table(std::move(table->rows)));
        }
        break;
    default:
        break;
    }
}

} // namespace plainora::engine::docx
