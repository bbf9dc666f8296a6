// OpenDocument text (ODF 1.2 Part 1, chapters 5-10; Part 3 for the package):
// a zip package whose styles.xml and content.xml are streamed through expat,
// or one flat XML document holding both. One handler reads either.

#include "engine/ErrorText.h"
#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/NumberFormat.h"
#include "engine/Readers.h"
#include "engine/StoryStack.h"
#include "engine/TextBudget.h"
#include "engine/docx/XmlParser.h"
#include "engine/docx/ZipPackage.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plainora::engine {

namespace {

using docx::Ns;
using docx::XmlAttributes;

constexpr int kListLevels = 10; // text:level runs 1..10
// The outline style's key among the list styles (no style name has a NUL).
constexpr std::string_view kOutline("\0outline", 8);

struct ListLevelStyle
{
    bool bullet = false;
    std::string bulletChar = "\u2022";
    NumberFormat format = NumberFormat::Decimal;
    std::string prefix, suffix;
    int displayLevels = 1;
    int start = 1;
    std::string_view followedBy = "\t"; // text:label-followed-by: listtab, space or nothing
};

using ListStyle = std::array<ListLevelStyle, kListLevels>;

std::string attribute(const XmlAttributes& attributes, Ns ns, std::string_view local)
{
    const char* value = attributes.get(ns, local);
    return value ? std::string(value) : std::string();
}

int intAttribute(const XmlAttributes& attributes, Ns ns, std::string_view local, int fallback, int low,
                 int high)
{
    const char* value = attributes.get(ns, local);
    if (!value)
        return fallback;
    char* end = nullptr;
    const long parsed = std::strtol(value, &end, 10);
    if (end == value)
        return fallback;
    return static_cast<int>(std::clamp<long>(parsed, low, high));
}

// A bullet from a symbol font shows as its Unicode look-alike; one from the
// private-use area of a font we cannot see as the usual bullet.
std::string bulletText(std::string_view utf8, const std::string& fontName)
{
    if (utf8.empty())
        return "\u2022";
    char32_t code = 0;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (lead < 0x80 || utf8.size() < 3 || (lead & 0xF0) != 0xE0)
        return std::string(utf8);
    code = (char32_t(lead & 0x0F) << 12) | (char32_t(utf8[1] & 0x3F) << 6) | char32_t(utf8[2] & 0x3F);
    if (code < 0xE000 || code > 0xF8FF)
        return std::string(utf8);
    const char32_t mapped = mapSymbolFontCharacter(fontName, code);
    if (mapped == code)
        return "\u2022";
    std::string out;
    if (mapped < 0x80) {
        out.push_back(static_cast<char>(mapped));
    } else if (mapped < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (mapped >> 6)));
        out.push_back(static_cast<char>(0x80 | (mapped & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (mapped >> 12)));
        out.push_back(static_cast<char>(0x80 | ((mapped >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (mapped & 0x3F)));
    }
    return out;
}

class OdfHandler : public docx::XmlHandler
{
public:
    OdfHandler(const ReadOptions& options, TextBudget& budget) : m_options(options), m_budget(budget) {}

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override;
    void endElement(Ns ns, std::string_view local) override;
    void characters(std::string_view text) override;

    Document finish()
    {
        m_stories.finish();
        return std::move(m_document);
    }

private:
    struct OpenList
    {
        std::string named;      // the list style the list or a list around it names
        std::string style;      // the list style of the current item
        std::string labelStyle; // the item's text:style-override, which shows its label
        int level = 1;
        bool labelPending = false;
        // An item of a list that names no style takes its paragraph style's
        // list style, so it is counted when its paragraph begins.
        bool countPending = false;
        std::optional<int> startValue;
        bool restart = false; // the first item counted starts its style's count over
    };

    struct ParagraphStyle
    {
        std::string parent;
        std::optional<std::string> listStyle; // empty: the style turns its parent's list off
    };

    struct StoryState
    {
        int paragraphDepth = 0;
        int graphicDepth = 0; // frames and groups: their own text is no paragraph text
        bool lastWasSpace = true;
        std::vector<OpenList> lists;
        std::vector<int> cellRepeats; // table:number-columns-repeated of each open cell
    };
    using Stories = StoryStack<StoryState>;

    Stories::Story& story() { return m_stories.current(); }
    StoryState& state() { return m_stories.current().state; }
    void openStory(StoryKind kind, bool kept, std::string mark = {});
    void append(std::string_view text);
    void startParagraph(const XmlAttributes& attributes);
    void endParagraph();
    void startList(const XmlAttributes& attributes);
    void startListItem(const XmlAttributes& attributes, bool header);
    void startNumberedParagraph(const XmlAttributes& attributes);
    void countItem(OpenList& list);
    void readParagraphStyle(const XmlAttributes& attributes);
    std::string paragraphListStyle(std::string name) const;
    void endCell(int level, int repeats);
    std::string listLabel(const OpenList& list);
    std::string outlineLabel(int level);
    void readListLevelStyle(std::string_view local, const XmlAttributes& attributes);
    bool startsSkippedElement(Ns ns, std::string_view local, const XmlAttributes& attributes) const;
    static bool isShape(std::string_view local);
    static bool isHeaderOrFooter(std::string_view local);
    void noteChange(Ns ns, std::string_view local, const XmlAttributes& attributes);

    const ReadOptions& m_options;
    TextBudget& m_budget;
    Document m_document;
    Stories m_stories{m_document};
    // Elements entered since a skipped one began (0: not skipping).
    int m_skipDepth = 0;
    // The end of each element that opened a story, by element depth.
    std::vector<int> m_storyDepths;
    int m_depth = 0;

    std::map<std::string, ListStyle> m_listStyles;
    std::map<std::string, ParagraphStyle> m_paragraphStyles;
    std::string m_numberedListId; // the list of the last numbered paragraph
    std::map<std::string, std::array<int, kListLevels>> m_counters;
    std::string m_listStyleName; // the list style being read
    int m_listStyleLevel = -1;
    bool m_inNoteCitation = false;
    std::string m_noteCitation;
    bool m_noteIsEndnote = false;
    std::string m_changeId;
    std::set<std::string> m_deletions;
    std::set<std::string> m_openDeletions;
};

bool OdfHandler::isShape(std::string_view local)
{
    static constexpr std::string_view kShapes[] = {
        "text-box", "custom-shape", "rect",      "ellipse", "circle",  "polygon",        "polyline",
        "path",     "line",         "connector", "caption", "measure", "regular-polygon"};
    for (std::string_view shape : kShapes)
        if (local == shape)
            return true;
    return false;
}

bool OdfHandler::isHeaderOrFooter(std::string_view local)
{
    return local == "header" || local == "header-left" || local == "header-first" || local == "footer" ||
           local == "footer-left" || local == "footer-first";
}

bool OdfHandler::startsSkippedElement(Ns ns, std::string_view local, const XmlAttributes& attributes) const
{
    if (ns == Ns::Text) {
        // Deleted text lives in the change list: leaving it out accepts
        // every change. Index sources are templates, not text.
        if (local == "tracked-changes" || local == "ruby-text" || local == "hidden-text" ||
            local.ends_with("-source"))
            return true;
        if (local == "hidden-paragraph") {
            const char* hidden = attributes.get(Ns::Text, "is-hidden");
            return !hidden || std::string_view(hidden) != "false";
        }
        if (local == "section") {
            const char* display = attributes.get(Ns::Text, "display");
            return display && std::string_view(display) == "none";
        }
        return false;
    }
    if (ns == Ns::Office)
        return (local == "annotation" && !m_options.includeComments) || local == "forms" ||
               local == "scripts" || local == "event-listeners" || local == "meta" || local == "settings" ||
               local == "font-face-decls";
    if (ns == Ns::Draw)
        return local == "image" || local == "object" || local == "object-ole" || local == "applet" ||
               local == "plugin";
    if (ns == Ns::Style)
        return !m_options.includeHeadersFooters && isHeaderOrFooter(local);
    return false;
}

void OdfHandler::openStory(StoryKind kind, bool kept, std::string mark)
{
    m_stories.open(kind, kept, std::move(mark));
    m_storyDepths.push_back(m_depth);
}

void OdfHandler::append(std::string_view text)
{
    if (!story().kept || text.empty() || !m_openDeletions.empty())
        return;
    if (!m_budget.spend(text.size())) {
        parser()->fail(m_budget.status().error());
        return;
    }
    story().builder.append(text);
}

void OdfHandler::startParagraph(const XmlAttributes& attributes)
{
    Stories::Story& current = story();
    // A paragraph in a paragraph is no ODF markup; its text joins the outer one.
    if (current.state.paragraphDepth++ > 0)
        return;
    current.state.lastWasSpace = true;
    if (current.state.lists.empty() || !current.state.lists.back().labelPending)
        return;
    OpenList& list = current.state.lists.back();
    list.labelPending = false;
    if (list.countPending) {
        list.style = paragraphListStyle(attribute(attributes, Ns::Text, "style-name"));
        countItem(list);
    }
    append(listLabel(list));
}

void OdfHandler::endParagraph()
{
    Stories::Story& current = story();
    if (current.state.paragraphDepth == 0 || --current.state.paragraphDepth > 0)
        return;
    if (current.kept)
        current.builder.endParagraph(std::min(current.tableDepth, limits::kMaxTableNesting));
}

void OdfHandler::startList(const XmlAttributes& attributes)
{
    Stories::Story& current = story();
    OpenList list;
    list.named = attribute(attributes, Ns::Text, "style-name");
    // Counts are kept per known style only, so that made-up names cost nothing.
    if (!m_listStyles.contains(list.named))
        list.named.clear();
    if (!current.state.lists.empty()) {
        OpenList& parent = current.state.lists.back();
        parent.labelPending = false; // an item that opens with a list shows no label of its own
        if (parent.countPending)
            countItem(parent);
        if (list.named.empty())
            list.named = parent.named;
        list.level = std::min(parent.level + 1, kListLevels);
    } else {
        // A new list counts from its start unless it continues an earlier one.
        const std::string continues = attribute(attributes, Ns::Text, "continue-numbering");
        list.restart = continues != "true" && !attributes.get(Ns::Text, "continue-list");
    }
    list.style = list.named;
    current.state.lists.push_back(std::move(list));
}

// A numbered paragraph is a list item of its own; those of one list id
// count on as one list (ODF 1.2 Part 1, 5.3.6).
void OdfHandler::startNumberedParagraph(const XmlAttributes& attributes)
{
    OpenList list;
    list.named = attribute(attributes, Ns::Text, "style-name");
    if (!m_listStyles.contains(list.named))
        list.named.clear();
    list.style = list.named;
    list.level = intAttribute(attributes, Ns::Text, "level", 1, 1, kListLevels);
    list.labelPending = true;
    list.countPending = true;
    if (attributes.get(Ns::Text, "start-value"))
        list.startValue = intAttribute(attributes, Ns::Text, "start-value", 1, -1000000, 1000000);
    std::string id = attribute(attributes, Ns::Text, "list-id").substr(0, 256);
    list.restart = (id.empty() || id != m_numberedListId) &&
                   attribute(attributes, Ns::Text, "continue-numbering") != "true";
    m_numberedListId = std::move(id);
    if (!list.named.empty())
        countItem(list);
    state().lists.push_back(std::move(list));
}

void OdfHandler::startListItem(const XmlAttributes& attributes, bool header)
{
    Stories::Story& current = story();
    if (current.state.lists.empty())
        return;
    OpenList& list = current.state.lists.back();
    list.labelPending = !header;
    if (header)
        return;
    list.labelStyle = attribute(attributes, Ns::Text, "style-override");
    if (!m_listStyles.contains(list.labelStyle))
        list.labelStyle.clear();
    list.startValue.reset();
    if (attributes.get(Ns::Text, "start-value"))
        list.startValue = intAttribute(attributes, Ns::Text, "start-value", 1, -1000000, 1000000);
    list.style = list.named;
    list.countPending = true;
    if (!list.named.empty())
        countItem(list);
}

void OdfHandler::countItem(OpenList& list)
{
    list.countPending = false;
    OpenList& outermost = state().lists.empty() ? list : state().lists.front();
    if (outermost.restart || list.restart) {
        m_counters.erase(list.style);
        outermost.restart = list.restart = false;
    }
    const ListStyle* style = m_listStyles.contains(list.style) ? &m_listStyles[list.style] : nullptr;
    auto [it, fresh] = m_counters.try_emplace(list.style);
    if (fresh)
        for (int i = 0; i < kListLevels; ++i)
            it->second[i] = (style ? (*style)[i].start : 1) - 1;
    auto& counters = it->second;
    const int index = list.level - 1;
    counters[index] = list.startValue.value_or(counters[index] + 1);
    for (int deeper = index + 1; deeper < kListLevels; ++deeper)
        counters[deeper] = (style ? (*style)[deeper].start : 1) - 1;
}

// Paragraph styles are kept for their list style only: in a list that names
// no style (nor does a list around it), an item shows by the list style of
// its paragraph's style, or of the style that inherits from (ODF 1.2 Part 1,
// 5.3.1 and 19.509).
void OdfHandler::readParagraphStyle(const XmlAttributes& attributes)
{
    if (attribute(attributes, Ns::Style, "family") != "paragraph")
        return;
    ParagraphStyle style{attribute(attributes, Ns::Style, "parent-style-name"), std::nullopt};
    if (const char* listStyle = attributes.get(Ns::Style, "list-style-name"))
        style.listStyle = listStyle;
    if (style.parent.empty() && !style.listStyle)
        return;
    const std::string name = attribute(attributes, Ns::Style, "name");
    if (m_paragraphStyles.size() < limits::kMaxListStyles || m_paragraphStyles.contains(name))
        m_paragraphStyles[name] = std::move(style);
}

std::string OdfHandler::paragraphListStyle(std::string name) const
{
    for (int step = 0; step < limits::kMaxStyleChain; ++step) {
        const auto found = m_paragraphStyles.find(name);
        if (found == m_paragraphStyles.end())
            return {};
        if (const auto& listStyle = found->second.listStyle)
            return m_listStyles.contains(*listStyle) ? *listStyle : std::string();
        name = found->second.parent;
    }
    return {};
}

// A cell repeated by table:number-columns-repeated stands for that many
// cells alike (ODF 1.2 Part 1, 19.675); a row never grows past
// kMaxRepeatedColumns cells that way.
void OdfHandler::endCell(int level, int repeats)
{
    BlockBuilder& builder = story().builder;
    builder.endCell(level);
    const std::size_t copies = std::min<std::size_t>(
        std::size_t(repeats - 1),
        limits::kMaxRepeatedColumns - std::min(limits::kMaxRepeatedColumns, builder.rowCellCount(level)));
    if (copies == 0)
        return;
    // Each copy costs its text and the cell it takes.
    if (!m_budget.spend((builder.lastCellTextSize(level) + sizeof(TableCell)) * copies)) {
        parser()->fail(m_budget.status().error());
        return;
    }
    builder.repeatLastCell(level, copies);
}

std::string OdfHandler::listLabel(const OpenList& list)
{
    static const ListStyle kDefault = [] {
        ListStyle style;
        for (ListLevelStyle& level : style)
            level.bullet = true;
        return style;
    }();
    const auto found = m_listStyles.find(list.labelStyle.empty() ? list.style : list.labelStyle);
    const ListStyle& style = found == m_listStyles.end() ? kDefault : found->second;
    const int index = list.level - 1;
    const ListLevelStyle& level = style[index];
    if (level.bullet)
        return level.bulletChar + std::string(level.followedBy);
    const auto& counters = m_counters[list.style];
    std::string label = level.prefix;
    if (level.format != NumberFormat::None) {
        for (int at = std::max(0, index - level.displayLevels + 1); at < index; ++at) {
            if (style[at].format == NumberFormat::None || style[at].bullet)
                continue;
            label += formatListNumber(std::max(1, counters[at]), style[at].format);
            label += '.';
        }
        label += formatListNumber(counters[index], level.format);
    }
    label += level.suffix;
    if (!label.empty())
        label += level.followedBy;
    return label;
}

// Headings number by the outline style, one count per level through the
// whole document (a heading restarts the levels below it).
std::string OdfHandler::outlineLabel(int level)
{
    if (!m_listStyles.contains(std::string(kOutline)))
        return {};
    const ListStyle& style = m_listStyles[std::string(kOutline)];
    auto [it, fresh] = m_counters.try_emplace(std::string(kOutline));
    if (fresh)
        for (int i = 0; i < kListLevels; ++i)
            it->second[i] = style[i].start - 1;
    ++it->second[level - 1];
    for (int deeper = level; deeper < kListLevels; ++deeper)
        it->second[deeper] = style[deeper].start - 1;
    OpenList outline;
    outline.style = std::string(kOutline);
    outline.level = level;
    return listLabel(outline);
}

void OdfHandler::readListLevelStyle(std::string_view local, const XmlAttributes& attributes)
{
    if (m_listStyleName.empty())
        return;
    if (local == "list-level-style-number" || local == "list-level-style-bullet" ||
        local == "list-level-style-image" || local == "outline-level-style") {
        m_listStyleLevel = intAttribute(attributes, Ns::Text, "level", 1, 1, kListLevels) - 1;
        ListLevelStyle& level = m_listStyles[m_listStyleName][m_listStyleLevel];
        level = ListLevelStyle{};
        level.bullet = local == "list-level-style-bullet" || local == "list-level-style-image";
        level.prefix = attribute(attributes, Ns::Style, "num-prefix");
        level.suffix = attribute(attributes, Ns::Style, "num-suffix");
        if (local == "list-level-style-bullet")
            level.bulletChar = bulletText(attribute(attributes, Ns::Text, "bullet-char"),
                                          attribute(attributes, Ns::Text, "style-name"));
        if (!level.bullet) {
            level.format = numberFormatFromOdf(attribute(attributes, Ns::Style, "num-format"));
            level.displayLevels = intAttribute(attributes, Ns::Text, "display-levels", 1, 1, kListLevels);
            level.start = intAttribute(attributes, Ns::Text, "start-value", 1, -1000000, 1000000);
        }
        return;
    }
    if (local == "list-level-label-alignment" && m_listStyleLevel >= 0) {
        const std::string followedBy = attribute(attributes, Ns::Text, "label-followed-by");
        ListLevelStyle& level = m_listStyles[m_listStyleName][m_listStyleLevel];
        level.followedBy = followedBy == "space" ? " " : followedBy == "nothing" ? "" : "\t";
    }
}

void OdfHandler::noteChange(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    if (ns != Ns::Text)
        return;
    if (local == "changed-region") {
        m_changeId = attribute(attributes, Ns::Text, "id");
    } else if (local == "deletion" && !m_changeId.empty() && m_deletions.size() < 100000) {
        m_deletions.insert(m_changeId);
    } else if (local == "change-start" && m_skipDepth == 0) {
        const std::string id = attribute(attributes, Ns::Text, "change-id");
        if (m_deletions.contains(id))
            m_openDeletions.insert(id);
    } else if (local == "change-end" && m_skipDepth == 0) {
        m_openDeletions.erase(attribute(attributes, Ns::Text, "change-id"));
    }
}

void OdfHandler::startElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    ++m_depth;
    // Deletions: their text sits in the change list, or (as newer writers
    // keep it) in the body between the change's start and end marks.
    noteChange(ns, local, attributes);
    if (m_skipDepth > 0 || startsSkippedElement(ns, local, attributes)) {
        ++m_skipDepth;
        return;
    }
    switch (ns) {
    case Ns::Text:
        if (local == "p") {
            startParagraph(attributes);
        } else if (local == "h") {
            const bool numbered = story().kept && state().lists.empty() && state().paragraphDepth == 0;
            startParagraph(attributes);
            if (numbered && attribute(attributes, Ns::Text, "is-list-header") != "true")
                append(outlineLabel(intAttribute(attributes, Ns::Text, "outline-level", 1, 1, kListLevels)));
        } else if (local == "list-style" || local == "outline-style") {
            m_listStyleName =
                local == "outline-style" ? std::string(kOutline) : attribute(attributes, Ns::Style, "name");
            // Past the limit, further styles are not kept: their lists show bullets.
            if (m_listStyles.size() < limits::kMaxListStyles || m_listStyles.contains(m_listStyleName))
                m_listStyles[m_listStyleName] = ListStyle{};
            else
                m_listStyleName.clear();
        } else if (local.starts_with("list-level-style") || local == "outline-level-style") {
            readListLevelStyle(local, attributes);
        } else if (local == "list") {
            startList(attributes);
        } else if (local == "list-item" || local == "list-header") {
            startListItem(attributes, local == "list-header");
        } else if (local == "numbered-paragraph") {
            startNumberedParagraph(attributes);
        } else if (local == "s") {
            const int count = intAttribute(attributes, Ns::Text, "c", 1, 1, 1024);
            append(std::string(static_cast<std::size_t>(count), ' '));
            state().lastWasSpace = false;
        } else if (local == "tab") {
            append("\t");
            state().lastWasSpace = false;
        } else if (local == "line-break") {
            append("\n");
            state().lastWasSpace = false;
        } else if (local == "note") {
            m_noteIsEndnote = attribute(attributes, Ns::Text, "note-class") == "endnote";
        } else if (local == "note-citation") {
            m_inNoteCitation = true;
            m_noteCitation.clear();
        } else if (local == "note-body") {
            openStory(m_noteIsEndnote ? StoryKind::Endnote : StoryKind::Footnote, true, m_noteCitation);
        }
        break;
    case Ns::Style:
        if (isHeaderOrFooter(local))
            openStory(StoryKind::HeaderFooter, true);
        else if (local == "list-level-label-alignment")
            readListLevelStyle(local, attributes);
        else if (local == "style")
            readParagraphStyle(attributes);
        break;
    case Ns::Table:
        if (local == "table") {
            if (state().paragraphDepth == 0)
                ++story().tableDepth;
        } else if (local == "covered-table-cell") {
            ++m_skipDepth; // a merged cell is one cell
        } else if (local == "table-cell") {
            state().cellRepeats.push_back(intAttribute(attributes, Ns::Table, "number-columns-repeated", 1, 1,
                                                       int(limits::kMaxRepeatedColumns)));
        }
        break;
    case Ns::Draw:
        if (isShape(local))
            openStory(StoryKind::TextBox, true);
        else
            ++state().graphicDepth;
        break;
    case Ns::Office:
        if (local == "annotation") {
            openStory(StoryKind::Comment, true, commentMark(m_document.comments.size()));
        }
        break;
    default:
        break;
    }
}

void OdfHandler::endElement(Ns ns, std::string_view local)
{
    const int depth = m_depth--;
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return;
    }
    if (!m_storyDepths.empty() && m_storyDepths.back() == depth) {
        m_storyDepths.pop_back();
        m_stories.close();
        return;
    }
    switch (ns) {
    case Ns::Text:
        if (local == "p" || local == "h") {
            endParagraph();
        } else if (local == "list" || local == "numbered-paragraph") {
            if (!state().lists.empty()) {
                if (state().lists.back().countPending)
                    countItem(state().lists.back());
                state().lists.pop_back();
            }
        } else if (local == "list-item" || local == "list-header") {
            if (!state().lists.empty()) {
                OpenList& list = state().lists.back();
                list.labelPending = false;
                if (list.countPending)
                    countItem(list); // an item without a paragraph counts all the same
            }
        } else if (local == "list-style" || local == "outline-style") {
            m_listStyleName.clear();
            m_listStyleLevel = -1;
        } else if (local == "note-citation") {
            m_inNoteCitation = false;
            append(noteReferenceText(m_noteCitation));
            state().lastWasSpace = false;
        }
        break;
    case Ns::Table: {
        Stories::Story& current = story();
        int repeats = 1;
        if (local == "table-cell" && !current.state.cellRepeats.empty()) {
            repeats = current.state.cellRepeats.back();
            current.state.cellRepeats.pop_back();
        }
        if (current.state.paragraphDepth > 0 || current.tableDepth == 0 || !current.kept) {
            if (local == "table" && current.tableDepth > 0 && current.state.paragraphDepth == 0)
                --current.tableDepth;
            break;
        }
        const int level = std::min(current.tableDepth, limits::kMaxTableNesting);
        if (local == "table-cell") {
            endCell(level, repeats);
        } else if (local == "table-row") {
            current.builder.endRow(level);
        } else if (local == "table") {
            --current.tableDepth;
            if (current.tableDepth < limits::kMaxTableNesting)
                current.builder.closeTables(current.tableDepth);
        }
        break;
    }
    case Ns::Draw:
        if (state().graphicDepth > 0)
            --state().graphicDepth;
        break;
    default:
        break;
    }
}

void OdfHandler::characters(std::string_view text)
{
    if (m_skipDepth > 0)
        return;
    if (m_inNoteCitation) {
        for (char c : text)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && m_noteCitation.size() < 64)
                m_noteCitation.push_back(c);
        return;
    }
    Stories::Story& current = story();
    if (current.state.paragraphDepth == 0 || current.state.graphicDepth > 0)
        return;
    // Runs of white space in paragraph text are one space, none at the
    // start of the paragraph (ODF 1.2 Part 1, 6.1.2).
    std::string collapsed;
    collapsed.reserve(text.size());
    for (char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (space) {
            if (!current.state.lastWasSpace)
                collapsed.push_back(' ');
            current.state.lastWasSpace = true;
        } else {
            collapsed.push_back(c);
            current.state.lastWasSpace = false;
        }
    }
    append(collapsed);
}

Status parsePart(docx::ZipPackage& package, const std::string& name, OdfHandler& handler)
{
    docx::XmlParser parser(handler, name);
    Status status = package.read(name, [&](std::string_view slice) { return parser.feed(slice, false); });
    if (!status)
        return status;
    return parser.feed({}, true);
}

// The manifest lists the encryption of every encrypted part (Part 3, 4.8).
class ManifestHandler : public docx::XmlHandler
{
public:
    void startElement(Ns ns, std::string_view local, const XmlAttributes&) override
    {
        if (ns == Ns::Manifest && local == "encryption-data")
            encrypted = true;
    }
    void endElement(Ns, std::string_view) override {}
    void characters(std::string_view) override {}
    bool encrypted = false;
};

constexpr std::string_view kOpenDocument = "OpenDocument file";

Result<Document> readPackage(ByteView bytes, const ReadOptions& options)
{
    auto opened = docx::ZipPackage::open(bytes);
    if (!opened)
        return opened.error();
    docx::ZipPackage& package = *opened.value();
    if (package.contains("META-INF/manifest.xml")) {
        ManifestHandler manifest;
        docx::XmlParser parser(manifest, "META-INF/manifest.xml");
        Status status = package.read(
            "META-INF/manifest.xml", [&](std::string_view slice) { return parser.feed(slice, false); },
            limits::kMaxSmallPartBytes);
        if (status)
            status = parser.feed({}, true);
        if (manifest.encrypted)
            return passwordProtected(kOpenDocument);
        if (!status)
            return status.error();
    }
    if (!package.contains("content.xml"))
        return damaged("it has no content part (content.xml)", {}, kOpenDocument);
    TextBudget budget;
    OdfHandler handler(options, budget);
    if (package.contains("styles.xml"))
        if (Status status = parsePart(package, "styles.xml", handler); !status)
            return status.error();
    if (Status status = parsePart(package, "content.xml", handler); !status)
        return status.error();
    return handler.finish();
}

} // namespace

Result<Document> readOpenDocument(ByteView bytes, const ReadOptions& options)
{
    const bool zip = bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K';
    if (zip)
        return readPackage(bytes, options);
    TextBudget budget;
    OdfHandler handler(options, budget);
    docx::XmlParser parser(handler, "the flat OpenDocument file");
    if (Status status =
            parser.parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        !status)
        return status.error();
    return handler.finish();
}

} // namespace plainora::engine
