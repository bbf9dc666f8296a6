#include "engine/docx/PackageParts.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/docx/ZipPackage.h"

#include <unordered_map>

namespace plainora::engine::docx {

namespace {

Error smallPartTooLarge(std::string_view partName)
{
    return tooLarge("is larger than the " + std::to_string(limits::kMaxSmallPartBytes >> 20) +
                        " MiB Plainora reads from a part of its kind",
                    {partName});
}

class ZipParts : public PackageParts
{
public:
    explicit ZipParts(std::unique_ptr<ZipPackage> zip) : m_zip(std::move(zip)) {}

    bool contains(std::string_view partName) const override { return m_zip->contains(partName); }
    std::vector<std::string> partNames() const override { return m_zip->partNames(); }

    Status parse(std::string_view partName, XmlHandler& handler, Size size) override
    {
        XmlParser parser(handler, "/" + std::string(partName));
        const std::uint64_t maxBytes =
            size == Size::Small ? limits::kMaxSmallPartBytes : limits::kMaxArchiveEntryBytes;
        const std::uint64_t declared = m_zip->declaredSize(partName);
        bool treeFailed = false;
        if (declared <= treeParsedPartBytes().load(std::memory_order_relaxed)) {
            std::string text = spareBuffer();
            Status status = m_zip->readWhole(partName, text, maxBytes);
            std::optional<Status> parsed;
            if (status)
                parsed = parser.parseTree(text);
            m_spareBuffers.push_back(std::move(text));
            if (!status)
                return status;
            if (parsed)
                return *parsed;
            treeFailed = true; // expat reports the fault where it lies
        }
        const std::size_t chunkBytes = treeFailed ? 0 : streamedChunkBytes().load(std::memory_order_relaxed);
        if (chunkBytes && declared <= wholeInflatedPartBytes().load(std::memory_order_relaxed)) {
            std::string text = spareBuffer();
            Status status = m_zip->readWhole(partName, text, maxBytes);
            if (status)
                status = parser.stream(text, true, chunkBytes);
            m_spareBuffers.push_back(std::move(text));
            return status;
        }
        auto feed = [&](std::string_view slice, bool last) {
            return chunkBytes ? parser.stream(slice, last, chunkBytes) : parser.feed(slice, last);
        };
        if (Status status = m_zip->read(
                partName, [&](std::string_view slice) { return feed(slice, false); }, maxBytes);
            !status)
            return status;
        return feed({}, true);
    }

    Result<std::unique_ptr<XmlTree>> tree(std::string_view partName) override
    {
        if (m_zip->declaredSize(partName) > treeParsedPartBytes().load(std::memory_order_relaxed))
            return std::unique_ptr<XmlTree>();
        std::string text;
        if (Status status = m_zip->readWhole(partName, text, limits::kMaxSmallPartBytes); !status)
            return status.error();
        auto tree = std::make_unique<XmlTree>("/" + std::string(partName));
        if (!tree->load(std::move(text)))
            return std::unique_ptr<XmlTree>(); // parse reports the fault where it lies
        return tree;
    }

    Result<std::string> read(std::string_view partName) override
    {
        std::string bytes;
        if (Status status = m_zip->read(partName,
                                        [&](std::string_view slice) {
                                            bytes.append(slice);
                                            return Status{};
                                        });
            !status)
            return status.error();
        return bytes;
    }

private:
    // A handler may parse another part while this one is walked (an
    // imported chunk's content type): each parse takes a buffer of its own,
    // and gives it back for the next.
    std::string spareBuffer()
    {
        std::string buffer;
        if (!m_spareBuffers.empty()) {
            buffer = std::move(m_spareBuffers.back());
            m_spareBuffers.pop_back();
        }
        return buffer;
    }

    std::unique_ptr<ZipPackage> m_zip;
    std::vector<std::string> m_spareBuffers; // for parts parsed as a tree, their capacity kept
};

struct FlatPart
{
    std::string name;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string namespaces; // bindings in scope at the part's content
};

// Collects the byte range of each pkg:xmlData's content.
class FlatOpcScanner : public XmlHandler
{
public:
    explicit FlatOpcScanner(std::string_view file) : m_file(file) {}

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        ++m_depth;
        if (ns == Ns::Pkg && local == "part") {
            const char* name = attributes.get(Ns::Pkg, "name");
            m_partName = name ? name : "";
            return;
        }
        if (ns == Ns::Pkg && local == "xmlData") {
            m_dataDepth = m_depth;
            m_contentStart = -1;
            return;
        }
        if (m_dataDepth && m_depth == m_dataDepth + 1 && m_contentStart < 0) {
            m_contentStart = parser()->currentByteIndex();
            m_namespaces = parser()->namespaceDeclarations();
        }
    }

    void endElement(Ns ns, std::string_view local) override
    {
        if (ns == Ns::Pkg && local == "xmlData" && m_dataDepth == m_depth) {
            const long long end = parser()->currentByteIndex();
            if (m_contentStart >= 0 && end > m_contentStart &&
                static_cast<std::size_t>(end) <= m_file.size()) {
                std::string name = m_partName;
                while (!name.empty() && name.front() == '/')
                    name.erase(0, 1);
                parts.push_back({name, static_cast<std::size_t>(m_contentStart),
                                 static_cast<std::size_t>(end), std::move(m_namespaces)});
            }
            m_dataDepth = 0;
        }
        --m_depth;
    }

    void characters(std::string_view) override {}

    std::vector<FlatPart> parts;

private:
    std::string_view m_file;
    int m_depth = 0;
    int m_dataDepth = 0;
    long long m_contentStart = -1;
    std::string m_partName;
    std::string m_namespaces;
};

class FlatParts : public PackageParts
{
public:
    FlatParts(std::string_view file, std::vector<FlatPart> parts) : m_file(file), m_parts(std::move(parts))
    {
        for (std::size_t i = 0; i < m_parts.size(); ++i)
            m_index.emplace(asciiLower(m_parts[i].name), i);
    }

    bool contains(std::string_view partName) const override
    {
        return m_index.count(asciiLower(partName)) != 0;
    }

    std::vector<std::string> partNames() const override
    {
        std::vector<std::string> names;
        for (const FlatPart& part : m_parts)
            names.push_back(part.name);
        return names;
    }

    // The fragment is wrapped in an element carrying the namespace bindings
    // it inherits from the package.
    Status parse(std::string_view partName, XmlHandler& handler, Size size) override
    {
        const auto it = m_index.find(asciiLower(partName));
        if (it == m_index.end())
            return missingPart(partName);
        const FlatPart& part = m_parts[it->second];
        if (size == Size::Small && part.end - part.begin > limits::kMaxSmallPartBytes)
            return smallPartTooLarge(part.name);
        XmlParser parser(handler, "/" + part.name);
        const std::string open = "<plainora-part" + part.namespaces + ">";
        if (Status status = parser.feed(open, false); !status)
            return status;
        if (Status status = parser.feed(m_file.substr(part.begin, part.end - part.begin), false); !status)
            return status;
        return parser.feed("</plainora-part>", true);
    }

    // Only parts with XML content are kept: an XHTML chunk, not a binary one.
    Result<std::string> read(std::string_view partName) override
    {
        const auto it = m_index.find(asciiLower(partName));
        if (it == m_index.end())
            return missingPart(partName);
        const FlatPart& part = m_parts[it->second];
        return std::string(m_file.substr(part.begin, part.end - part.begin));
    }

private:
    std::string_view m_file;
    std::vector<FlatPart> m_parts;
    std::unordered_map<std::string, std::size_t> m_index;
};

class RelationshipsHandler : public XmlHandler
{
public:
    explicit RelationshipsHandler(std::string_view sourcePart) : m_sourcePart(sourcePart) {}

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        if (ns != Ns::Rels || local != "Relationship")
            return;
        const char* id = attributes.get(Ns::Other, "Id");
        const char* type = attributes.get(Ns::Other, "Type");
        const char* target = attributes.get(Ns::Other, "Target");
        const char* mode = attributes.get(Ns::Other, "TargetMode");
        if (!type || !target)
            return;
        Relationship relationship;
        relationship.id = id ? id : "";
        const std::string_view typeUri(type);
        static constexpr std::string_view kTransitional =
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        static constexpr std::string_view kStrict =
            "http://purl.oclc.org/ooxml/officeDocument/relationships/";
        if (typeUri.starts_with(kTransitional))
            relationship.type = typeUri.substr(kTransitional.size());
        else if (typeUri.starts_with(kStrict))
            relationship.type = typeUri.substr(kStrict.size());
        else
            relationship.type = typeUri.substr(typeUri.rfind('/') + 1);
        if (!mode || std::string_view(mode) != "External")
            relationship.target = resolvePartName(m_sourcePart, target);
        relationships.push_back(std::move(relationship));
    }
    void endElement(Ns, std::string_view) override {}
    void characters(std::string_view) override {}

    std::vector<Relationship> relationships;

private:
    std::string m_sourcePart;
};

class ContentTypesHandler : public XmlHandler
{
public:
    explicit ContentTypesHandler(std::string_view partName) : m_part(asciiLower(partName))
    {
        const auto dot = m_part.rfind('.');
        if (dot != std::string::npos && m_part.find('/', dot) == std::string::npos)
            m_extension = m_part.substr(dot + 1);
    }

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        if (ns != Ns::Types)
            return;
        const char* type = attributes.get(Ns::Other, "ContentType");
        if (!type)
            return;
        if (local == "Override") {
            const char* name = attributes.get(Ns::Other, "PartName");
            std::string lower = asciiLower(name ? name : "");
            if (!lower.empty() && lower.front() == '/')
                lower.erase(0, 1);
            if (lower == m_part)
                overrideType = type;
        } else if (local == "Default") {
            const char* extension = attributes.get(Ns::Other, "Extension");
            if (extension && asciiLower(extension) == m_extension)
                defaultType = type;
        }
    }
    void endElement(Ns, std::string_view) override {}
    void characters(std::string_view) override {}

    std::string overrideType;
    std::string defaultType;

private:
    std::string m_part;
    std::string m_extension;
};

} // namespace

std::atomic<std::uint64_t>& treeParsedPartBytes()
{
    static std::atomic<std::uint64_t> bytes{limits::kMaxTreeParsedPartBytes};
    return bytes;
}

std::atomic<std::size_t>& streamedChunkBytes()
{
    static std::atomic<std::size_t> bytes{limits::kStreamedTreeChunkBytes};
    return bytes;
}

std::atomic<std::uint64_t>& wholeInflatedPartBytes()
{
    static std::atomic<std::uint64_t> bytes{limits::kMaxWholeInflatedPartBytes};
    return bytes;
}

Status DeferringReader::read(PackageParts& parts, const std::string& partName)
{
    Result<std::unique_ptr<XmlTree>> tree = parts.tree(partName);
    if (!tree)
        return tree.error();
    if (!tree.value()) {
        m_mode = Mode::Whole;
        return parts.parse(partName, *this, PackageParts::Size::Small);
    }
    m_mode = Mode::Indexing;
    Status status = tree.value()->walk(*this);
    keep(tree.take());
    m_mode = Mode::Resolving;
    return status;
}

std::unique_ptr<PackageParts> zipParts(std::unique_ptr<ZipPackage> zip)
{
    return std::make_unique<ZipParts>(std::move(zip));
}

Result<std::unique_ptr<PackageParts>> flatOpcParts(std::string_view file)
{
    FlatOpcScanner scanner(file);
    XmlParser parser(scanner, "(Flat OPC package)");
    if (Status status = parser.parse(file); !status)
        return status.error();
    return std::unique_ptr<PackageParts>(std::make_unique<FlatParts>(file, std::move(scanner.parts)));
}

std::string resolvePartName(std::string_view sourcePart, std::string_view target)
{
    // Drop a fragment or query; relationship targets are URIs ([E2] 6.4).
    target = target.substr(0, target.find_first_of("#?"));
    std::string decoded;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size()) {
            const int hi = hexDigitValue(static_cast<unsigned char>(target[i + 1]));
            const int lo = hexDigitValue(static_cast<unsigned char>(target[i + 2]));
            if (hi >= 0 && lo >= 0) {
                decoded.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        decoded.push_back(target[i] == '\\' ? '/' : target[i]);
    }
    std::string base;
    if (decoded.empty() || decoded.front() != '/') {
        const auto slash = sourcePart.rfind('/');
        if (slash != std::string_view::npos)
            base = sourcePart.substr(0, slash + 1);
    }
    const std::string path = base + decoded;
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty())
                return {}; // leaves the package
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& segment : segments) {
        if (!out.empty())
            out.push_back('/');
        out += segment;
    }
    return out;
}

Result<std::vector<Relationship>> readRelationships(PackageParts& parts, std::string_view partName)
{
    std::string relsName;
    const auto slash = partName.rfind('/');
    if (partName.empty())
        relsName = "_rels/.rels";
    else if (slash == std::string_view::npos)
        relsName = "_rels/" + std::string(partName) + ".rels";
    else
        relsName = std::string(partName.substr(0, slash + 1)) + "_rels/" +
                   std::string(partName.substr(slash + 1)) + ".rels";
    if (!parts.contains(relsName))
        return std::vector<Relationship>{};
    RelationshipsHandler handler(partName);
    if (Status status = parts.parse(relsName, handler, PackageParts::Size::Small); !status)
        return status.error();
    return std::move(handler.relationships);
}

Result<std::string> contentTypeOf(PackageParts& parts, std::string_view partName)
{
    if (!parts.contains("[Content_Types].xml"))
        return std::string();
    ContentTypesHandler handler(partName);
    if (Status status = parts.parse("[Content_Types].xml", handler, PackageParts::Size::Small); !status)
        return status.error();
    return handler.overrideType.empty() ? handler.defaultType : handler.overrideType;
}

} // namespace plainora::engine::docx
