// Tables of the HTML reader: rows of cells, nested, whether or not the page
// closes its cells and rows.

#include "engine/Limits.h"
#include "engine/text/HtmlReader.h"

namespace plainora::engine::html {

void HtmlReader::startTablePart(std::uint16_t flags)
{
    if (flags & kTable) {
        breakBlock(false);
        if (!m_tables.empty() && !m_tables.back().cellOpen) { // a table straight in a row
            if (!m_tables.back().rowOpen)
                m_tables.back().rowOpen = true;
            m_tables.back().cellOpen = true;
        }
        if (m_tables.size() < static_cast<std::size_t>(limits::kMaxTableNesting))
            m_tables.emplace_back();
    } else if (flags & kRow) {
        if (!m_tables.empty()) {
            endRow();
            m_tables.back().rowOpen = true;
        }
    } else if (flags & kCell) {
        if (!m_tables.empty()) {
            endCell();
            m_tables.back().rowOpen = true;
            m_tables.back().cellOpen = true;
        }
    }
}

void HtmlReader::endTablePart(std::uint16_t flags)
{
    if (flags & kTable) {
        endRow();
        if (!m_tables.empty()) {
            m_tables.pop_back();
            m_builder.closeTables(tableLevel());
        }
    } else if (flags & kRow) {
        endRow();
    } else if (flags & kCell) {
        endCell();
    }
}

void HtmlReader::endCell()
{
    if (m_tables.empty() || !m_tables.back().cellOpen)
        return;
    breakBlock(false);
    m_builder.endCell(tableLevel());
    m_tables.back().cellOpen = false;
}

void HtmlReader::endRow()
{
    if (m_tables.empty() || !m_tables.back().rowOpen)
        return;
    endCell();
    m_builder.endRow(tableLevel());
    m_tables.back().rowOpen = false;
}

} // namespace plainora::engine::html
