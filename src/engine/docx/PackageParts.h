#pragma once
// The parts of an OOXML package, whether they come from a zip container or
// from a Flat OPC file, and the package relationships that link them
// ([E2] 6.5: /_rels/.rels and /dir/_rels/name.xml.rels).

#include "engine/Error.h"
#include "engine/TextEncoding.h"
#include "engine/docx/XmlParser.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plainora::engine::docx {

class ZipPackage;

class PackageParts
{
public:
    virtual ~PackageParts() = default;
    // Part names are given without the leading '/' and compare ASCII
    // case-insensitively.
    virtual bool contains(std::string_view partName) const = 0;
    // Streams the part through the handler. Parts whose content is kept
    // whole in memory (relationships, content types, styles, numbering,
    // settings) are read under the small-part limit.
    enum class Size { Story, Small };
    virtual Status parse(std::string_view partName, XmlHandler& handler, Size size = Size::Story) = 0;
    // A small part parsed whole and kept, for a reader that takes only some
    // of it; null when the part is for parse instead.
    virtual Result<std::unique_ptr<XmlTree>> tree(std::string_view) { return std::unique_ptr<XmlTree>(); }
    // The whole part, for content in another format (an imported chunk).
    virtual Result<std::string> read(std::string_view partName) = 0;
    virtual std::vector<std::string> partNames() const = 0;
};

std::unique_ptr<PackageParts> zipParts(std::unique_ptr<ZipPackage> zip);

// A reader of a small part whose elements it reads only when it first looks
// them up (styles, list definitions): the part kept as a tree is walked for
// an index, the reader skipping what an index does not need; a part that
// cannot be kept is read whole, through the same events.
class DeferringReader : public XmlHandler
{
public:
    Status read(PackageParts& parts, const std::string& partName);

protected:
    // Whole: every element comes once, in order. Indexing: the reader keeps
    // elements' handles (XmlParser::currentElement). Resolving: the kept
    // elements of one key come.
    enum class Mode : unsigned char { Whole, Indexing, Resolving };
    Mode mode() const { return m_mode; }
    // Takes the tree the kept handles point into.
    virtual void keep(const std::shared_ptr<XmlTree>& tree) = 0;

private:
    Mode m_mode = Mode::Whole;
};

// Zip parts up to this inflated size are inflated in one call and parsed as
// a tree; larger ones stream, parsed as a tree a chunk of this many bytes at
// a time, or through expat when the chunk size is 0. A streamed part up to
// wholeInflatedPartBytes is still inflated in one call, several times faster
// than in slices. Tests change them to run every part down one path.
std::atomic<std::uint64_t>& treeParsedPartBytes();
std::atomic<std::size_t>& streamedChunkBytes();
std::atomic<std::uint64_t>& wholeInflatedPartBytes();

// A Flat OPC file: every pkg:part with XML content, kept as byte ranges of
// the file, which must outlive the parts.
Result<std::unique_ptr<PackageParts>> flatOpcParts(std::string_view file);

struct Relationship
{
    std::string id;
    std::string type;   // the last segment of the type URI ("officeDocument", "styles", ...)
    std::string target; // the resolved part name, empty for external or escaping targets
};

// The relationships whose source is partName ("" for the package); an absent
// relationships part gives none.
Result<std::vector<Relationship>> readRelationships(PackageParts& parts, std::string_view partName);

// The media type [Content_Types].xml gives the part (Override, then Default
// by extension), or an empty string.
Result<std::string> contentTypeOf(PackageParts& parts, std::string_view partName);

// "word/document.xml" relative "../media/a.png" -> "media/a.png". Empty when
// the reference leaves the package.
std::string resolvePartName(std::string_view sourcePart, std::string_view target);

} // namespace plainora::engine::docx
