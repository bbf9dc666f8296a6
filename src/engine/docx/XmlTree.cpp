// XmlTree: a kept part, its children parsed when a reader asks for them.

#include "engine/docx/XmlParser.h"
#include "engine/docx/XmlText.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <pugixml.hpp>

namespace plainora::engine::docx {

XmlTree::XmlTree(std::string partName) : m_partName(std::move(partName)) {}

XmlTree::~XmlTree() = default;

namespace {

// Whether text holds "<" followed by mark at or after from: the mark is the
// rarer character, so memchr looks for it.
bool holdsMarkup(std::string_view text, char mark, std::size_t from)
{
    for (std::size_t at = text.find(mark, from); at != std::string_view::npos; at = text.find(mark, at + 1)) {
        if (at > 0 && text[at - 1] == '<')
            return true;
    }
    return false;
}

// Finds the end tags of one name: a Boyer-Moore-Horspool search skips
// most of the bytes a search from one '<' to the next would look at, and
// a part's children mostly share one name.
class EndTagFinder
{
public:
    // One past the first end tag of `name` at or after from, or npos. An
    // element holding another of its name is paired with the inner end tag:
    // the outer one then stands where the next child or the root's end tag
    // should, and the caller refuses the part.
    std::size_t after(std::string_view text, std::string_view name, std::size_t from)
    {
        if (!m_searcher || name != std::string_view(m_needle).substr(2)) {
            m_needle = "</" + std::string(name);
            m_searcher.emplace(m_needle.begin(), m_needle.end());
        }
        for (auto at = text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size()));;) {
            const auto found = std::search(at, text.end(), *m_searcher);
            if (found == text.end())
                return std::string_view::npos;
            std::size_t i = static_cast<std::size_t>(found - text.begin()) + m_needle.size();
            while (i < text.size() && isSpace(text[i]))
                ++i;
            if (i < text.size() && text[i] == '>')
                return i + 1;
            at = found + 1;
        }
    }

private:
    std::string m_needle;
    std::optional<std::boyer_moore_horspool_searcher<std::string::const_iterator>> m_searcher;
};

} // namespace

// The root's start tag, and each child's start tag and extent, found
// without a tree: a part with anything this search cannot be sure of
// (comments, CDATA, processing instructions past the declaration, text
// between the children, a child holding another of its name) is parsed
// whole instead.
bool XmlTree::indexChildren()
{
    const std::string_view text = m_text;
    std::size_t root = text.find('<');
    while (root != std::string_view::npos && root + 1 < text.size() && text[root + 1] == '?')
        root = text.find('<', root + 1);
    if (root == std::string_view::npos || root + 1 >= text.size() || !isNameStart(text[root + 1]) ||
        holdsMarkup(text, '!', 0) || holdsMarkup(text, '?', root))
        return false;
    const std::size_t rootTagEnd = markupEnd(text, root);
    if (rootTagEnd == std::string_view::npos || text[rootTagEnd - 2] == '/')
        return false;
    const std::string_view rootName = tagName(text.substr(root + 1, rootTagEnd - root - 2));
    m_rootStart = std::string(text.substr(0, rootTagEnd));
    m_rootName = std::string(rootName);
    m_children.clear();
    std::string skeleton = m_rootStart;
    EndTagFinder endTags;
    std::size_t at = rootTagEnd;
    for (;;) {
        while (at < text.size() && isSpace(text[at]))
            ++at;
        if (at + 1 >= text.size() || text[at] != '<')
            return false;
        if (text[at + 1] == '/')
            break;
        if (!isNameStart(text[at + 1]))
            return false;
        const std::size_t tagEnd = markupEnd(text, at);
        if (tagEnd == std::string_view::npos)
            return false;
        const bool empty = text[tagEnd - 2] == '/';
        const std::size_t end =
            empty ? tagEnd : endTags.after(text, tagName(text.substr(at + 1, tagEnd - at - 2)), tagEnd);
        if (end == std::string_view::npos)
            return false;
        skeleton.append(text, at, tagEnd - at - (empty ? 2 : 1));
        skeleton += "/>";
        m_children.push_back({at, end});
        at = end;
    }
    // Nothing but the root's own end tag may follow.
    const std::string rootEndTag = "</" + std::string(rootName);
    if (!text.substr(at).starts_with(rootEndTag))
        return false;
    at += rootEndTag.size();
    while (at < text.size() && isSpace(text[at]))
        ++at;
    if (at >= text.size() || text[at] != '>' ||
        text.find_first_not_of(" \t\r\n", at + 1) != std::string_view::npos)
        return false;
    skeleton += "</";
    skeleton += rootName;
    skeleton += '>';
    m_skeleton = std::move(skeleton);
    return true;
}

bool XmlTree::load(std::string text)
{
    m_text = std::move(text);
    m_tree = std::make_unique<pugi::xml_document>();
    m_skeleton.clear();
    if (treeCanParse(m_text) && isCleanXmlText(m_text) && indexChildren() &&
        loadInPlace(*m_tree, m_skeleton).status == pugi::status_ok) {
        std::size_t count = 0;
        for (pugi::xml_node child = m_tree->document_element().first_child(); child;
             child = child.next_sibling())
            m_childIndex[child.internal_object()] = count++;
        if (count == m_children.size())
            return true;
    }
    m_skeleton.clear();
    m_childIndex.clear();
    if (XmlParser::loadWhole(*m_tree, m_text))
        return true;
    m_tree.reset();
    return false;
}

Status XmlTree::walk(XmlHandler& handler)
{
    XmlParser parser(handler, m_partName);
    return parser.walkKept(*m_tree, m_skeleton.empty() ? std::string_view(m_text) : m_skeleton, nullptr);
}

Status XmlTree::walk(Element element, XmlHandler& handler)
{
    XmlParser parser(handler, m_partName);
    const auto child = m_childIndex.find(element);
    if (child == m_childIndex.end())
        return parser.walkKept(*m_tree, m_text, element, &m_scope);
    // The child parsed on its own, inside its root for the namespaces bound there.
    const auto [begin, end] = m_children[child->second];
    std::string text = m_rootStart;
    text.append(m_text, begin, end - begin);
    text += "</" + m_rootName + ">";
    pugi::xml_document tree;
    if (const pugi::xml_parse_result result = loadInPlace(tree, text); result.status != pugi::status_ok) {
        const std::size_t offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        const auto [line, column] =
            lineAndColumn(m_text, begin + (offset > m_rootStart.size() ? offset - m_rootStart.size() : 0));
        return parser.notWellFormed(line, column, result.description());
    }
    return parser.walkKept(tree, text, tree.document_element().first_child().internal_object());
}

} // namespace plainora::engine::docx
