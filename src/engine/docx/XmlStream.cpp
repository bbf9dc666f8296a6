// XmlParser's streamed parts: a part too large to parse whole, parsed as a
// tree a chunk at a time.

#include "engine/Limits.h"
#include "engine/docx/XmlParser.h"
#include "engine/docx/XmlText.h"

#include <pugixml.hpp>

namespace plainora::engine::docx {

namespace {

// The first start tag of an element with content at or after `from`:
// where its '<' stands and one past its '>', npos for the end while it is
// incomplete, or npos twice when none has come yet. A '<' that only looks
// like one (inside a comment, say) is caught when the chunk is parsed.
std::pair<std::size_t, std::size_t> openingTagAfter(std::string_view text, std::size_t from)
{
    constexpr std::size_t npos = std::string_view::npos;
    for (std::size_t at = text.find('<', from); at != npos; at = text.find('<', at + 1)) {
        if (at + 1 >= text.size())
            return {at, npos};
        if (!isNameStart(text[at + 1]))
            continue;
        const std::size_t end = markupEnd(text, at);
        if (end == npos)
            return {at, npos};
        if (text[end - 2] != '/')
            return {at, end};
        at = end - 1;
    }
    return {npos, npos};
}

} // namespace

// The part is parsed a chunk at a time, each chunk wrapped in the start tags
// of the elements open where it begins. A chunk ends right after a start
// tag, so that the elements open at its end are the last start tag's
// element and its ancestors, which the tree parser names. Where that does
// not hold, a scan of every tag finds the cut and the open elements.
Status XmlParser::stream(std::string_view bytes, bool last, std::size_t chunkBytes)
{
    if (m_failed)
        return m_error;
    if (m_streamMode == StreamMode::Undecided)
        m_streamMode = treeCanParse(bytes) ? StreamMode::Tree : StreamMode::Expat;
    if (m_streamMode == StreamMode::Expat)
        return feed(bytes, last);

    std::string_view text = bytes;
    if (!m_pending.empty()) {
        m_pending.append(bytes);
        text = m_pending;
    }
    std::size_t used = 0;
    while (text.size() - used > chunkBytes) {
        const std::size_t cut = parseNextChunk(text.substr(used), chunkBytes, last);
        if (m_failed)
            return m_error;
        if (cut == 0)
            break;
        used += cut;
    }
    if (!last) {
        if (text.data() == m_pending.data())
            m_pending.erase(0, used);
        else
            m_pending.assign(text.substr(used));
        return {};
    }
    const bool parsed = parseChunk(text.substr(used), nullptr);
    m_pending.clear();
    if (!parsed)
        return m_error;
    if (!m_sawElement)
        return notWellFormed(m_linesBefore, 1, "no element found");
    return {};
}

std::size_t XmlParser::parseNextChunk(std::string_view text, std::size_t chunkBytes, bool last)
{
    const auto [tag, end] = openingTagAfter(text, chunkBytes);
    if (tag != std::string_view::npos && end == std::string_view::npos)
        return 0; // the rest of the tag is still to come
    if (end != std::string_view::npos && end <= 2 * chunkBytes) {
        switch (parseToOpeningTag(text.substr(0, end), tag)) {
        case Cut::Parsed:
            return end;
        case Cut::Failed:
            return 0;
        case Cut::Unsure:
            break;
        }
    } else if (!last && text.size() < 2 * chunkBytes) {
        return 0;
    }
    return parseScanned(text, chunkBytes);
}

std::size_t XmlParser::startChunk(std::string_view text)
{
    m_chunk.clear();
    for (const std::string& name : m_chunkOpen) {
        m_chunk += '<';
        m_chunk += name;
        m_chunk += '>';
    }
    const std::size_t prefix = m_chunk.size();
    m_chunk.append(text);
    return prefix;
}

bool XmlParser::loadChunk(pugi::xml_document& tree, std::string_view text, std::size_t prefix,
                          bool reportFault)
{
    if (!isCleanXmlText(text)) {
        fail(notWellFormed(m_linesBefore, 1, "invalid character or character reference"));
        return false;
    }
    if (loadTree(tree, m_chunk))
        return true;
    const std::size_t offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(m_treeErrorOffset, 0));
    if (!reportFault)
        return false;
    // Located in the part as received, not in the chunk the parser overwrote.
    const auto [line, column] = lineAndColumn(text, offset > prefix ? offset - prefix : 0);
    fail(notWellFormed(m_linesBefore + line - 1, column, m_treeError));
    return false;
}

void XmlParser::walkChunk(pugi::xml_document& tree, std::string_view text, std::size_t openAtEnd)
{
    m_sawElement = m_sawElement || tree.first_child();
    m_tree = m_chunk;
    walkTree(tree, m_chunkOpen.size(), openAtEnd);
    m_tree = {};
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
        ++m_linesBefore;
}

XmlParser::Cut XmlParser::parseToOpeningTag(std::string_view text, std::size_t tag)
{
    const std::size_t prefix = startChunk(text);
    pugi::xml_document tree;
    // The tree parser stops at the end with the elements left open, and
    // keeps what it built. Any other fault is left to the scan, which tells
    // one in the part from one of a misplaced cut.
    if (loadChunk(tree, text, prefix, false))
        return Cut::Unsure; // nothing left open: the tag was not what it seemed
    if (m_failed)
        return Cut::Failed;
    if (m_treeStatus != pugi::status_end_element_mismatch ||
        static_cast<std::size_t>(m_treeErrorOffset) + 1 != m_chunk.size())
        return Cut::Unsure;
    std::vector<std::string> open;
    pugi::xml_node last = tree;
    for (pugi::xml_node child = last.last_child(); child; child = last.last_child()) {
        if (child.type() != pugi::node_element)
            return Cut::Unsure;
        last = child;
        open.emplace_back(last.name());
    }
    if (last.name() != m_chunk.data() + prefix + tag + 1)
        return Cut::Unsure;
    walkChunk(tree, text, open.size());
    m_chunkOpen = std::move(open);
    return m_failed ? Cut::Failed : Cut::Parsed;
}

std::size_t XmlParser::parseScanned(std::string_view text, std::size_t chunkBytes)
{
    std::vector<std::string> open = m_chunkOpen;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '<') {
            const std::size_t next = text.find('<', i);
            if (next != std::string_view::npos) {
                i = next;
                continue;
            }
            // A long text is cut where no reference and no line end is split.
            if (text.size() < 2 * chunkBytes || open.empty())
                return 0;
            std::size_t cut = text.size();
            const std::size_t ampersand = text.rfind('&');
            const std::size_t semicolon = text.rfind(';');
            if (ampersand != std::string_view::npos &&
                (semicolon == std::string_view::npos || semicolon < ampersand))
                cut = ampersand;
            if (cut > 0 && text[cut - 1] == '\r')
                --cut;
            if (cut > 0 && static_cast<unsigned char>(text[cut - 1]) >= 0x80) {
                // nor a character, whose last bytes may not have come yet
                while (cut > 0 && (static_cast<unsigned char>(text[cut - 1]) & 0xC0) == 0x80)
                    --cut;
                if (cut > 0)
                    --cut;
            }
            return cut > 0 && parseChunk(text.substr(0, cut), &open) ? cut : 0;
        }
        const std::size_t end = markupEnd(text, i);
        if (end == std::string_view::npos)
            return 0;
        const std::string_view tag = text.substr(i + 1, end - i - 2);
        if (tag.starts_with("/")) {
            if (!open.empty())
                open.pop_back(); // a mismatch is the tree parser's to report
        } else if (!tag.starts_with("!") && !tag.starts_with("?") && !tag.ends_with("/")) {
            open.emplace_back(tagName(tag));
        }
        i = end;
        // Past the depth limit the walk stops the parse: cut before the
        // stack of open names grows any further.
        if (i >= chunkBytes || open.size() > static_cast<std::size_t>(limits::kMaxXmlDepth))
            return parseChunk(text.substr(0, i), &open) ? i : 0;
    }
    return 0;
}

bool XmlParser::parseChunk(std::string_view text, std::vector<std::string>* openAtEnd)
{
    const std::size_t prefix = startChunk(text);
    const std::size_t closing = openAtEnd ? openAtEnd->size() : 0;
    for (std::size_t i = closing; i-- > 0;) {
        m_chunk += "</";
        m_chunk += (*openAtEnd)[i];
        m_chunk += '>';
    }
    pugi::xml_document tree;
    if (!loadChunk(tree, text, prefix, true))
        return false;
    walkChunk(tree, text, closing);
    if (openAtEnd)
        m_chunkOpen = std::move(*openAtEnd);
    return !m_failed;
}

} // namespace plainora::engine::docx
