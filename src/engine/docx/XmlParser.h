#pragma once
// A namespace-aware XML reader for untrusted parts, with two engines behind
// one set of events: pugixml, many times faster, for a part held whole and
// for a large part streamed a chunk at a time (bounded memory), and expat
// for what pugixml cannot take (other encodings, document types) and to
// report a fault where it lies. Entity declarations with a value are refused
// (billion laughs), external entities are never fetched, element depth and
// text are bounded. Namespaces are reduced to the few families the readers
// care about, with the Strict and Transitional URIs of one vocabulary folded
// together.

#include "engine/Error.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct XML_ParserStruct;
namespace pugi {
class xml_document;
struct xml_attribute_struct;
struct xml_node_struct;
} // namespace pugi

namespace plainora::engine::docx {

enum class Ns : unsigned char {
    Other,
    W,      // WordprocessingML (Transitional, Strict, and Word 2003 XML)
    R,      // officeDocument relationships (r:id)
    M,      // Office Math
    Mc,     // Markup Compatibility
    W14,    // Word 2010 extensions (check-box content controls)
    Wx,     // Word 2003 XML auxiliary hints (list labels)
    Aml,    // Word 2003 XML annotations (comments, revisions)
    Pkg,    // Flat OPC package
    Rels,   // package relationships
    Types,  // content types
    Office, // OpenDocument office:, text:, table:, draw:, style:, manifest:
    Text,
    Table,
    Draw,
    Style,
    Manifest,
    Known, // a namespace whose markup the readers understand without text of its own (DrawingML, VML, ...)
};

class XmlParser;
class XmlTree;

// The attributes of one element, as either engine hands them, their
// prefixes resolved through the parser's bindings.
class XmlAttributes
{
public:
    // Name/value pairs, then a null name (as expat gives them); without a
    // parser, prefixed names are not resolved.
    explicit XmlAttributes(const char** pairs) : m_pairs(pairs) {}
    XmlAttributes(const XmlParser& parser, const char** pairs) : m_pairs(pairs), m_parser(&parser) {}
    XmlAttributes(const XmlParser& parser, pugi::xml_attribute_struct* first)
        : m_parser(&parser), m_first(first)
    {
    }
    // The value of attribute ns:local, or of the unqualified local name when
    // ns is W (some writers omit the prefix); nullptr when absent.
    const char* get(Ns ns, std::string_view local) const;

private:
    friend class XmlParser;
    // Calls visit(name, value) for each attribute until it returns true.
    template <typename Visit> void forEach(Visit visit) const;

    const char** m_pairs = nullptr;
    const XmlParser* m_parser = nullptr;
    pugi::xml_attribute_struct* m_first = nullptr;
};

class XmlHandler
{
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) = 0;
    virtual void endElement(Ns ns, std::string_view local) = 0;
    virtual void characters(std::string_view text) = 0;

protected:
    // The parser feeding this handler, while a parse runs: handlers stop it
    // with their own errors and resolve prefixes through it.
    XmlParser* parser() const { return m_parser; }

private:
    friend class XmlParser;
    XmlParser* m_parser = nullptr;
};

class XmlParser
{
public:
    // partName is only used in error descriptions.
    XmlParser(XmlHandler& handler, std::string partName);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Feeds the next piece of the part; last marks the end of the part.
    Status feed(std::string_view bytes, bool last);
    // Parses one complete part.
    Status parse(std::string_view bytes) { return feed(bytes, true); }
    // Parses one complete part held in text, which it overwrites, as a tree
    // when the part is well-formed UTF-8 without a document type declaration
    // (as Word writes every part). Nothing when it is not, before any event:
    // the part is then for feed, which reports a fault where it lies.
    std::optional<Status> parseTree(std::string& text);
    // Feeds the next piece of a part read as a tree one chunk of about
    // chunkBytes at a time, cut after a tag: the tree's speed in bounded
    // memory. A part the tree parser cannot take goes through feed.
    Status stream(std::string_view bytes, bool last, std::size_t chunkBytes);

    // Lets a handler stop the parse with its own error (for example a limit).
    void fail(Error error);
    // True when every whitespace-separated prefix in prefixes is bound to a
    // namespace the readers understand ([E3] 9.3 Choice selection).
    bool understandsPrefixes(std::string_view prefixes) const;
    // Byte offset of the current event in the whole part.
    long long currentByteIndex() const;
    // The element being started, while an XmlTree is walked (null otherwise):
    // a handle for walking its content later.
    pugi::xml_node_struct* currentElement() const { return m_treeNode; }
    // While an XmlTree is walked, leaves out the content of the element
    // being started; its end still comes.
    void skipContent() { m_skipContent = true; }
    // "xmlns:p='uri' ..." for every prefix bound at this point, so that a
    // fragment of the part can be parsed on its own.
    std::string namespaceDeclarations() const;

    static Ns namespaceOf(std::string_view uri);

private:
    friend class XmlAttributes;
    friend class XmlTree;
    struct Binding
    {
        std::string prefix;
        std::string uri;
        Ns ns;
    };
    struct OpenElement
    {
        Ns ns;
        std::size_t bindings;   // bindings in scope before the element's own
        std::string_view local; // while a tree, which holds the name, is walked
    };
    // What the ancestors of the elements a kept tree walks one by one
    // bind, kept for the next of the same parent: Word binds some thirty
    // prefixes on a part's root.
    struct Scope
    {
        pugi::xml_node_struct* parent = nullptr;
        std::vector<Binding> bindings;
        std::size_t depth = 0;
    };
    // An element's start and end, whichever engine read it: its namespace
    // declarations bound, its name resolved, its depth bounded. False when
    // the parse stops.
    bool startElement(const char* qualifiedName, const XmlAttributes& attributes);
    // The end of the innermost open element, named again (expat) or not.
    void endElement(const char* qualifiedName = nullptr);
    std::pair<std::size_t, std::size_t> location() const;
    void bind(std::string_view prefix, std::string_view uri);
    // The namespace prefix is bound to, or nullptr when it is unbound.
    const Ns* resolve(std::string_view prefix) const;
    bool startExpat();
    void bindDeclarations(const XmlAttributes& attributes);
    // Parses a whole part as a tree when parseTree can take it.
    static bool loadWhole(pugi::xml_document& tree, std::string& text);
    bool loadTree(pugi::xml_document& tree, std::string& text);
    // Walks the document's elements, or only `element` and its content in
    // the namespaces its ancestors bind.
    void walkTree(pugi::xml_document& tree, std::size_t synthetic, std::size_t openAtEnd,
                  pugi::xml_node_struct* element = nullptr);
    Status walkKept(pugi::xml_document& tree, std::string_view text, pugi::xml_node_struct* element,
                    Scope* scope = nullptr);
    // Parses the next chunk of text, which holds more than chunkBytes, and
    // gives the bytes it took, or 0 when it needs more (or failed).
    std::size_t parseNextChunk(std::string_view text, std::size_t chunkBytes, bool last);
    enum class Cut : unsigned char { Parsed, Failed, Unsure };
    // Text ends with the start tag at text[tag]: parses it with the elements
    // open at its end left open, or is Unsure of them and parses nothing.
    Cut parseToOpeningTag(std::string_view text, std::size_t tag);
    // Finds the cut and the elements open there by scanning every tag.
    std::size_t parseScanned(std::string_view text, std::size_t chunkBytes);
    // Parses text whole with the elements in openAtEnd closed after it (none
    // for the last chunk), which stay open for the next.
    bool parseChunk(std::string_view text, std::vector<std::string>* openAtEnd);
    // The chunk to parse: the start tags of the elements open before text,
    // then text; gives the length of those tags.
    std::size_t startChunk(std::string_view text);
    // Parses the chunk; a fault of the tree parser's is reported when asked.
    bool loadChunk(pugi::xml_document& tree, std::string_view text, std::size_t prefix, bool reportFault);
    void walkChunk(pugi::xml_document& tree, std::string_view text, std::size_t openAtEnd);
    Error notWellFormed(std::size_t line, std::size_t column, const char* what) const;

    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onCharacters(void* self, const char* text, int length);
    static void onEntityDecl(void* self, const char* name, int isParameter, const char* value,
                             int valueLength, const char* base, const char* systemId, const char* publicId,
                             const char* notation);

    XML_ParserStruct* m_parser;
    XmlHandler& m_handler;
    XmlParser* m_previousParser;
    std::string m_partName;
    std::vector<OpenElement> m_open;
    std::string_view m_tree;                     // the part or chunk being walked as a tree
    pugi::xml_node_struct* m_treeNode = nullptr; // the element being started, for error locations
    int m_treeStatus = 0;
    std::ptrdiff_t m_treeErrorOffset = 0;
    const char* m_treeError = "";

    // A part streamed as a tree: what was received and not yet parsed, and
    // the names of the elements open where it starts.
    enum class StreamMode : unsigned char { Undecided, Tree, Expat };
    StreamMode m_streamMode = StreamMode::Undecided;
    std::string m_pending;
    std::string m_chunk;
    std::vector<std::string> m_chunkOpen;
    std::size_t m_linesBefore = 1;
    bool m_sawElement = false;
    bool m_skipContent = false;
    bool m_failed = false;
    Error m_error{ErrorCode::Damaged, {}};
    // Prefix bindings in scope, innermost last.
    std::vector<Binding> m_bindings;
    // Prefixes looked up since the bindings last changed.
    mutable std::vector<std::pair<std::string, const Ns*>> m_resolved;
};

// A small part kept, so that a reader can take in the root's children at
// once and the content of one only when it needs it (of the styles, only
// those the text names). Where it can, only the children's start tags are
// parsed up front and each child's content when it is walked; else the
// part is parsed whole. The events are those XmlParser gives for the same
// elements.
class XmlTree
{
public:
    using Element = pugi::xml_node_struct*;

    explicit XmlTree(std::string partName);
    ~XmlTree();
    XmlTree(const XmlTree&) = delete;
    XmlTree& operator=(const XmlTree&) = delete;

    // Keeps and parses text; false when it is for XmlParser::feed instead
    // (see XmlParser::parseTree).
    bool load(std::string text);
    // The events of the root and its children, whose content may not come:
    // a handler takes a handle on a child from XmlParser::currentElement()
    // and skips its content.
    Status walk(XmlHandler& handler);
    // The events of one child and its content.
    Status walk(Element element, XmlHandler& handler);

private:
    bool indexChildren();

    std::string m_partName;
    std::string m_text;
    std::unique_ptr<pugi::xml_document> m_tree;
    XmlParser::Scope m_scope;
    // Only the children's start tags parsed: where each child lies in
    // m_text, and the root's start tag to parse one in.
    struct Extent
    {
        std::size_t begin;
        std::size_t end;
    };
    std::string m_skeleton;
    std::string m_rootStart;
    std::string m_rootName;
    std::vector<Extent> m_children;
    std::unordered_map<Element, std::size_t> m_childIndex;
};

// The elements of a kept part that a reader looks up by a key (a style by
// its id), each walked through the reader's handler the first time its key
// is looked up.
template <typename Key> class DeferredElements
{
public:
    void keep(std::shared_ptr<XmlTree> tree) { m_tree = std::move(tree); }
    void add(const Key& key, XmlTree::Element element) { m_pending[key].push_back(element); }
    // Gives handler the events of every element kept under key, in document
    // order as when the whole part is read, once. A fault inside one leaves
    // what came before it, and is kept for fault().
    void read(const Key& key, XmlHandler& handler)
    {
        const auto it = m_pending.find(key);
        if (it == m_pending.end())
            return;
        const std::vector<XmlTree::Element> elements = std::move(it->second);
        m_pending.erase(it);
        for (XmlTree::Element element : elements) {
            if (Status status = m_tree->walk(element, handler); !status && m_fault)
                m_fault = std::move(status);
        }
    }
    // The first fault met in an element read (an element is parsed only
    // when it is read), or success.
    const Status& fault() const { return m_fault; }

private:
    std::shared_ptr<XmlTree> m_tree;
    std::unordered_map<Key, std::vector<XmlTree::Element>> m_pending;
    Status m_fault;
};

} // namespace plainora::engine::docx
