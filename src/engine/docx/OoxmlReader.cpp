// The OOXML reader: a WordprocessingML package (.docx, .docm, .dotx, .dotm)
// in a zip container or as a Flat OPC file, and Word 2003 XML.
//
// [X] main part through the package relationships, Transitional and Strict
// [X] styles (hidden text, numbering through styles), numbering, settings (note formats)
// [X] body, tables, text boxes, fields, form fields, content controls, revisions, math
// [X] footnotes, endnotes; headers, footers and comments on request
// [-] Word 2003 XML: body, tables, fields, list labels as Word saved them, inline notes
// [X] imported chunks (altChunk): HTML, MHT, RTF, plain text and .docx, read where they stand
// [ ] glossary building blocks (not body text)

#include "engine/ErrorText.h"
#include "engine/FormatSniffer.h"
#include "engine/Limits.h"
#include "engine/Readers.h"
#include "engine/docx/ListNumbering.h"
#include "engine/docx/PackageParts.h"
#include "engine/docx/StoryReader.h"
#include "engine/docx/StyleSheet.h"
#include "engine/docx/ZipPackage.h"

#include <algorithm>
#include <map>
#include <set>

namespace plainora::engine {

namespace docx {
namespace {

// The document's note numbering from the settings part ([E1] 17.11.11, 17.11.17).
class SettingsHandler : public XmlHandler
{
public:
    explicit SettingsHandler(StoryContext& context) : m_context(context) {}

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        if (ns != Ns::W)
            return;
        if (local == "footnotePr" || local == "endnotePr") {
            m_endnote = local == "endnotePr";
            m_inNoteProperties = true;
            return;
        }
        if (!m_inNoteProperties)
            return;
        applyNoteProperty(m_endnote ? m_context.endnoteNumbering : m_context.footnoteNumbering, local,
                          attributes.get(Ns::W, "val"));
    }
    void endElement(Ns ns, std::string_view local) override
    {
        if (ns == Ns::W && (local == "footnotePr" || local == "endnotePr"))
            m_inNoteProperties = false;
    }
    void characters(std::string_view) override {}

private:
    StoryContext& m_context;
    bool m_inNoteProperties = false;
    bool m_endnote = false;
};

// What a package without a Word main part is.
std::string describePackage(PackageParts& parts, const std::string& mainTarget,
                            const std::string& contentType)
{
    const std::string target = asciiLower(mainTarget);
    if (contentType.find("spreadsheetml") != std::string::npos || target.starts_with("xl/") ||
        parts.contains("xl/workbook.xml"))
        return "an Excel workbook";
    if (contentType.find("presentationml") != std::string::npos || target.starts_with("ppt/") ||
        parts.contains("ppt/presentation.xml"))
        return "a PowerPoint presentation";
    if (target.starts_with("visio/"))
        return "a Visio drawing";
    if (parts.contains("META-INF/container.xml") && parts.contains("mimetype"))
        return "an EPUB e-book";
    if (parts.contains("META-INF/MANIFEST.MF"))
        return "a Java archive";
    if (parts.contains("content.xml") && parts.contains("META-INF/manifest.xml"))
        return "an OpenDocument file (.odt, .ods, ...)";
    return "a zip archive that holds no Word document";
}

const Relationship* findRelationship(const std::vector<Relationship>& relationships, std::string_view type)
{
    for (const Relationship& relationship : relationships) {
        if (relationship.type == type && !relationship.target.empty())
            return &relationship;
    }
    return nullptr;
}

Result<Document> readPackage(PackageParts& parts, const ReadOptions& options, int chunkDepth);

Result<Document> readZipPackage(ByteView bytes, const ReadOptions& options, int chunkDepth)
{
    auto zip = ZipPackage::open(bytes);
    if (!zip)
        return zip.error();
    auto parts = zipParts(std::move(zip.value()));
    return readPackage(*parts, options, chunkDepth);
}

// A chunk's content in the format its media type names, else the one its
// bytes show.
Result<Document> readChunk(std::string_view bytes, const std::string& mediaType, const ReadOptions& options,
                           int chunkDepth)
{
    const ByteView view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const std::string type = asciiLower(mediaType);
    if (type == "text/plain")
        return readPlainText(view, options);
    switch (sniffFormat(view).format) {
    case Format::OoxmlPackage:
        return readZipPackage(view, options, chunkDepth);
    case Format::Rtf:
        return readRtf(view, options);
    case Format::Html:
        return readHtml(view, options);
    case Format::PlainText:
        return readPlainText(view, options);
    default:
        return makeError(ErrorCode::NotAWordDocument,
                         "its content (" + mediaType + ") is of no kind Plainora reads");
    }
}

// w:altChunk: a part in another format that the word processor merges into
// the document where it stands. One that is missing, cannot be read or lies
// too deep in chunks importing chunks is left out, as the word processor
// leaves it; one that is too large fails the document, as the rest of it would.
Status importChunk(PackageParts& parts, const std::vector<Relationship>& related, std::string_view id,
                   const ReadOptions& options, int chunkDepth, StoryContext& context,
                   std::vector<Block>& into)
{
    Document& document = *context.document;
    const auto it = std::find_if(related.begin(), related.end(),
                                 [&](const Relationship& relationship) { return relationship.id == id; });
    if (it == related.end() || it->target.empty() || !parts.contains(it->target) ||
        chunkDepth >= limits::kMaxChunkNesting)
        return {};
    auto bytes = parts.read(it->target);
    if (!bytes)
        return bytes.error();
    auto mediaType = contentTypeOf(parts, it->target);
    auto chunk =
        readChunk(bytes.value(), mediaType ? mediaType.value() : std::string(), options, chunkDepth + 1);
    if (!chunk)
        return chunk.error().code == ErrorCode::TooLarge ? Status(chunk.error()) : Status{};
    Document& imported = chunk.value();
    if (Status status = context.text.spend(textSize(imported.body)); !status)
        return status;
    for (Block& block : imported.body)
        into.push_back(std::move(block));
    for (auto [from, to] : {std::pair{&imported.footnotes, &document.footnotes},
                            std::pair{&imported.endnotes, &document.endnotes},
                            std::pair{&imported.comments, &document.comments}}) {
        for (Note& note : *from)
            to->push_back(std::move(note));
    }
    return {};
}

Result<Document> readPackage(PackageParts& parts, const ReadOptions& options, int chunkDepth)
{
    auto packageRelationships = readRelationships(parts, "");
    if (!packageRelationships)
        return packageRelationships.error();
    std::string main;
    std::string declaredMain;
    if (const Relationship* office = findRelationship(packageRelationships.value(), "officeDocument")) {
        declaredMain = office->target;
        if (parts.contains(office->target))
            main = office->target;
    }
    if (main.empty() && declaredMain.empty() && parts.contains("word/document.xml"))
        main = "word/document.xml"; // a package without relationships ([E1] 11.3.10 fallback)
    auto contentType = contentTypeOf(parts, main.empty() ? declaredMain : main);
    if (!contentType)
        return contentType.error();
    const std::string type = contentType.value();
    const bool wordType = type.empty() || type.find("wordprocessingml") != std::string::npos ||
                          type.find("ms-word") != std::string::npos;
    if (!wordType ||
        (main.empty() && (declaredMain.empty() || !asciiLower(declaredMain).starts_with("word/"))))
        return looksLike(describePackage(parts, declaredMain, type));
    if (main.empty())
        return damaged("its main part \"" + declaredMain + "\" is missing from the package");

    auto mainRelationships = readRelationships(parts, main);
    if (!mainRelationships)
        return mainRelationships.error();
    const std::vector<Relationship>& related = mainRelationships.value();
    auto partOf = [&](std::string_view relationshipType) -> std::string {
        const Relationship* relationship = findRelationship(related, relationshipType);
        return relationship && parts.contains(relationship->target) ? relationship->target : std::string();
    };

    Document document;
    StyleSheet styles;
    ListNumbering numbering;
    numbering.setStyles(&styles);
    StoryContext context;
    context.styles = &styles;
    context.numbering = &numbering;
    context.options = options;
    context.document = &document;

    context.importChunk = [&](std::string_view id, std::vector<Block>& into) {
        return importChunk(parts, related, id, options, chunkDepth, context, into);
    };

    if (const std::string name = partOf("styles"); !name.empty()) {
        if (Status status = styles.read(parts, name); !status)
            return status.error();
    }
    if (const std::string name = partOf("numbering"); !name.empty()) {
        if (Status status = numbering.read(parts, name); !status)
            return status.error();
    }
    if (const std::string name = partOf("settings"); !name.empty()) {
        SettingsHandler settings(context);
        if (Status status = parts.parse(name, settings, PackageParts::Size::Small); !status)
            return status.error();
    }

    {
        StoryReader body(context, StoryReader::Part::Document);
        if (Status status = parts.parse(main, body); !status) {
            if (status.error().code == ErrorCode::NotAWordDocument) {
                std::string lookAlike = describePackage(parts, main, type);
                if (lookAlike.starts_with("a zip archive"))
                    lookAlike = "a package whose main part is not a Word document (" +
                                status.error().description + ")";
                return looksLike(lookAlike);
            }
            return status.error();
        }
    }
    if (!document.footnotes.empty()) {
        if (const std::string name = partOf("footnotes"); !name.empty()) {
            StoryReader notes(context, StoryReader::Part::Footnotes);
            if (Status status = parts.parse(name, notes); !status)
                return status.error();
        }
    }
    if (!document.endnotes.empty()) {
        if (const std::string name = partOf("endnotes"); !name.empty()) {
            StoryReader notes(context, StoryReader::Part::Endnotes);
            if (Status status = parts.parse(name, notes); !status)
                return status.error();
        }
    }
    if (options.includeHeadersFooters) {
        std::set<std::string> seen;
        for (const std::string& id : context.headerFooterIds) {
            const auto it =
                std::find_if(related.begin(), related.end(),
                             [&](const Relationship& relationship) { return relationship.id == id; });
            if (it == related.end() || it->target.empty() || !parts.contains(it->target) ||
                !seen.insert(asciiLower(it->target)).second)
                continue;
            std::vector<Block> blocks;
            StoryReader reader(context, StoryReader::Part::HeaderFooter, &blocks);
            if (Status status = parts.parse(it->target, reader); !status)
                return status.error();
            document.headersFooters.push_back(std::move(blocks));
        }
    }
    if (options.includeComments) {
        if (const std::string name = partOf("comments"); !name.empty()) {
            StoryReader comments(context, StoryReader::Part::Comments);
            if (Status status = parts.parse(name, comments); !status)
                return status.error();
        }
    }
    // Styles and list definitions are parsed when the text first names them.
    if (const Status& fault = styles.fault(); !fault)
        return fault.error();
    if (const Status fault = numbering.fault(); !fault)
        return fault.error();
    return document;
}

} // namespace
} // namespace docx

Result<Document> readOoxmlPackage(ByteView bytes, const ReadOptions& options)
{
    return docx::readZipPackage(bytes, options, 0);
}

Result<Document> readFlatXml(ByteView bytes, const ReadOptions& options)
{
    const std::string_view file(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view head = file.substr(0, 4096);
    if (head.find("pkg:package") != std::string_view::npos ||
        head.find("schemas.microsoft.com/office/2006/xmlPackage") != std::string_view::npos) {
        auto parts = docx::flatOpcParts(file);
        if (!parts)
            return parts.error();
        return docx::readPackage(*parts.value(), options, 0);
    }
    // Word 2003 XML: one story with everything inline.
    Document document;
    docx::StoryContext context;
    context.options = options;
    context.document = &document;
    docx::StoryReader body(context, docx::StoryReader::Part::Document);
    docx::XmlParser parser(body, "(Word XML document)");
    if (Status status = parser.parse(file); !status) {
        if (status.error().code == ErrorCode::NotAWordDocument)
            return looksLike("an XML file of another kind");
        return status.error();
    }
    return document;
}

} // namespace plainora::engine
