#include "engine/docx/XmlParser.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <expat.h>
#include <functional>
#include <pugixml.hpp>

namespace plainora::engine::docx {

namespace {

struct KnownNamespace
{
    std::string_view uri;
    Ns ns;
};

// Transitional first: it is what Word writes by default. Strict URIs per
// ECMA-376 Part 1 11.3.10; Word 2003 XML shares the w: vocabulary closely
// enough to be read by the same handlers.
constexpr std::array<KnownNamespace, 32> kNamespaces{{
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", Ns::W},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", Ns::R},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", Ns::Mc},
    {"http://schemas.openxmlformats.org/officeDocument/2006/math", Ns::M},
    {"http://schemas.microsoft.com/office/word/2010/wordml", Ns::W14},
    {"http://schemas.openxmlformats.org/package/2006/relationships", Ns::Rels},
    {"http://schemas.openxmlformats.org/package/2006/content-types", Ns::Types},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", Ns::W},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", Ns::R},
    {"http://purl.oclc.org/ooxml/officeDocument/math", Ns::M},
    {"http://schemas.microsoft.com/office/word/2003/wordml", Ns::W},
    {"http://schemas.microsoft.com/office/word/2003/auxHint", Ns::Wx},
    {"http://schemas.microsoft.com/aml/2001/core", Ns::Aml},
    {"http://schemas.microsoft.com/office/2006/xmlPackage", Ns::Pkg},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingShape", Ns::Known},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup", Ns::Known},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas", Ns::Known},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing", Ns::Known},
    {"http://schemas.microsoft.com/office/word/2012/wordml", Ns::Known},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", Ns::Known},
    {"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing", Ns::Known},
    {"http://schemas.openxmlformats.org/drawingml/2006/picture", Ns::Known},
    {"http://purl.oclc.org/ooxml/drawingml/main", Ns::Known},
    {"http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing", Ns::Known},
    {"urn:schemas-microsoft-com:vml", Ns::Known},
    {"urn:schemas-microsoft-com:office:office", Ns::Known},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", Ns::Office},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", Ns::Text},
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", Ns::Table},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", Ns::Draw},
    {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", Ns::Style},
    {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", Ns::Manifest},
}};

} // namespace

Ns XmlParser::namespaceOf(std::string_view uri)
{
    for (const KnownNamespace& known : kNamespaces) {
        if (known.uri == uri)
            return known.ns;
    }
    return Ns::Other;
}

namespace {

// Names are short: one pass over them beats strlen and find.
struct QualifiedName
{
    std::string_view prefix; // empty when unprefixed
    std::string_view local;
};

inline QualifiedName splitName(const char* name)
{
    const char* colon = name;
    while (*colon && *colon != ':')
        ++colon;
    if (!*colon)
        return {{}, std::string_view(name, static_cast<std::size_t>(colon - name))};
    const char* end = colon + 1;
    while (*end)
        ++end;
    return {std::string_view(name, static_cast<std::size_t>(colon - name)),
            std::string_view(colon + 1, static_cast<std::size_t>(end - colon - 1))};
}

inline bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

// Both engines hand attributes with their names as written ("w:val"); the
// prefix is resolved only for a name whose local part matches.
template <typename Visit> void XmlAttributes::forEach(Visit visit) const
{
    if (m_pairs) {
        for (const char** pair = m_pairs; pair[0]; pair += 2) {
            if (visit(pair[0], pair[1]))
                return;
        }
        return;
    }
    if (!m_first)
        return; // most elements have no attributes: spare the tree's calls
    for (pugi::xml_attribute attribute(m_first); attribute; attribute = attribute.next_attribute()) {
        if (visit(attribute.name(), attribute.value()))
            return;
    }
}

const char* XmlAttributes::get(Ns ns, std::string_view local) const
{
    const char* found = nullptr;
    forEach([&](const char* attribute, const char* value) {
        const QualifiedName name = splitName(attribute);
        if (!sameText(name.local, local))
            return false;
        if (name.prefix.empty()) {
            if (ns == Ns::Other || ns == Ns::W)
                found = value;
        } else if (m_parser) {
            const Ns* bound = m_parser->resolve(name.prefix);
            if (bound && *bound == ns)
                found = value;
        }
        return found != nullptr;
    });
    return found;
}

XmlParser::XmlParser(XmlHandler& handler, std::string partName)
    : m_parser(nullptr), m_handler(handler), m_previousParser(handler.m_parser),
      m_partName(std::move(partName))
{
    handler.m_parser = this;
}

// Only a part the tree parser cannot take needs expat: most documents
// never make one.
bool XmlParser::startExpat()
{
    if (m_parser)
        return true;
    m_parser = XML_ParserCreate(nullptr);
    if (!m_parser)
        return false;
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlParser::onStart, &XmlParser::onEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlParser::onCharacters);
    XML_SetEntityDeclHandler(m_parser, &XmlParser::onEntityDecl);
    // External entities and the external subset are never read.
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
    return true;
}

XmlParser::~XmlParser()
{
    m_handler.m_parser = m_previousParser;
    if (m_parser)
        XML_ParserFree(m_parser);
}

void XmlParser::fail(Error error)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = std::move(error);
    if (m_parser)
        XML_StopParser(m_parser, XML_FALSE);
}

Status XmlParser::feed(std::string_view bytes, bool last)
{
    if (!startExpat())
        return outOfMemory();
    if (m_failed)
        return m_error;
    // Expat takes int lengths; feed very large pieces in slices.
    constexpr std::size_t kSlice = 1u << 30;
    do {
        const std::size_t n = std::min(bytes.size(), kSlice);
        const bool final = last && n == bytes.size();
        const XML_Status status =
            XML_Parse(m_parser, bytes.data(), static_cast<int>(n), final ? XML_TRUE : XML_FALSE);
        if (m_failed)
            return m_error;
        if (status != XML_STATUS_OK) {
            const XML_Error code = XML_GetErrorCode(m_parser);
            const char* what = XML_ErrorString(code);
            if (code == XML_ERROR_AMPLIFICATION_LIMIT_BREACH)
                return hostile(ErrorCode::TooLarge, "expands its XML entities beyond any sensible size",
                               {m_partName});
            return notWellFormed(XML_GetCurrentLineNumber(m_parser), XML_GetCurrentColumnNumber(m_parser) + 1,
                                 what ? what : "unknown error");
        }
        bytes.remove_prefix(n);
    } while (!bytes.empty());
    return {};
}

bool XmlParser::understandsPrefixes(std::string_view prefixes) const
{
    std::size_t pos = 0;
    bool any = false;
    while (pos < prefixes.size()) {
        const std::size_t start = prefixes.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = prefixes.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos)
            end = prefixes.size();
        const std::string_view prefix = prefixes.substr(start, end - start);
        pos = end;
        const Ns* bound = resolve(prefix);
        const Ns ns = bound ? *bound : Ns::Other;
        // OpenDocument markup is no part of a Word package's vocabulary.
        const bool openDocument = ns >= Ns::Office && ns <= Ns::Manifest;
        if (ns == Ns::Other || ns == Ns::Pkg || openDocument)
            return false;
        any = true;
    }
    return any;
}

long long XmlParser::currentByteIndex() const
{
    return m_parser ? static_cast<long long>(XML_GetCurrentByteIndex(m_parser)) : -1;
}

std::string XmlParser::namespaceDeclarations() const
{
    std::string out;
    for (const auto& [prefix, uri, ns] : m_bindings) {
        out += prefix.empty() ? " xmlns=\"" : " xmlns:" + prefix + "=\"";
        for (char c : uri) {
            if (c == '"')
                out += "&quot;";
            else if (c == '&')
                out += "&amp;";
            else if (c == '<')
                out += "&lt;";
            else
                out.push_back(c);
        }
        out.push_back('"');
    }
    return out;
}

void XmlParser::onStart(void* self, const char* name, const char** attributes)
{
    auto* parser = static_cast<XmlParser*>(self);
    if (parser->m_failed)
        return;
    parser->startElement(name, XmlAttributes(*parser, attributes));
}

void XmlParser::onEnd(void* self, const char* name)
{
    auto* parser = static_cast<XmlParser*>(self);
    if (!parser->m_failed)
        parser->endElement(name);
}

bool XmlParser::startElement(const char* qualifiedName, const XmlAttributes& attributes)
{
    if (m_open.size() >= static_cast<std::size_t>(limits::kMaxXmlDepth)) {
        fail(hostile(ErrorCode::TooLarge,
                     "nests its XML elements more than " + std::to_string(limits::kMaxXmlDepth) +
                         " levels deep",
                     {m_partName}));
        return false;
    }
    const std::size_t bindings = m_bindings.size();
    bindDeclarations(attributes);
    const auto [prefix, local] = splitName(qualifiedName);
    const Ns* bound = resolve(prefix);
    if (!bound && !prefix.empty()) {
        const auto [line, column] = location();
        fail(notWellFormed(line, column, "unbound prefix"));
        return false;
    }
    const Ns ns = bound ? *bound : Ns::Other;
    m_open.push_back({ns, bindings, m_tree.data() ? local : std::string_view()});
    m_handler.startElement(ns, local, attributes);
    return !m_failed;
}

void XmlParser::bindDeclarations(const XmlAttributes& attributes)
{
    attributes.forEach([&](const char* attribute, const char* value) {
        if (std::strncmp(attribute, "xmlns", 5) != 0)
            return false;
        if (attribute[5] == '\0')
            bind("", value);
        else if (attribute[5] == ':')
            bind(attribute + 6, value);
        return false;
    });
}

void XmlParser::endElement(const char* qualifiedName)
{
    const OpenElement element = m_open.back();
    m_open.pop_back();
    m_handler.endElement(element.ns, qualifiedName ? splitName(qualifiedName).local : element.local);
    if (m_bindings.size() != element.bindings) {
        m_bindings.resize(element.bindings);
        m_resolved.clear();
    }
}

void XmlParser::onCharacters(void* self, const char* text, int length)
{
    auto* parser = static_cast<XmlParser*>(self);
    if (parser->m_failed || length <= 0)
        return;
    parser->m_handler.characters(std::string_view(text, static_cast<std::size_t>(length)));
}

// A DOCTYPE may name external entities (never fetched), but an entity with a
// value is the tool of expansion attacks and has no use in a Word part.
void XmlParser::onEntityDecl(void* self, const char*, int, const char* value, int, const char*, const char*,
                             const char*, const char*)
{
    auto* parser = static_cast<XmlParser*>(self);
    if (!value)
        return;
    parser->fail(hostile(ErrorCode::Damaged, "declares XML entities, which Word documents never use",
                         {parser->m_partName}));
}

void XmlParser::bind(std::string_view prefix, std::string_view uri)
{
    m_bindings.push_back({std::string(prefix), std::string(uri), namespaceOf(uri)});
    m_resolved.clear();
}

const Ns* XmlParser::resolve(std::string_view prefix) const
{
    for (const auto& [known, ns] : m_resolved) {
        if (sameText(known, prefix))
            return ns;
    }
    static constexpr Ns kXml = Ns::Other; // xml: is bound by definition
    const Ns* found = prefix == "xml" ? &kXml : nullptr;
    for (auto it = m_bindings.rbegin(); it != m_bindings.rend() && !found; ++it) {
        if (it->prefix == prefix) {
            if (it->uri.empty())
                break; // xmlns="" unbinds the default
            found = &it->ns;
        }
    }
    if (m_resolved.size() >= 16)
        m_resolved.clear();
    m_resolved.emplace_back(prefix, found);
    return found;
}

Error XmlParser::notWellFormed(std::size_t line, std::size_t column, const char* what) const
{
    return damaged("is not well-formed XML (line " + std::to_string(line) + ", column " +
                       std::to_string(column) + ": " + what + ")",
                   {m_partName});
}

namespace {

// The tree parser takes UTF-8 only and leaves document types alone: a part
// in another encoding, or with a DOCTYPE (which might declare entities), is
// left to expat.
bool treeCanParse(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!text.starts_with("<"))
        return false;
    if (text.starts_with("<?xml")) {
        const std::size_t end = text.find("?>");
        if (end == std::string_view::npos)
            return false;
        const std::string_view declaration = text.substr(0, end);
        const std::size_t encoding = declaration.find("encoding");
        if (encoding != std::string_view::npos) {
            const std::size_t quote = declaration.find_first_of("'\"", encoding);
            if (quote == std::string_view::npos)
                return false;
            const std::string_view name = declaration.substr(quote + 1);
            if (!startsWithIgnoringCase(name, "utf-8") || name.size() < 6 || name[5] != declaration[quote])
                return false;
        }
    }
    // A DOCTYPE can only stand before the root element.
    std::size_t root = 0;
    while (root != std::string_view::npos && root + 1 < text.size() &&
           (text[root + 1] == '!' || text[root + 1] == '?'))
        root = text.find('<', root + 1);
    return text.substr(0, root).find("<!DOCTYPE") == std::string_view::npos;
}

bool isXmlChar(std::uint32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The checks expat makes and the tree parser does not: every byte part of
// well-formed UTF-8, no control character, every numeric character
// reference naming a character XML allows. ASCII without '&' or a control
// byte goes 32 bytes at a time (a loop the compiler makes into vector
// instructions), or else eight.
bool isCleanXmlText(std::string_view text)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    constexpr std::size_t kBlock = 32;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + kBlock <= text.size()) {
            unsigned char special = 0;
            for (std::size_t k = 0; k < kBlock; ++k) {
                const auto c = static_cast<unsigned char>(text[i + k]);
                special |= static_cast<unsigned char>((c < 0x20) | (c >= 0x80) | (c == '&'));
            }
            if (!special) {
                i += kBlock;
                continue;
            }
        }
        if (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            const std::uint64_t ampersands = word ^ (kOnes * '&');
            const std::uint64_t special =
                (word | ((word - kOnes * 0x20) & ~word) | ((ampersands - kOnes) & ~ampersands)) & kHigh;
            if (!special) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            std::size_t end = i;
            while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80)
                ++end;
            if (!isValidUtf8(text.substr(i, end - i)))
                return false;
            i = end;
            continue;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        if (c == '&' && text.substr(i).starts_with("&#")) {
            const bool hex = text.substr(i).starts_with("&#x");
            std::size_t at = i + (hex ? 3 : 2);
            std::uint32_t value = 0;
            bool any = false;
            for (; at < text.size() && text[at] != ';'; ++at) {
                const int digit = hex ? hexDigitValue(static_cast<unsigned char>(text[at]))
                                      : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);
                if (digit < 0 || value > 0x10FFFF)
                    return false;
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
                any = true;
            }
            if (!any || !isXmlChar(value))
                return false;
        }
        ++i;
    }
    return true;
}

pugi::xml_parse_result loadInPlace(pugi::xml_document& tree, std::string& text)
{
    const unsigned options = pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_eol |
                             pugi::parse_cdata | pugi::parse_ws_pcdata;
    return tree.load_buffer_inplace(text.data(), text.size(), options, pugi::encoding_utf8);
}

// Line and column (from 1) of a byte offset, as expat reports them.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return {line, offset - lineStart + 1};
}

} // namespace

std::optional<Status> XmlParser::parseTree(std::string& text)
{
    pugi::xml_document tree;
    if (!loadWhole(tree, text))
        return std::nullopt;
    return walkKept(tree, text, nullptr);
}

bool XmlParser::loadWhole(pugi::xml_document& tree, std::string& text)
{
    return treeCanParse(text) && isCleanXmlText(text) && loadInPlace(tree, text).status == pugi::status_ok &&
           tree.document_element();
}

Status XmlParser::walkKept(pugi::xml_document& tree, std::string_view text, pugi::xml_node_struct* element,
                           Scope* scope)
{
    const pugi::xml_node parent = pugi::xml_node(element).parent();
    if (element && scope && scope->parent == parent.internal_object()) {
        m_bindings = scope->bindings;
        m_open.assign(scope->depth, OpenElement{Ns::Other, 0});
    } else if (element) {
        // Its ancestors bind the namespaces it is read in, and count
        // towards the depth limit.
        std::vector<pugi::xml_node> ancestors;
        for (pugi::xml_node up = parent; up.type() == pugi::node_element; up = up.parent())
            ancestors.push_back(up);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
            const std::size_t bindings = m_bindings.size();
            bindDeclarations(XmlAttributes(*this, it->first_attribute().internal_object()));
            m_open.push_back({Ns::Other, bindings});
        }
        if (scope)
            *scope = {parent.internal_object(), m_bindings, m_open.size()};
    }
    m_tree = text;
    walkTree(tree, 0, 0, element);
    m_tree = {};
    if (m_failed)
        return m_error;
    return {};
}

bool XmlParser::loadTree(pugi::xml_document& tree, std::string& text)
{
    const pugi::xml_parse_result result = loadInPlace(tree, text);
    m_treeStatus = result.status;
    m_treeErrorOffset = result.offset;
    m_treeError = result.description();
    // A chunk may hold no element (only the declaration, or only text).
    return result.status == pugi::status_ok || result.status == pugi::status_no_document_element;
}

// Walks the tree in document order without recursion, giving the handler
// the events expat would give for the same part. The outermost `synthetic`
// elements were opened by an earlier chunk, and the last `openAtEnd` on the
// way down to the last node stay open for the next one: neither gives
// events here.
void XmlParser::walkTree(pugi::xml_document& tree, std::size_t synthetic, std::size_t openAtEnd,
                         pugi::xml_node_struct* element)
{
    // The synthetic opening tags begin the chunk, the synthetic closing ones end it.
    std::vector<pugi::xml_node_struct*> reopenedElements;
    for (pugi::xml_node first = tree.first_child(); first && reopenedElements.size() < synthetic;
         first = first.first_child())
        reopenedElements.push_back(first.internal_object());
    std::vector<pugi::xml_node_struct*> keptOpen;
    for (pugi::xml_node last = tree.last_child(); last && keptOpen.size() < openAtEnd;
         last = last.last_child())
        keptOpen.push_back(last.internal_object());
    std::vector<pugi::xml_node> open;
    auto finish = [&](pugi::xml_node element) {
        const std::size_t depth = open.size();
        if (depth < keptOpen.size() && keptOpen[depth] == element.internal_object())
            return;
        // An element an earlier chunk opened was named in that chunk's tree.
        const bool reopened =
            depth < reopenedElements.size() && reopenedElements[depth] == element.internal_object();
        endElement(reopened ? element.name() : nullptr);
    };
    pugi::xml_node node = element ? pugi::xml_node(element) : tree.first_child();
    while (node && !m_failed) {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_element) {
            m_treeNode = node.internal_object();
            const bool reopen = open.size() < reopenedElements.size() &&
                                reopenedElements[open.size()] == node.internal_object();
            if (!reopen &&
                !startElement(node.name(), XmlAttributes(*this, node.first_attribute().internal_object())))
                break;
            open.push_back(node);
            const bool skip = std::exchange(m_skipContent, false);
            if (pugi::xml_node child = node.first_child(); child && !skip) {
                node = child;
                continue;
            }
            open.pop_back();
            finish(node);
        } else if ((type == pugi::node_pcdata || type == pugi::node_cdata) && !open.empty()) {
            if (const char* value = node.value(); *value)
                m_handler.characters(value);
        }
        pugi::xml_node next = node.next_sibling();
        while (!m_failed && (!next || (element && open.empty()))) {
            if (open.empty()) {
                node = {};
                break;
            }
            node = open.back();
            open.pop_back();
            finish(node);
            next = node.next_sibling();
        }
        if (node)
            node = next;
    }
    m_resolved.clear();
}

namespace {

// Where the markup starting at text[at] == '<' ends (one past its '>'), or
// npos while it is incomplete.
std::size_t markupEnd(std::string_view text, std::size_t at)
{
    const std::string_view rest = text.substr(at);
    auto after = [&](std::string_view close) {
        const std::size_t end = text.find(close, at + 2);
        return end == std::string_view::npos ? end : end + close.size();
    };
    if (rest.starts_with("<!--"))
        return after("-->");
    if (rest.starts_with("<![CDATA["))
        return after("]]>");
    if (rest.starts_with("<?"))
        return after("?>");
    if (rest.size() < 9 && std::string_view("<![CDATA[").starts_with(rest))
        return std::string_view::npos; // too short to tell yet
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string_view tagName(std::string_view tag)
{
    const std::size_t end = tag.find_first_of(" \t\r\n/>");
    return tag.substr(0, end);
}

} // namespace

namespace {

bool isNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

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

std::pair<std::size_t, std::size_t> XmlParser::location() const
{
    if (m_tree.data()) {
        const std::ptrdiff_t offset = pugi::xml_node(m_treeNode).offset_debug();
        return lineAndColumn(m_tree, static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)));
    }
    if (!m_parser)
        return {1, 1};
    return {XML_GetCurrentLineNumber(m_parser), XML_GetCurrentColumnNumber(m_parser) + 1};
}

XmlTree::XmlTree(std::string partName) : m_partName(std::move(partName)) {}

XmlTree::~XmlTree() = default;

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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
