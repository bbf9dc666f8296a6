#include "engine/docx/XmlParser.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/docx/XmlText.h"

#include <array>
#include <cstring>
#include <expat.h>
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
        m_open.assign(scope->depth, OpenElement{Ns::Other, 0, {}});
    } else if (element) {
        // Its ancestors bind the namespaces it is read in, and count
        // towards the depth limit.
        std::vector<pugi::xml_node> ancestors;
        for (pugi::xml_node up = parent; up.type() == pugi::node_element; up = up.parent())
            ancestors.push_back(up);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
            const std::size_t bindings = m_bindings.size();
            bindDeclarations(XmlAttributes(*this, it->first_attribute().internal_object()));
            m_open.push_back({Ns::Other, bindings, {}});
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

} // namespace plainora::engine::docx
