// Elements of the HTML reader: which start and end blocks, which hide their
// content, and the visible text between them with its white space folded.

#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/text/HtmlReader.h"

#include <unordered_map>

namespace plainora::engine::html {

std::uint16_t flagsOf(std::string_view name)
{
    static const std::unordered_map<std::string_view, std::uint16_t> table = {
        {"p", kBlock | kParagraph},
        {"h1", kBlock | kParagraph},
        {"h2", kBlock | kParagraph},
        {"h3", kBlock | kParagraph},
        {"h4", kBlock | kParagraph},
        {"h5", kBlock | kParagraph},
        {"h6", kBlock | kParagraph},
        {"div", kBlock},
        {"blockquote", kBlock},
        {"address", kBlock},
        {"section", kBlock},
        {"article", kBlock},
        {"header", kBlock},
        {"footer", kBlock},
        {"nav", kBlock},
        {"aside", kBlock},
        {"main", kBlock},
        {"figure", kBlock},
        {"figcaption", kBlock},
        {"center", kBlock},
        {"form", kBlock},
        {"fieldset", kBlock},
        {"legend", kBlock},
        {"dl", kBlock},
        {"dt", kBlock | kParagraph},
        {"dd", kBlock | kParagraph},
        {"body", kBlock},
        {"caption", kBlock | kParagraph},
        {"pre", kBlock | kParagraph | kPre},
        {"listing", kBlock | kParagraph | kPre},
        {"xmp", kBlock | kParagraph | kPre},
        {"plaintext", kBlock | kParagraph | kPre},
        {"ul", kBlock | kList},
        {"ol", kBlock | kList},
        {"dir", kBlock | kList},
        {"menu", kBlock | kList},
        {"li", kBlock | kParagraph | kListItem},
        {"table", kTable},
        {"tr", kRow},
        {"td", kCell},
        {"th", kCell},
        {"script", kSkip},
        {"style", kSkip},
        {"title", kSkip},
        {"xml", kSkip},
        {"template", kSkip},
        {"noscript", kSkip},
        {"noframes", kSkip},
        {"iframe", kSkip},
        {"object", kSkip},
        {"svg", kSkip},
        {"rt", kSkip}, // a phonetic guide's reading: only the base text is shown
        {"rp", kSkip},
        {"math", kSkip},
        {"head", 0},
        {"select", kSkip},
        {"option", kSkip},
        {"br", kVoid},
        {"hr", kVoid | kBlock},
        {"img", kVoid},
        {"input", kVoid},
        {"meta", kVoid},
        {"link", kVoid},
        {"area", kVoid},
        {"base", kVoid},
        {"col", kVoid},
        {"embed", kVoid},
        {"param", kVoid},
        {"source", kVoid},
        {"track", kVoid},
        {"wbr", kVoid},
        {"basefont", kVoid},
        {"frame", kVoid},
        {"keygen", kVoid},
    };
    const auto found = table.find(name);
    return found == table.end() ? 0 : found->second;
}

bool isParagraphName(const std::string& name)
{
    return name == "p" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

// The first family of a CSS font-family value or a <font face>.
std::string fontFamilyOf(const std::string& style)
{
    const std::size_t at = findNoCase(style, "font-family");
    if (at == std::string::npos)
        return {};
    std::size_t i = style.find(':', at);
    if (i == std::string::npos)
        return {};
    ++i;
    while (i < style.size() && (isSpace(style[i]) || style[i] == '"' || style[i] == '\''))
        ++i;
    std::size_t end = i;
    while (end < style.size() && style[end] != ',' && style[end] != ';' && style[end] != '"' &&
           style[end] != '\'')
        ++end;
    std::string family = style.substr(i, end - i);
    while (!family.empty() && isSpace(family.back()))
        family.pop_back();
    return family;
}

void HtmlReader::startElement(const Tag& tag)
{
    const std::uint16_t flags = flagsOf(tag.name);
    if (tag.name == "br") {
        if (!hidden()) {
            m_pendingSpace = false;
            m_builder.append('\n');
        }
        return;
    }
    if (tag.name == "input") {
        if (!hidden() && asciiLower(tag.attribute("type")) == "checkbox")
            appendVisible(checkBoxText(tag.has("checked")));
        return;
    }
    if (flags & kVoid) {
        if (flags & kBlock)
            breakBlock(false);
        return;
    }
    closeImplied(flags);
    if (flags & (kTable | kRow | kCell))
        startTablePart(flags);
    else if (flags & kBlock)
        breakBlock(false);

    if (m_stack.size() >= static_cast<std::size_t>(limits::kMaxHtmlDepth))
        return; // deeper elements count as text of their ancestor

    Element element = makeElement(tag, flags);
    if (element.hidden)
        ++m_hiddenDepth;
    if (flags & kPre)
        ++m_preDepth;
    if (flags & kParagraph)
        m_paragraphOpen = true;
    m_stack.push_back(std::move(element));

    if ((flags & kListItem) && !hidden())
        startListItem(tag);
}

// Elements whose start ends an open one: <p> by any block, <li> by the
// next item of its list, a cell by the next cell, a row by the next row.
void HtmlReader::closeImplied(std::uint16_t flags)
{
    auto closeOpen = [this](auto matches, std::uint16_t boundary) {
        for (std::size_t k = m_stack.size(); k-- > 0;) {
            if (matches(m_stack[k].name)) {
                const std::string name = m_stack[k].name;
                endElement(name);
                return;
            }
            if (m_stack[k].flags & boundary)
                return;
        }
    };
    if (flags & (kBlock | kTable | kRow | kCell | kListItem))
        closeOpen([](const std::string& n) { return isParagraphName(n); }, kList | kTable | kCell);
    if (flags & kListItem)
        closeOpen([](const std::string& n) { return n == "li"; }, kList | kTable);
    if (flags & kCell)
        closeOpen([](const std::string& n) { return n == "td" || n == "th"; }, kTable);
    if (flags & kRow)
        closeOpen([](const std::string& n) { return n == "tr"; }, kTable);
}

HtmlReader::Element HtmlReader::makeElement(const Tag& tag, std::uint16_t flags)
{
    Element element;
    element.name = tag.name;
    element.flags = flags;
    const std::string style = asciiLower(tag.attribute("style"));
    element.hidden = (flags & kSkip) || style.find("display:none") != std::string::npos ||
                     style.find("display: none") != std::string::npos || tag.has("hidden");
    std::string family = fontFamilyOf(tag.attribute("style"));
    if (family.empty() && tag.name == "font")
        family = tag.attribute("face");
    if (isSymbolFont(family))
        element.symbolFont = family;
    if (style.find("mso-list:ignore") != std::string::npos) {
        element.label = true;
        element.labelStart = m_builder.paragraph().size();
    }
    if (flags & kList)
        startList(element, tag);
    return element;
}

void HtmlReader::popElement()
{
    Element element = std::move(m_stack.back());
    m_stack.pop_back();
    if (element.hidden)
        --m_hiddenDepth;
    if (element.flags & kPre)
        --m_preDepth;
    if (element.label)
        endWordListLabel(element);
    if (element.flags & (kTable | kRow | kCell))
        endTablePart(element.flags);
    else if (element.flags & kParagraph)
        breakBlock(true);
    else if (element.flags & kBlock)
        breakBlock(false);
}

void HtmlReader::endElement(const std::string& name)
{
    // Close up to the innermost open element of that name, but never across
    // a table boundary for cell and row ends.
    for (std::size_t i = m_stack.size(); i-- > 0;) {
        if (m_stack[i].name == name) {
            while (m_stack.size() > i)
                popElement();
            return;
        }
        if ((m_stack[i].flags & kTable) && name != "table")
            return;
    }
}

void HtmlReader::appendVisible(std::string_view utf8)
{
    if (utf8.empty())
        return;
    if (m_pendingSpace && !m_builder.paragraphEmpty() && m_builder.paragraph().back() != '\n' &&
        m_builder.paragraph().back() != '\t')
        m_builder.append(' ');
    m_pendingSpace = false;
    m_labelOnly = false;
    m_builder.append(utf8);
}

void HtmlReader::text(std::string_view raw)
{
    if (hidden() || raw.empty())
        return;
    std::string decoded;
    decoded.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') {
            if (const std::size_t used = decodeReference(raw.substr(i), decoded)) {
                i += used - 1;
                continue;
            }
        }
        decoded.push_back(raw[i]);
    }
    const std::string* font = nullptr;
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (!it->symbolFont.empty()) {
            font = &it->symbolFont;
            break;
        }
    }
    if (font) { // map each character of a symbol font
        std::string mapped;
        std::size_t i = 0;
        while (i < decoded.size()) {
            const auto lead = static_cast<unsigned char>(decoded[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t cp = lead;
            if (length > 1 && i + length <= decoded.size()) {
                cp = lead & (0xFF >> (length + 1));
                for (std::size_t k = 1; k < length; ++k)
                    cp = (cp << 6) | (static_cast<unsigned char>(decoded[i + k]) & 0x3F);
            }
            const bool space = cp <= 0x20 || cp == 0xA0;
            appendUtf8(mapped, space ? cp : mapSymbolFontCharacter(*font, cp));
            i += length;
        }
        decoded = std::move(mapped);
    }
    if (m_preDepth > 0) {
        std::string kept;
        for (char c : decoded) {
            if (c == '\r')
                continue;
            kept.push_back(c);
        }
        // A newline right after <pre> is not content.
        if (m_builder.paragraphEmpty() && !kept.empty() && kept.front() == '\n')
            kept.erase(0, 1);
        appendVisible(kept);
        return;
    }
    std::size_t i = 0;
    while (i < decoded.size()) {
        if (isSpace(decoded[i])) {
            m_pendingSpace = true;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < decoded.size() && !isSpace(decoded[end]))
            ++end;
        appendVisible(std::string_view(decoded).substr(i, end - i));
        i = end;
    }
}

void HtmlReader::breakBlock(bool always)
{
    m_pendingSpace = false;
    if (m_labelOnly && !always)
        return; // <li><p>text: the item's label stays with its text
    m_labelOnly = false;
    std::string& paragraph = m_builder.paragraph();
    while (!paragraph.empty() && paragraph.back() == ' ')
        paragraph.pop_back();
    // A paragraph of nothing but (non-breaking) spaces is an empty one.
    if (paragraph.find_first_not_of(" \xC2\xA0") == std::string::npos &&
        paragraph.find("\xC2\xA0") != std::string::npos)
        paragraph.clear();
    if (!paragraph.empty() || (always && m_paragraphOpen))
        m_builder.endParagraph(tableLevel());
    m_paragraphOpen = false;
}

} // namespace plainora::engine::html
