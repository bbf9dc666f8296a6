// HTML reader: the visible text of a web page saved under a Word name, and of
// Word's own "Web Page" and "Single File Web Page" (MHTML) saves. Not a
// conforming HTML parser: a tolerant tag scanner with an element stack that
// knows which elements start blocks, which hide their content, and how
// tables and lists nest.
//
// [x] charset from byte-order mark, <meta>, UTF-8 validity, else Windows-1252
// [x] scripts, styles, titles, comments, Word's <xml> islands skipped
// [x] named and numeric character references
// [x] blocks as paragraphs, <br> as line break, <pre> white space kept
// [x] tables (nested) as rows of TAB-separated cells
// [x] <ul>/<ol> labels; Word's own list labels (mso-list:Ignore) end with a TAB
// [x] display:none dropped; Symbol and Wingdings text mapped to Unicode
// [x] MHTML: the first text/html part, quoted-printable or base64
// [ ] footnotes as notes (their text stays where the page puts it)
//
// The reader is spread over files by feature (HtmlReader.h says which).

#include "engine/text/HtmlReader.h"

#include "engine/ErrorText.h"
#include "engine/TextBudget.h"
#include "engine/TextEncoding.h"

#include <cctype>

namespace plainora::engine::html {

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (startsWithIgnoringCase(text.substr(i), needle))
            return i;
    }
    return std::string_view::npos;
}

std::size_t HtmlReader::parseTag(std::size_t at, Tag& tag) const
{
    // at points just after '<'.
    std::size_t i = at;
    if (i < m_page.size() && m_page[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '>' && m_page[i] != '/')
        ++i;
    tag.name = asciiLower(m_page.substr(nameStart, i - nameStart));
    while (i < m_page.size() && m_page[i] != '>') {
        if (isSpace(m_page[i])) {
            ++i;
            continue;
        }
        if (m_page[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        const std::size_t keyStart = i;
        while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '=' && m_page[i] != '>' &&
               m_page[i] != '/')
            ++i;
        std::string key = asciiLower(m_page.substr(keyStart, i - keyStart));
        while (i < m_page.size() && isSpace(m_page[i]))
            ++i;
        std::string value;
        if (i < m_page.size() && m_page[i] == '=') {
            ++i;
            while (i < m_page.size() && isSpace(m_page[i]))
                ++i;
            if (i < m_page.size() && (m_page[i] == '"' || m_page[i] == '\'')) {
                const char quote = m_page[i++];
                const std::size_t end = m_page.find(quote, i);
                const std::size_t stop = end == std::string_view::npos ? m_page.size() : end;
                value = m_page.substr(i, stop - i);
                i = stop == m_page.size() ? stop : stop + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '>')
                    ++i;
                value = m_page.substr(valueStart, i - valueStart);
            }
        }
        if (tag.attributes.size() < 64)
            tag.attributes.emplace_back(std::move(key), std::move(value));
        if (keyStart == i) // nothing consumed: avoid looping
            ++i;
    }
    return i < m_page.size() ? i + 1 : m_page.size();
}

Result<Document> HtmlReader::read()
{
    std::size_t i = 0;
    const std::size_t size = m_page.size();
    while (i < size) {
        const std::size_t lt = m_page.find('<', i);
        const std::size_t textEnd = lt == std::string_view::npos ? size : lt;
        text(m_page.substr(i, textEnd - i));
        if (lt == std::string_view::npos)
            break;
        i = lt + 1;
        if (i >= size) {
            text("<");
            break;
        }
        const char next = m_page[i];
        if (m_page.substr(i).starts_with("!--")) { // comment
            const std::size_t end = m_page.find("-->", i + 3);
            i = end == std::string_view::npos ? size : end + 3;
            continue;
        }
        if (next == '!' || next == '?') { // doctype, <![if ...]>, processing instruction
            const std::size_t end = m_page.find('>', i);
            i = end == std::string_view::npos ? size : end + 1;
            continue;
        }
        if (!(std::isalpha(static_cast<unsigned char>(next)) || next == '/')) {
            text("<");
            continue;
        }
        Tag tag;
        i = parseTag(i, tag);
        if (tag.closing) {
            if (tag.name == "br") // </br> reads as <br>
                startElement(tag);
            else
                endElement(tag.name);
            continue;
        }
        startElement(tag);
        const std::uint16_t flags = flagsOf(tag.name);
        if ((flags & kSkip) && !tag.selfClosing && tag.name != "select" && tag.name != "object" &&
            tag.name != "svg" && tag.name != "math" && tag.name != "rt" && tag.name != "rp") {
            // Raw text: everything up to the matching end tag.
            const std::string endTag = "</" + tag.name;
            const std::size_t end = findNoCase(m_page, endTag, i);
            i = end == std::string_view::npos ? size : end;
        } else if (tag.selfClosing && !(flags & kVoid) && !m_stack.empty() &&
                   m_stack.back().name == tag.name) {
            popElement();
        }
        if (Status status = TextBudget().spend(m_builder.size()); !status)
            return status.error();
    }
    while (!m_stack.empty())
        popElement();
    while (!m_tables.empty()) {
        endRow();
        m_tables.pop_back();
    }
    breakBlock(false);
    Document document;
    document.body = m_builder.finish(false);
    return document;
}

namespace {

// The decoded page is held whole while it is read, so it counts as text
// kept in memory: a page past the limit is refused before it is decoded.
Result<Document> readPage(ByteView bytes, const std::string& charset)
{
    TextBudget budget;
    if (Status status = budget.spend(bytes.size()); !status)
        return status.error();
    const std::string page = decodePage(bytes, charset);
    if (page.size() > bytes.size()) {
        if (Status status = budget.spend(page.size() - bytes.size()); !status)
            return status.error();
    }
    return HtmlReader(page).read();
}

} // namespace

} // namespace plainora::engine::html

namespace plainora::engine {

Result<Document> readHtml(ByteView bytes, const ReadOptions&)
{
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (html::isMimeArchive(raw)) {
        std::string part;
        std::string charset;
        if (!html::extractMimeHtml(raw, part, charset))
            return emptyWebArchive();
        return html::readPage(asBytes(part), charset);
    }
    return html::readPage(bytes, {});
}

} // namespace plainora::engine
