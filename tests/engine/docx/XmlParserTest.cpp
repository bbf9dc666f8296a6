// The XML layer's paths (expat, a whole tree, a tree cut into chunks, fed
// whole or in slices) give one handler the same events for the same part:
// markup that only looks like a tag, in comments, CDATA, processing
// instructions and attribute values, must not fool the chunk cutting.

#include "engine/docx/XmlParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace plainora::engine;
using namespace plainora::engine::docx;

namespace {

// Logs the events, adjacent texts joined (the engines split text apart
// differently), with the one attribute the readers look at most; without
// the root's own events when asked.
class EventLog : public XmlHandler
{
public:
    explicit EventLog(bool withRoot = true) : m_withRoot(withRoot) {}

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        if (m_depth++ == 0 && !m_withRoot)
            return;
        const char* value = attributes.get(Ns::W, "val");
        log += "<" + std::to_string(static_cast<int>(ns)) + ":" + std::string(local) +
               (value ? " val=" + std::string(value) : "") + ">";
    }
    void endElement(Ns ns, std::string_view local) override
    {
        if (--m_depth == 0 && !m_withRoot)
            return;
        log += "</" + std::to_string(static_cast<int>(ns)) + ":" + std::string(local) + ">";
    }
    void characters(std::string_view text) override
    {
        if (m_withRoot || m_depth > 1)
            log += text;
    }

    std::string log;

private:
    bool m_withRoot;
    int m_depth = 0;
};

struct Outcome
{
    std::string log;
    bool ok = false;
};

Outcome throughExpat(const std::string& xml)
{
    EventLog handler;
    XmlParser parser(handler, "/part.xml");
    const Status status = parser.parse(xml);
    return {handler.log, status.ok()};
}

Outcome asTree(std::string xml)
{
    EventLog handler;
    XmlParser parser(handler, "/part.xml");
    const std::optional<Status> status = parser.parseTree(xml);
    return {handler.log, status && status->ok()};
}

// sliceBytes 0: the whole part in one call.
Outcome streamed(const std::string& xml, std::size_t chunkBytes, std::size_t sliceBytes)
{
    EventLog handler;
    XmlParser parser(handler, "/part.xml");
    Status status;
    if (sliceBytes == 0) {
        status = parser.stream(xml, true, chunkBytes);
    } else {
        for (std::size_t at = 0; at < xml.size() && status.ok(); at += sliceBytes)
            status = parser.stream(std::string_view(xml).substr(at, sliceBytes), false, chunkBytes);
        if (status.ok())
            status = parser.stream({}, true, chunkBytes);
    }
    return {handler.log, status.ok()};
}

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:x=\"urn:other\"><w:body>";
const std::string kTail = "</w:body></w:document>";

std::string part(const std::string& body)
{
    return kHead + body + kTail;
}

struct Case
{
    const char* name;
    std::string xml;
};

std::vector<Case> wellFormedParts()
{
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "caf\xC3\xA9 &amp; &#x41;\r\n";
    return {
        {"runs", part("<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:t>one</w:t></w:r>"
                      "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\"> two </w:t></w:r></w:p>"
                      "<w:p/><w:p><w:r><w:tab/><w:t>three</w:t><w:br/></w:r></w:p>")},
        {"comment holding tags", part("<w:p><w:r><w:t>a</w:t><!-- <w:p><w:r> <x:y> --></w:r>"
                                      "<!--<w:t>--></w:p><w:p><w:r><w:t>b</w:t></w:r></w:p>")},
        {"CDATA holding tags", part("<w:p><w:r><w:t><![CDATA[<w:p><w:t>not a tag</w:t> <w:r>]]>c</w:t>"
                                    "</w:r></w:p><w:p><w:r><w:t>d</w:t></w:r></w:p>")},
        {"instruction holding tags", part("<w:p><?pi <w:p><w:r> ?><w:r><w:t>e</w:t></w:r></w:p>"
                                          "<w:p><?other <x:z a='1'>?><w:r><w:t>f</w:t></w:r></w:p>")},
        {"quoted closing brackets", part("<w:p><w:pPr><w:pStyle w:val=\"a>b\"/></w:pPr><w:r x:a='>'>"
                                         "<w:t>g</w:t></w:r><w:r x:b=\"/>\"><w:t>h</w:t></w:r></w:p>")},
        {"long text", part("<w:p><w:r><w:t xml:space=\"preserve\">" + longText + "</w:t></w:r></w:p>")},
        {"nesting",
         part("<w:tbl><w:tr><w:tc><w:tbl><w:tr><w:tc><w:p><w:r><w:t>i</w:t></w:r></w:p></w:tc>"
              "</w:tr></w:tbl></w:tc></w:tr></w:tbl><w:p><x:a><x:b><x:c>j</x:c></x:b></x:a></w:p>")},
        {"namespaces bound inside",
         part("<w:p xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:shape>"
              "<w:r><w:t>k</w:t></w:r></v:shape></w:p><w:p><w:r><w:t>l</w:t></w:r></w:p>")},
    };
}

TEST(XmlParser, EveryPathGivesTheSameEvents)
{
    for (const Case& c : wellFormedParts()) {
        const Outcome expected = throughExpat(c.xml);
        ASSERT_TRUE(expected.ok) << c.name;
        EXPECT_EQ(asTree(c.xml).log, expected.log) << c.name;
        for (std::size_t chunkBytes : {1, 2, 3, 5, 8, 13, 40, 100, 1000, 100000}) {
            for (std::size_t sliceBytes : {0, 1, 3, 7, 64, 4096}) {
                const Outcome outcome = streamed(c.xml, chunkBytes, sliceBytes);
                EXPECT_TRUE(outcome.ok)
                    << c.name << ", chunks of " << chunkBytes << ", slices of " << sliceBytes;
                EXPECT_EQ(outcome.log, expected.log)
                    << c.name << ", chunks of " << chunkBytes << ", slices of " << sliceBytes;
            }
        }
    }
}

TEST(XmlParser, EveryPathRefusesABrokenPart)
{
    const std::vector<Case> broken = {
        {"mismatched end tag", part("<w:p><w:r><w:t>x</w:r></w:p><w:p><w:r><w:t>y</w:t></w:r></w:p>")},
        {"cut short", kHead + "<w:p><w:r><w:t>x</w:t></w:r>"},
        {"unclosed comment", part("<w:p><w:r><w:t>x</w:t></w:r></w:p><!-- <w:p><w:r><w:t>y</w:t>")},
        {"unbound prefix", part("<w:p><w:r><q:t>x</q:t></w:r></w:p>")},
        {"stray end tag", part("<w:p></w:r></w:p>")},
    };
    for (const Case& c : broken) {
        EXPECT_FALSE(throughExpat(c.xml).ok) << c.name;
        for (std::size_t chunkBytes : {1, 4, 9, 40, 100000}) {
            for (std::size_t sliceBytes : {0, 5, 4096})
                EXPECT_FALSE(streamed(c.xml, chunkBytes, sliceBytes).ok)
                    << c.name << ", chunks of " << chunkBytes << ", slices of " << sliceBytes;
        }
    }
}

// Takes in a kept part as the deferring readers do: the root's children's
// start tags with a handle on each, then each child whole.
class ChildIndex : public XmlHandler
{
public:
    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override
    {
        if (++m_depth == 2) {
            handles.push_back(parser()->currentElement());
            parser()->skipContent();
        } else if (m_depth > 2) {
            ADD_FAILURE() << "content of a child came while indexing: " << local;
        }
        (void)ns;
        (void)attributes;
    }
    void endElement(Ns, std::string_view) override { --m_depth; }
    void characters(std::string_view) override {}

    std::vector<XmlTree::Element> handles;

private:
    int m_depth = 0;
};

std::string childrenThroughTree(const std::string& xml, bool& ok)
{
    XmlTree tree("/part.xml");
    ok = tree.load(xml);
    if (!ok)
        return {};
    ChildIndex index;
    ok = tree.walk(index).ok();
    EventLog log;
    for (XmlTree::Element child : index.handles)
        ok = tree.walk(child, log).ok() && ok;
    return log.log;
}

// Expat's events for the part without the root's own.
std::string childrenThroughExpat(const std::string& xml)
{
    EventLog handler(false);
    XmlParser parser(handler, "/part.xml");
    EXPECT_TRUE(parser.parse(xml).ok());
    return handler.log;
}

TEST(XmlTree, ChildrenReadOneByOneGiveTheSameEvents)
{
    const std::string root = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:styles "
                             "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                             "xmlns:x=\"urn:other\">";
    const std::string style = "<w:style w:type=\"paragraph\" w:styleId=\"A\"><w:name w:val=\"a &amp; b\"/>"
                              "<w:rPr><w:vanish/></w:rPr></w:style>";
    const std::vector<Case> parts = {
        {"styles", root + "\n  " + style +
                       "\n  <w:style w:styleId=\"B\"><w:basedOn w:val=\"A\"/></w:style>"
                       "<w:docDefaults/><x:extra x:a=\"1>2\">t</x:extra>\n</w:styles>"},
        {"a child binding a namespace", root +
                                            "<w:style xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:shape>"
                                            "<w:t>s</w:t></v:shape></w:style>" +
                                            style + "</w:styles>"},
        {"end tag with space",
         root + "<w:style w:styleId=\"C\"><w:name w:val=\"c\"/></w:style  >" + style + "</w:styles >\r\n"},
        {"a comment", root + style + "<!-- <w:style w:styleId=\"D\"></w:style> -->" + style + "</w:styles>"},
        {"a comment in a child",
         root + "<w:style><!-- </w:style><w:style> --></w:style>" + style + "</w:styles>"},
        {"CDATA", root + "<w:style><w:t><![CDATA[</w:style>]]></w:t></w:style>" + style + "</w:styles>"},
        {"an instruction in a child",
         root + "<w:style><?pi </w:style><w:style> ?></w:style>" + style + "</w:styles>"},
        {"an instruction", root + style + "<?pi </w:style>?>" + style + "</w:styles>"},
        {"a child holding one of its name", root +
                                                "<w:style><w:style w:styleId=\"in\"/><w:style></w:style>"
                                                "<w:name w:val=\"out\"/></w:style>" +
                                                style + "</w:styles>"},
        {"the same at the end", root + style + "<w:style><w:style></w:style></w:style></w:styles>"},
        {"text between children", root + style + "loose" + style + "</w:styles>"},
        {"a name that only begins alike", root + "<w:style><w:styleX/></w:style>" + style + "</w:styles>"},
    };
    for (const Case& c : parts) {
        bool ok = false;
        const std::string log = childrenThroughTree(c.xml, ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(log, childrenThroughExpat(c.xml)) << c.name;
    }
}

TEST(XmlTree, AFaultInAChildIsReportedWhenItIsRead)
{
    const std::string xml =
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:style><w:name w:val=\"ok\"/></w:style>\n<w:style><w:rPr></w:style>"
        "</w:styles>";
    bool ok = true;
    childrenThroughTree(xml, ok);
    EXPECT_FALSE(ok);
}

} // namespace
