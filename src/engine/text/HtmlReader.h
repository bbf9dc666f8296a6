#pragma once
// The HTML reader's class and helpers, shared by its files: HtmlReader.cpp
// (the tag scanner), HtmlEncoding.cpp (character set and references),
// HtmlArchive.cpp (MHTML), HtmlBlocks.cpp (elements, blocks and text),
// HtmlTables.cpp and HtmlLists.cpp.

#include "engine/BlockBuilder.h"
#include "engine/NumberFormat.h"
#include "engine/Readers.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plainora::engine::html {

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Character references and the page's character set (HtmlEncoding.cpp).

// Decodes the reference at text[0] == '&'; returns how many bytes it took
// (0 when it is no reference, so the '&' stays as it is).
std::size_t decodeReference(std::string_view text, std::string& out);
// The whole page as UTF-8.
std::string decodePage(ByteView bytes, std::string charset);

// MHTML, RFC 2557 (HtmlArchive.cpp).

bool isMimeArchive(std::string_view text);
// The page inside an MHTML archive, with the charset its part declares.
// Returns false when no HTML part is found.
bool extractMimeHtml(std::string_view text, std::string& page, std::string& charset);

// Elements (HtmlBlocks.cpp).

enum ElementFlag : std::uint16_t {
    kBlock = 1 << 0,     // starts and ends a paragraph
    kParagraph = 1 << 1, // its end ends a paragraph, even an empty one
    kSkip = 1 << 2,      // raw text never shown (script, style, title, ...)
    kVoid = 1 << 3,      // has no content and no end tag
    kPre = 1 << 4,       // keeps white space
    kListItem = 1 << 5,
    kList = 1 << 6,
    kTable = 1 << 7,
    kRow = 1 << 8,
    kCell = 1 << 9,
};

std::uint16_t flagsOf(std::string_view name);
bool isParagraphName(const std::string& name);

struct Tag
{
    std::string name; // lower case, without a namespace prefix's case
    bool closing = false;
    bool selfClosing = false;
    std::vector<std::pair<std::string, std::string>> attributes;

    std::string attribute(std::string_view key) const
    {
        for (const auto& [name, value] : attributes)
            if (name == key)
                return value;
        return {};
    }
    bool has(std::string_view key) const
    {
        return std::any_of(attributes.begin(), attributes.end(),
                           [&](const auto& a) { return a.first == key; });
    }
};

// The first family of a CSS font-family value or a <font face>.
std::string fontFamilyOf(const std::string& style);

class HtmlReader
{
public:
    HtmlReader(std::string_view page) : m_page(page) {}

    Result<Document> read();

private:
    struct Element
    {
        std::string name;
        std::uint16_t flags = 0;
        bool hidden = false;
        bool label = false;         // Word's list label: mso-list:Ignore
        std::size_t labelStart = 0; // its start in the paragraph
        std::string symbolFont;     // a symbol font for its text
        int listCounter = 0;        // <ol>: the next number
        NumberFormat listFormat = NumberFormat::Bullet;
    };
    struct OpenTable
    {
        bool rowOpen = false;
        bool cellOpen = false;
    };

    int tableLevel() const { return static_cast<int>(m_tables.size()); }
    bool hidden() const { return m_hiddenDepth > 0; }

    // The tag scanner (HtmlReader.cpp).
    std::size_t parseTag(std::size_t at, Tag& tag) const;

    // Blocks and text (HtmlBlocks.cpp).
    void startElement(const Tag& tag);
    void closeImplied(std::uint16_t flags);
    Element makeElement(const Tag& tag, std::uint16_t flags);
    void endElement(const std::string& name);
    void popElement();
    void text(std::string_view raw);
    void appendVisible(std::string_view utf8);
    void breakBlock(bool always);

    // Tables (HtmlTables.cpp).
    void startTablePart(std::uint16_t flags);
    void endTablePart(std::uint16_t flags);
    void endCell();
    void endRow();

    // Lists (HtmlLists.cpp).
    void startList(Element& element, const Tag& tag);
    void startListItem(const Tag& tag);
    void endWordListLabel(const Element& element);

    std::string_view m_page;
    BlockBuilder m_builder;
    std::vector<Element> m_stack;
    std::vector<OpenTable> m_tables;
    int m_hiddenDepth = 0;
    int m_preDepth = 0;
    bool m_pendingSpace = false;
    bool m_paragraphOpen = false; // a <p>-like element awaits its end
    bool m_labelOnly = false;     // the paragraph holds only a list item's label
};

} // namespace plainora::engine::html
