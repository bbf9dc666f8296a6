#include "engine/revenge/TextCollector.h"

#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/NumberFormat.h"

namespace plainora::engine::revenge {

namespace {

std::string stringProperty(const librevenge::RVNGPropertyList& properties, const char* name)
{
    const librevenge::RVNGProperty* property = properties[name];
    return property ? std::string(property->getStr().cstr()) : std::string();
}

int intProperty(const librevenge::RVNGPropertyList& properties, const char* name, int fallback)
{
    const librevenge::RVNGProperty* property = properties[name];
    return property ? property->getInt() : fallback;
}

} // namespace

TextCollector::TextCollector(const ReadOptions& options, TextBudget& budget)
    : m_options(options), m_budget(budget)
{
}

TextCollector::~TextCollector() = default;

Document TextCollector::finish()
{
    // A library that stops half-way leaves stories open: their text still
    // lands where it belongs.
    m_stories.finish();
    return std::move(m_document);
}

void TextCollector::closeStory(StoryKind kind)
{
    // A close that matches nothing open is the library's slip: ignore it.
    if (m_stories.depth() > 1 && m_stories.kind() == kind)
        m_stories.close();
}

void TextCollector::append(std::string_view text)
{
    if (!story().kept || text.empty())
        return;
    if (!m_budget.spend(text.size()))
        return;
    story().builder.append(text);
}

void TextCollector::endParagraph()
{
    if (story().kept)
        story().builder.endParagraph(std::min(story().tableDepth, limits::kMaxTableNesting));
    story().state.inParagraph = false;
}

void TextCollector::openHeader(const librevenge::RVNGPropertyList&)
{
    m_stories.open(StoryKind::HeaderFooter, m_options.includeHeadersFooters);
}

void TextCollector::closeHeader()
{
    closeStory(StoryKind::HeaderFooter);
}

void TextCollector::openFooter(const librevenge::RVNGPropertyList&)
{
    m_stories.open(StoryKind::HeaderFooter, m_options.includeHeadersFooters);
}

void TextCollector::closeFooter()
{
    closeStory(StoryKind::HeaderFooter);
}

void TextCollector::openParagraph(const librevenge::RVNGPropertyList&)
{
    if (story().state.inParagraph) // an unclosed paragraph ends where the next one starts
        endParagraph();
    story().state.inParagraph = true;
}

void TextCollector::closeParagraph()
{
    endParagraph();
}

void TextCollector::insertTab()
{
    append("\t");
}

void TextCollector::insertSpace()
{
    append(" ");
}

void TextCollector::insertText(const librevenge::RVNGString& text)
{
    append(std::string_view(text.cstr(), text.size()));
}

void TextCollector::insertLineBreak()
{
    append("\n");
}

void TextCollector::insertField(const librevenge::RVNGPropertyList& properties)
{
    // Page numbers and counts have no value outside a laid-out page; a field
    // that carries its text (a date, a title) shows it.
    append(stringProperty(properties, "librevenge:field-content"));
}

void TextCollector::openListLevel(const librevenge::RVNGPropertyList& properties, bool ordered)
{
    ListLevel level;
    level.ordered = ordered;
    level.format = stringProperty(properties, "style:num-format");
    level.prefix = stringProperty(properties, "style:num-prefix");
    level.suffix = stringProperty(properties, "style:num-suffix");
    level.bullet = stringProperty(properties, "text:bullet-char");
    level.displayLevels = std::max(1, intProperty(properties, "text:display-levels", 1));
    level.start = intProperty(properties, "text:start-value", 1);
    const librevenge::RVNGProperty* id = properties["librevenge:list-id"];
    const int listId = id ? id->getInt() : !m_listIds.empty() ? m_listIds.back() : m_nextListId++;
    m_listLevels.push_back(std::move(level));
    m_listIds.push_back(listId);
    const auto key = std::make_pair(listId, static_cast<int>(m_listLevels.size()));
    if (!id || !m_counters.contains(key))
        m_counters[key] = m_listLevels.back().start - 1;
}

void TextCollector::openOrderedListLevel(const librevenge::RVNGPropertyList& properties)
{
    openListLevel(properties, true);
}

void TextCollector::openUnorderedListLevel(const librevenge::RVNGPropertyList& properties)
{
    openListLevel(properties, false);
}

void TextCollector::closeListLevel()
{
    if (m_listLevels.empty())
        return;
    m_listLevels.pop_back();
    m_listIds.pop_back();
}

std::string TextCollector::listLabel()
{
    if (m_listLevels.empty())
        return {};
    const int depth = static_cast<int>(m_listLevels.size());
    const int listId = m_listIds.back();
    const int number = ++m_counters[{listId, depth}];
    // Deeper levels count again under this item.
    for (auto it = m_counters.upper_bound({listId, depth});
         it != m_counters.end() && it->first.first == listId;)
        it = m_counters.erase(it);
    const ListLevel& level = m_listLevels.back();
    if (!level.ordered)
        return (level.bullet.empty() ? std::string("\u2022") : level.bullet) + "\t";
    const NumberFormat format = numberFormatFromOdf(level.format);
    if (format == NumberFormat::None && level.prefix.empty() && level.suffix.empty())
        return {};
    std::string label = level.prefix;
    if (format != NumberFormat::None) {
        const int first = std::max(1, depth - level.displayLevels + 1);
        for (int at = first; at < depth; ++at) {
            const auto parent = m_counters.find({m_listIds[at - 1], at});
            label += formatListNumber(parent == m_counters.end() ? 1 : std::max(1, parent->second),
                                      numberFormatFromOdf(m_listLevels[at - 1].format));
            label += '.';
        }
        label += formatListNumber(number, format);
    }
    return label + level.suffix + "\t";
}

void TextCollector::openListElement(const librevenge::RVNGPropertyList&)
{
    openParagraph({});
    append(listLabel());
}

void TextCollector::closeListElement()
{
    endParagraph();
}

void TextCollector::openNote(StoryKind kind, const librevenge::RVNGPropertyList& properties, int& count)
{
    std::string mark = stringProperty(properties, "text:label");
    if (mark.empty())
        mark = std::to_string(intProperty(properties, "librevenge:number", count + 1));
    ++count;
    append(noteReferenceText(mark));
    m_stories.open(kind, true, std::move(mark));
}

void TextCollector::openFootnote(const librevenge::RVNGPropertyList& properties)
{
    openNote(StoryKind::Footnote, properties, m_footnotes);
}

void TextCollector::closeFootnote()
{
    closeStory(StoryKind::Footnote);
}

void TextCollector::openEndnote(const librevenge::RVNGPropertyList& properties)
{
    openNote(StoryKind::Endnote, properties, m_endnotes);
}

void TextCollector::closeEndnote()
{
    closeStory(StoryKind::Endnote);
}

void TextCollector::openComment(const librevenge::RVNGPropertyList&)
{
    m_stories.open(StoryKind::Comment, m_options.includeComments, commentMark(m_document.comments.size()));
}

void TextCollector::closeComment()
{
    closeStory(StoryKind::Comment);
}

void TextCollector::openTextBox(const librevenge::RVNGPropertyList&)
{
    m_stories.open(StoryKind::TextBox, true);
}

void TextCollector::closeTextBox()
{
    closeStory(StoryKind::TextBox);
}

void TextCollector::openTable(const librevenge::RVNGPropertyList&)
{
    if (story().state.inParagraph)
        endParagraph();
    ++story().tableDepth;
}

void TextCollector::openTableRow(const librevenge::RVNGPropertyList&) {}

void TextCollector::closeTableRow()
{
    if (story().kept && story().tableDepth > 0)
        story().builder.endRow(std::min(story().tableDepth, limits::kMaxTableNesting));
}

void TextCollector::openTableCell(const librevenge::RVNGPropertyList&) {}

void TextCollector::closeTableCell()
{
    if (story().state.inParagraph)
        endParagraph();
    if (story().kept && story().tableDepth > 0)
        story().builder.endCell(std::min(story().tableDepth, limits::kMaxTableNesting));
}

void TextCollector::closeTable()
{
    if (story().tableDepth == 0)
        return;
    --story().tableDepth;
    if (story().kept && story().tableDepth < limits::kMaxTableNesting)
        story().builder.closeTables(story().tableDepth);
}

} // namespace plainora::engine::revenge
