// Hostile and broken packages, made here: each fails fast with an error a
// user can act on, never a crash, a hang or a runaway allocation.

#include "ZipBuilder.h"
#include "engine/Engine.h"
#include "engine/Limits.h"
#include "engine/PlainTextWriter.h"
#include "engine/Readers.h"
#include "engine/docx/PackageParts.h"
#include "engine/docx/ZipPackage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace plainora::engine;
using namespace plainora::engine::testing;
namespace fs = std::filesystem;

namespace {

const std::string kW = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string document(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<w:document " + kW + ">\n<w:body>" + body + "</w:body></w:document>";
}

Result<Document> read(const std::string& bytes)
{
    return readDocument(asBytes(bytes));
}

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A package whose main part has a styles part and, unless numbering is
// empty, a numbering part: styles and numbering are the content of their
// root elements.
std::string packageWith(const std::string& documentXml, const std::string& styles,
                        const std::string& numbering)
{
    const std::string relationship =
        "<Relationship Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/";
    std::vector<ZipEntry> entries = minimalPackage(documentXml);
    entries.push_back(storedEntry(
        "word/_rels/document.xml.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
            relationship + "styles\" Id=\"s\" Target=\"styles.xml\"/>" +
            (numbering.empty() ? "" : relationship + "numbering\" Id=\"n\" Target=\"numbering.xml\"/>") +
            "</Relationships>"));
    entries.push_back(deflatedEntry("word/styles.xml", "<?xml version=\"1.0\"?>\n<w:styles " + kW + ">" +
                                                           styles + "</w:styles>"));
    if (!numbering.empty())
        entries.push_back(deflatedEntry("word/numbering.xml", "<?xml version=\"1.0\"?>\n<w:numbering " + kW +
                                                                  ">" + numbering + "</w:numbering>"));
    return buildZip(entries);
}

TEST(DocxHostile, ABuiltPackageReads)
{
    auto result = read(buildZip(minimalPackage(document("<w:p><w:r><w:t>hello</w:t></w:r></w:p>"))));
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(renderPlainText(result.value()), "hello\n");
}

TEST(DocxHostile, TruncatedZipIsDamaged)
{
    const std::string whole = slurp(fs::path(PLAINORA_TEST_DATA_DIR) / "docx" / "paragraphs.docx");
    for (std::size_t size : {whole.size() / 2, whole.size() - 10, std::size_t(30)}) {
        auto result = read(whole.substr(0, size));
        ASSERT_FALSE(result.ok()) << size;
        EXPECT_EQ(result.error().code, ErrorCode::Damaged);
        EXPECT_NE(result.error().description.find("zip"), std::string::npos) << result.error().description;
    }
}

TEST(DocxHostile, EntryDeclaringGigabytesIsRefusedBeforeInflating)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[2].uncompressedSize = 0xFFFFFFF0u; // 4 GiB declared
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::TooLarge);
    EXPECT_NE(result.error().description.find("word/document.xml"), std::string::npos)
        << result.error().description;
}

// One GiB of spaces inside the body in about one MiB of deflate data, with
// a harmless size declared: the expansion is stopped while inflating.
TEST(DocxHostile, ZipBombExpandingToAGigabyteIsStopped)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[2].data = deflateSpacesBomb("<?xml version=\"1.0\"?><w:document " + kW + "><w:body>", 1024);
    entries[2].uncompressedSize = 4096;
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error().code == ErrorCode::TooLarge || result.error().code == ErrorCode::Damaged)
        << result.error().description;
}

TEST(DocxHostile, ZipBombWithHonestSizeBelowTheEntryLimitTripsTheRatio)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[2].data = deflateSpacesBomb("<?xml version=\"1.0\"?><w:document " + kW + "><w:body>", 300);
    entries[2].uncompressedSize = 300u << 20;
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::TooLarge) << result.error().description;
    EXPECT_NE(result.error().description.find("expands more than"), std::string::npos)
        << result.error().description;
}

TEST(DocxHostile, NestedZipIsNotTakenForXml)
{
    const std::string inner = buildZip(minimalPackage(document("<w:p/>")));
    // A package whose main part is itself a zip.
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[2] = storedEntry("word/document.xml", inner);
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged);
    EXPECT_NE(result.error().description.find("/word/document.xml"), std::string::npos);

    // A zip of zips, as quine-like bombs nest them: never opened.
    std::string nest = inner;
    for (int i = 0; i < 5; ++i)
        nest = buildZip({storedEntry("inner.docx", nest), storedEntry("again.docx", nest)});
    auto nested = read(nest);
    ASSERT_FALSE(nested.ok());
    EXPECT_EQ(nested.error().code, ErrorCode::NotAWordDocument) << nested.error().description;
}

// A package of one paragraph that imports the given chunks (w:altChunk)
// from word/chunkN.docx.
std::string packageImporting(const std::string& text, const std::vector<std::string>& chunks)
{
    std::string body = "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
    std::string relationships = "<?xml version=\"1.0\"?><Relationships "
                                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<ZipEntry> entries;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const std::string id = "chunk" + std::to_string(i);
        body += "<w:altChunk xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                "r:id=\"" +
                id + "\"/>";
        relationships +=
            "<Relationship Id=\"" + id +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/aFChunk\" "
            "Target=\"" +
            id + ".docx\"/>";
        entries.push_back(storedEntry("word/" + id + ".docx", chunks[i]));
    }
    std::vector<ZipEntry> package = minimalPackage(document(body));
    package.push_back(storedEntry("word/_rels/document.xml.rels", relationships + "</Relationships>"));
    package.insert(package.end(), entries.begin(), entries.end());
    return buildZip(package);
}

TEST(DocxHostile, ImportedChunksNestOnlySoDeep)
{
    // Each level imports the one below it, deeper than the limit.
    const int levels = limits::kMaxChunkNesting + 3;
    std::string package = packageImporting("level 0", {});
    for (int level = 1; level <= levels; ++level)
        package = packageImporting("level " + std::to_string(level), {package});
    auto result = read(package);
    ASSERT_TRUE(result.ok()) << result.error().description;
    std::string expected;
    for (int level = levels; level >= levels - limits::kMaxChunkNesting; --level)
        expected += "level " + std::to_string(level) + "\n";
    EXPECT_EQ(renderPlainText(result.value()), expected);

    // A chunk that is no document of a kind Plainora reads, or a damaged
    // one, is left out; the document around it reads.
    const std::string damaged = package.substr(0, package.size() / 2);
    auto other =
        read(packageImporting("outer", {std::string("\x89PNG\r\n\x1a\n") + std::string(64, '\0'), damaged}));
    ASSERT_TRUE(other.ok()) << other.error().description;
    EXPECT_EQ(renderPlainText(other.value()), "outer\n");
}

TEST(DocxHostile, MissingMainPartIsDamaged)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries.pop_back();
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged);
    EXPECT_NE(result.error().description.find("word/document.xml"), std::string::npos)
        << result.error().description;
}

TEST(DocxHostile, OtherPackagesAreNotWordDocumentsAndSaySo)
{
    const std::string workbook = buildZip({
        storedEntry(
            "_rels/.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
            "Target=\"xl/workbook.xml\"/></Relationships>"),
        storedEntry("xl/workbook.xml", "<workbook/>"),
    });
    auto result = read(workbook);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::NotAWordDocument);
    EXPECT_NE(result.error().description.find("Excel workbook"), std::string::npos)
        << result.error().description;

    auto plainZip = read(buildZip({storedEntry("notes.txt", "hello")}));
    ASSERT_FALSE(plainZip.ok());
    EXPECT_EQ(plainZip.error().code, ErrorCode::NotAWordDocument);
    EXPECT_NE(plainZip.error().description.find("zip archive"), std::string::npos);

    // A main part that is not a WordprocessingML document.
    std::vector<ZipEntry> entries = minimalPackage("<x:sheet xmlns:x=\"urn:other\"/>");
    auto odd = read(buildZip(entries));
    ASSERT_FALSE(odd.ok());
    EXPECT_EQ(odd.error().code, ErrorCode::NotAWordDocument) << odd.error().description;
}

TEST(DocxHostile, MalformedXmlNamesThePartAndLine)
{
    auto result = read(buildZip(minimalPackage(document("<w:p><w:r><w:t>x</w:r></w:p>"))));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged);
    EXPECT_NE(result.error().description.find("/word/document.xml"), std::string::npos)
        << result.error().description;
    EXPECT_NE(result.error().description.find("line 3"), std::string::npos) << result.error().description;
}

// A style is parsed only when the text names it; one that is damaged is
// damage all the same.
TEST(DocxHostile, ADamagedStyleTheTextNamesIsDamage)
{
    const std::string body = "<w:p><w:pPr><w:pStyle w:val=\"Used\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>";
    const std::string styles = "<w:style w:styleId=\"Other\"><w:name w:val=\"o\"/></w:style>\n"
                               "<w:style w:styleId=\"Used\"><w:rPr></w:style>";
    auto result = read(packageWith(document(body), styles, ""));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged);
    EXPECT_NE(result.error().description.find("/word/styles.xml"), std::string::npos)
        << result.error().description;
    EXPECT_NE(result.error().description.find("line 3"), std::string::npos) << result.error().description;
}

TEST(DocxHostile, EntityExpansionIsRefused)
{
    std::string doctype = "<?xml version=\"1.0\"?>\n<!DOCTYPE d [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'j'; ++c)
        doctype += std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">\n";
    for (char c = 'b'; c <= 'j'; ++c) {
        const std::string ref = std::string("&") + static_cast<char>(c - 1) + ";";
        std::string value;
        for (int i = 0; i < 10; ++i)
            value += ref;
        const std::string placeholder = std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">";
        doctype.replace(doctype.find(placeholder), placeholder.size(),
                        std::string("<!ENTITY ") + c + " \"" + value + "\">");
    }
    doctype += "]>\n";
    const std::string xml =
        doctype + "<w:document " + kW + "><w:body><w:p><w:r><w:t>&j;</w:t></w:r></w:p></w:body></w:document>";
    auto result = read(buildZip(minimalPackage(xml)));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged);
    EXPECT_NE(result.error().description.find("entities"), std::string::npos) << result.error().description;
}

TEST(DocxHostile, ExternalEntitiesAreNeverFetched)
{
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE d [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n"
        "<w:document " +
        kW +
        "><w:body><w:p><w:r><w:t>before &secret; after</w:t></w:r></w:p>"
        "</w:body></w:document>";
    auto result = read(buildZip(minimalPackage(xml)));
    ASSERT_TRUE(result.ok()) << result.error().description;
    const std::string text = renderPlainText(result.value());
    EXPECT_EQ(text.find("root:"), std::string::npos);
    EXPECT_NE(text.find("before"), std::string::npos);
}

TEST(DocxHostile, DeepNestingIsRefused)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<w:sdt><w:sdtContent>";
    auto result = read(buildZip(minimalPackage(document(deep))));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::TooLarge);
    EXPECT_NE(result.error().description.find("nests"), std::string::npos) << result.error().description;

    // The same nesting closed again: well-formed, so the tree parser takes it.
    std::string closed;
    for (int i = 0; i < limits::kMaxXmlDepth; ++i)
        closed += "<w:sdt><w:sdtContent>";
    for (int i = 0; i < limits::kMaxXmlDepth; ++i)
        closed += "</w:sdtContent></w:sdt>";
    auto closedResult = read(buildZip(minimalPackage(document(closed))));
    ASSERT_FALSE(closedResult.ok());
    EXPECT_EQ(closedResult.error().code, ErrorCode::TooLarge);
    EXPECT_NE(closedResult.error().description.find("nests"), std::string::npos)
        << closedResult.error().description;

    std::string tables;
    for (int i = 0; i < limits::kMaxTableNesting + 5; ++i)
        tables += "<w:tbl><w:tr><w:tc>";
    auto nestedTables = read(buildZip(minimalPackage(document(tables))));
    ASSERT_FALSE(nestedTables.ok());
    EXPECT_EQ(nestedTables.error().code, ErrorCode::TooLarge) << nestedTables.error().description;

    std::string fields;
    for (int i = 0; i < limits::kMaxFieldNesting + 5; ++i)
        fields += "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    auto nestedFields = read(buildZip(minimalPackage(document("<w:p>" + fields + "</w:p>"))));
    ASSERT_FALSE(nestedFields.ok());
    EXPECT_EQ(nestedFields.error().code, ErrorCode::TooLarge) << nestedFields.error().description;
}

TEST(DocxHostile, PartFailingItsChecksumIsDamaged)
{
    for (bool deflated : {true, false}) {
        std::vector<ZipEntry> entries = minimalPackage(document("<w:p><w:r><w:t>hello</w:t></w:r></w:p>"));
        if (!deflated)
            entries[2] = storedEntry(entries[2].name, document("<w:p><w:r><w:t>hello</w:t></w:r></w:p>"));
        entries[2].crc ^= 1;
        auto result = read(buildZip(entries));
        ASSERT_FALSE(result.ok()) << deflated;
        EXPECT_EQ(result.error().code, ErrorCode::Damaged);
        EXPECT_NE(result.error().description.find("checksum"), std::string::npos)
            << result.error().description;
    }
}

// However a part's XML is written, the prefixes it binds decide what its
// elements are.
TEST(DocxPackage, PartsAreReadThroughTheirOwnNamespaceBindings)
{
    const std::string wUri = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    const std::string text = "<w:p><w:r><w:t>hello</w:t></w:r></w:p>";
    struct Case
    {
        const char* what;
        std::string xml;
        const char* expected; // nullptr: damaged
    };
    const Case cases[] = {
        {"another prefix",
         "<x:document xmlns:x=\"" + wUri +
             "\"><x:body><x:p><x:r><x:t>hello</x:t></x:r></x:p></x:body></x:document>",
         "hello\n"},
        {"default namespace",
         "<document xmlns=\"" + wUri + "\"><body><p><r><t>hello</t></r></p></body></document>", "hello\n"},
        {"prefix bound on an inner element",
         "<w:document " + kW + "><w:body><w:p xmlns:v=\"" + wUri +
             "\"><v:r><v:t>hello</v:t></v:r></w:p></w:body></w:document>",
         "hello\n"},
        {"prefix rebound to another vocabulary",
         "<w:document " + kW + "><w:body>" + text +
             "<w:p xmlns:w=\"urn:example:other\"><w:r><w:t>hidden</w:t></w:r></w:p></w:body></w:document>",
         "hello\n"},
        {"default namespace undeclared",
         "<document xmlns=\"" + wUri + "\"><body><p xmlns=\"\"><r><t>x</t></r></p>" +
             "<p><r><t>hello</t></r></p></body></document>",
         "hello\n"},
        {"unbound prefix", "<w:document " + kW + "><w:body><q:p>" + text + "</q:p></w:body></w:document>",
         nullptr},
        {"Latin-1 part",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><w:document " + kW +
             "><w:body><w:p><w:r><w:t>caf\xE9</w:t></w:r></w:p></w:body></w:document>",
         "caf\xC3\xA9\n"},
        {"byte-order mark",
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><w:document " + kW + "><w:body>" + text +
             "</w:body></w:document>",
         "hello\n"},
    };
    for (const Case& c : cases) {
        auto result = read(buildZip(minimalPackage(c.xml)));
        if (!c.expected) {
            ASSERT_FALSE(result.ok()) << c.what;
            EXPECT_EQ(result.error().code, ErrorCode::Damaged) << c.what;
            EXPECT_NE(result.error().description.find("/word/document.xml"), std::string::npos) << c.what;
            continue;
        }
        ASSERT_TRUE(result.ok()) << c.what << ": " << result.error().description;
        EXPECT_EQ(renderPlainText(result.value()), c.expected) << c.what;
    }
}

// A style is read when the text first names it, from wherever it stands
// in the styles part: the same text as reading the whole part up front.
TEST(DocxPackage, StylesReachTheTextWhereverTheyStand)
{
    const std::string wUri = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    auto paragraph = [](const std::string& style, const std::string& text) {
        const std::string properties =
            style.empty() ? "" : "<w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr>";
        return "<w:p>" + properties + "<w:r><w:t>" + text + "</w:t></w:r></w:p>";
    };
    auto hidden = [](const std::string& id, const std::string& basedOn = "") {
        return "<w:style w:type=\"paragraph\" w:styleId=\"" + id + "\">" +
               (basedOn.empty() ? "" : "<w:basedOn w:val=\"" + basedOn + "\"/>") +
               "<w:rPr><w:vanish/></w:rPr></w:style>";
    };
    auto plain = [](const std::string& id, const std::string& basedOn = "") {
        return "<w:style w:type=\"paragraph\" w:styleId=\"" + id + "\">" +
               (basedOn.empty() ? "" : "<w:basedOn w:val=\"" + basedOn + "\"/>") + "</w:style>";
    };
    struct Case
    {
        const char* what;
        std::string styles; // the content of w:styles
        std::string body;
        const char* expected;
    };
    const Case cases[] = {
        {"hidden through a base defined after it", plain("Child", "Base") + plain("Other") + hidden("Base"),
         paragraph("Child", "gone") + paragraph("Other", "kept"), "kept\n"},
        {"a second definition of a style adds to the first", plain("Twice") + hidden("Twice"),
         paragraph("Twice", "gone") + paragraph("", "kept"), "kept\n"},
        {"a later definition overrides an earlier one",
         hidden("Twice") + "<w:style w:type=\"paragraph\" w:styleId=\"Twice\"><w:rPr><w:vanish "
                           "w:val=\"0\"/></w:rPr></w:style>",
         paragraph("Twice", "shown"), "shown\n"},
        {"the default paragraph style",
         "<w:style w:type=\"paragraph\" w:default=\"1\" "
         "w:styleId=\"Quiet\"><w:rPr><w:vanish/></w:rPr></w:style>" +
             plain("Loud"),
         paragraph("", "gone") + paragraph("Loud", "kept"), "kept\n"},
        {"a style binding its own prefix",
         "<s:style xmlns:s=\"" + wUri +
             "\" s:type=\"paragraph\" s:styleId=\"Own\"><s:rPr><s:vanish/></s:rPr></s:style>",
         paragraph("Own", "gone") + paragraph("", "kept"), "kept\n"},
        {"a run style",
         "<w:style w:type=\"character\" w:styleId=\"Secret\"><w:rPr><w:vanish/></w:rPr></w:style>",
         "<w:p><w:r><w:t>kept</w:t></w:r><w:r><w:rPr><w:rStyle "
         "w:val=\"Secret\"/></w:rPr><w:t>gone</w:t></w:r></w:p>",
         "kept\n"},
        {"a basedOn loop", plain("A", "B") + plain("B", "A"), paragraph("A", "kept"), "kept\n"},
        {"an undefined style", plain("Known"), paragraph("Unknown", "kept"), "kept\n"},
    };
    for (const Case& c : cases) {
        auto result = read(packageWith(document(c.body), c.styles, ""));
        ASSERT_TRUE(result.ok()) << c.what << ": " << result.error().description;
        EXPECT_EQ(renderPlainText(result.value()), c.expected) << c.what;
    }
}

// A list definition is read when a paragraph first uses it, from wherever
// it stands in the numbering part.
TEST(DocxPackage, ListsReachTheTextWhereverTheyStand)
{
    auto item = [](int numId, const std::string& text, const std::string& style = "") {
        return "<w:p><w:pPr>" + (style.empty() ? "" : "<w:pStyle w:val=\"" + style + "\"/>") +
               (numId ? "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"" + std::to_string(numId) +
                            "\"/></w:numPr>"
                      : "") +
               "</w:pPr><w:r><w:t>" + text + "</w:t></w:r></w:p>";
    };
    auto abstract = [](int id, const std::string& format, const std::string& extra = "") {
        return "<w:abstractNum w:abstractNumId=\"" + std::to_string(id) + "\">" + extra +
               "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"" + format +
               "\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>";
    };
    auto num = [](int id, int abstractId, const std::string& extra = "") {
        return "<w:num w:numId=\"" + std::to_string(id) + "\"><w:abstractNumId w:val=\"" +
               std::to_string(abstractId) + "\"/>" + extra + "</w:num>";
    };
    struct Case
    {
        const char* what;
        std::string styles;
        std::string numbering;
        std::string body;
        const char* expected;
    };
    const Case cases[] = {
        {"an instance before its definition", "", num(1, 7) + abstract(7, "decimal"),
         item(1, "one") + item(1, "two"), "1.\tone\n2.\ttwo\n"},
        {"two instances of one definition, the second starting over", "",
         abstract(3, "upperLetter") + num(1, 3) +
             num(2, 3, "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"5\"/></w:lvlOverride>"),
         item(1, "a") + item(1, "b") + item(2, "e"), "A.\ta\nB.\tb\nE.\te\n"},
        {"an instance no paragraph uses", "", abstract(1, "decimal") + num(1, 1) + num(9, 1), item(1, "only"),
         "1.\tonly\n"},
        {"an undefined instance", "", abstract(1, "decimal") + num(1, 1), item(4, "plain"), "plain\n"},
        {"numbered through a paragraph style",
         "<w:style w:type=\"paragraph\" w:styleId=\"Steps\"><w:pPr><w:numPr><w:numId w:val=\"2\"/></w:numPr>"
         "</w:pPr></w:style>",
         abstract(5, "lowerRoman") + num(2, 5), item(0, "first", "Steps") + item(0, "second", "Steps"),
         "i.\tfirst\nii.\tsecond\n"},
    };
    for (const Case& c : cases) {
        auto result = read(packageWith(document(c.body), c.styles, c.numbering));
        ASSERT_TRUE(result.ok()) << c.what << ": " << result.error().description;
        EXPECT_EQ(renderPlainText(result.value()), c.expected) << c.what;
    }
}

// What XML forbids in a part is damage on every path, whichever parser reads it.
TEST(DocxHostile, CharactersXmlForbidsAreDamage)
{
    for (const std::string& text : {std::string("caf\xE9"), std::string("a\x01z"), std::string("&#1;"),
                                    std::string("&#xD800;"), std::string("&#x110000;"), std::string("&#;")}) {
        auto result =
            read(buildZip(minimalPackage(document("<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"))));
        ASSERT_FALSE(result.ok()) << text;
        EXPECT_EQ(result.error().code, ErrorCode::Damaged) << text;
    }
}

// A run's text longer than the 64 KiB slices a part is inflated in, placed
// so that a slice ends inside a character, a reference or between CR and
// LF: however the text is cut on its way, they arrive whole.
TEST(DocxPackage, LongTextCrossesSlicesWhole)
{
    const std::string unit = "\xC3\xA9&amp;y&#x41;\r\n"; // 16 bytes: slices end at the same place in each
    const std::string head =
        document("").substr(0, document("").find("</w:body>")) + "<w:p><w:r><w:t xml:space=\"preserve\">";
    for (std::size_t splitAt : {std::size_t(1), std::size_t(4), std::size_t(10), std::size_t(15)}) {
        const std::size_t pad = (65536 - head.size() - splitAt) % unit.size();
        std::string run(pad, 'p');
        std::string expected(pad, 'p');
        for (int i = 0; i < 20000; ++i) {
            run += unit;
            expected += "\xC3\xA9&yA\n";
        }
        auto result = read(buildZip(minimalPackage(head + run + "</w:t></w:r></w:p></w:body></w:document>")));
        ASSERT_TRUE(result.ok()) << result.error().description;
        const std::string text = renderPlainText(result.value());
        const auto differs = std::mismatch(text.begin(), text.end(), expected.begin(), expected.end()).first;
        EXPECT_TRUE(text == expected + "\n")
            << "split at " << splitAt << ": first difference at byte " << differs - text.begin();
    }
}

TEST(DocxHostile, ZipLevelEncryptionIsPasswordProtection)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[2].flags = 1; // traditional PKWARE encryption
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::PasswordProtected) << result.error().description;
}

TEST(DocxHostile, TooManyEntriesAreRefused)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    for (std::uint64_t i = 0; i <= limits::kMaxArchiveEntries; ++i)
        entries.push_back(storedEntry("x/" + std::to_string(i), ""));
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::TooLarge) << result.error().description;
}

// Parts kept whole in memory (relationships here) have their own, smaller
// limit; the declared size is refused before anything is inflated.
TEST(DocxHostile, OversizedSmallPartIsRefused)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries[1].uncompressedSize = static_cast<std::uint32_t>(limits::kMaxSmallPartBytes + 1);
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::TooLarge);
    EXPECT_NE(result.error().description.find("_rels/.rels"), std::string::npos)
        << result.error().description;
    EXPECT_NE(result.error().description.find(std::to_string(limits::kMaxSmallPartBytes >> 20) + " MiB"),
              std::string::npos)
        << result.error().description;
}

// The package total counts every byte inflated, over all parts and repeated
// reads: lowered here to 2 MiB, so three honest 1 MiB parts trip it.
TEST(DocxHostile, PackageTotalStopsInflatingAcrossParts)
{
    std::vector<ZipEntry> entries;
    for (int i = 0; i < 3; ++i)
        entries.push_back(deflatedEntry("part" + std::to_string(i), std::string(1 << 20, 'x')));
    const std::string zip = buildZip(entries);
    docx::ZipLimits lowered;
    lowered.packageBytes = 2u << 20;
    auto package = docx::ZipPackage::open(asBytes(zip), lowered);
    ASSERT_TRUE(package.ok()) << package.error().description;
    std::uint64_t seen = 0;
    auto count = [&](std::string_view slice) {
        seen += slice.size();
        return Status{};
    };
    ASSERT_TRUE(package.value()->read("part0", count));
    ASSERT_TRUE(package.value()->read("part1", count));
    const Status third = package.value()->read("part2", count);
    ASSERT_FALSE(third.ok());
    EXPECT_EQ(third.error().code, ErrorCode::TooLarge);
    EXPECT_NE(third.error().description.find("past the 2 MiB"), std::string::npos)
        << third.error().description;
    EXPECT_LE(seen, (2u << 20) + (64u << 10)) << "inflating stops within one slice of the limit";
}

TEST(DocxHostile, DuplicatePartNamesAreDamage)
{
    std::vector<ZipEntry> entries = minimalPackage(document(""));
    entries.push_back(storedEntry("WORD/Document.xml", document("<w:p><w:r><w:t>other</w:t></w:r></w:p>")));
    auto result = read(buildZip(entries));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::Damaged) << result.error().description;
}

TEST(DocxPackage, RelationshipTargetsStayInsideThePackage)
{
    using docx::resolvePartName;
    EXPECT_EQ(resolvePartName("", "word/document.xml"), "word/document.xml");
    EXPECT_EQ(resolvePartName("", "/word/document.xml"), "word/document.xml");
    EXPECT_EQ(resolvePartName("word/document.xml", "styles.xml"), "word/styles.xml");
    EXPECT_EQ(resolvePartName("word/document.xml", "../customXml/item1.xml"), "customXml/item1.xml");
    EXPECT_EQ(resolvePartName("word/document.xml", "./media/a%20b.png#x"), "word/media/a b.png");
    EXPECT_EQ(resolvePartName("word/document.xml", "/word/footnotes.xml"), "word/footnotes.xml");
    EXPECT_EQ(resolvePartName("word/document.xml", "../../etc/passwd"), "");
}

TEST(DocxPackage, MainPartIsFoundThroughRelationshipsNotByName)
{
    std::vector<ZipEntry> entries = {
        storedEntry("_rels/.rels",
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"r\" "
                    "Type=\"http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument\" "
                    "Target=\"/content/main.xml\"/></Relationships>"),
        deflatedEntry("content/main.xml", document("<w:p><w:r><w:t>found</w:t></w:r></w:p>")),
        deflatedEntry("word/document.xml", document("<w:p><w:r><w:t>decoy</w:t></w:r></w:p>")),
    };
    auto result = read(buildZip(entries));
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(renderPlainText(result.value()), "found\n");
}

// Elements that start a note or a comment elsewhere mean nothing inside a
// text box of the body; their ends must not end the text box's story.
TEST(DocxPackage, StrayNoteElementsInATextBoxLeaveItWhole)
{
    auto result = read(buildZip(minimalPackage(
        document("<w:p><w:r><w:t>before</w:t></w:r><w:r><w:pict><w:txbxContent>"
                 "<w:p><w:r><w:t>boxed</w:t></w:r></w:p><w:comment/><w:footnote/><w:hdr/>"
                 "<w:p><w:r><w:t>still boxed</w:t></w:r></w:p>"
                 "</w:txbxContent></w:pict></w:r></w:p><w:p><w:r><w:t>after</w:t></w:r></w:p>"))));
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(renderPlainText(result.value()), "before\nboxed\nstill boxed\nafter\n");
}

TEST(DocxPackage, UnclosedFieldShowsItsResultAndHidesItsCode)
{
    auto result = read(buildZip(minimalPackage(document(
        "<w:p><w:r><w:t>a </w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
        "<w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
        "<w:r><w:t>5</w:t></w:r></w:p><w:p><w:r><w:t>next</w:t></w:r></w:p>"))));
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(renderPlainText(result.value()), "a 5\nnext\n");
}

} // namespace
