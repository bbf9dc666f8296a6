// The StoryReader's element dispatch: each WordprocessingML element goes to
// the function of its family (StoryReaderTypes.h says which file holds which).

#include "engine/EquationField.h"
#include "engine/TextEncoding.h"
#include "engine/docx/StoryReaderTypes.h"

namespace plainora::engine::docx {

StoryReader::StoryReader(StoryContext& context, Part part, std::vector<Block>* out)
    : m_context(context), m_part(part)
{
    if (out)
        m_containers.push_back(out);
}

StoryReader::~StoryReader() = default;

void StoryReader::fail(Error error)
{
    if (parser())
        parser()->fail(std::move(error));
}

void StoryReader::appendText(std::string_view text)
{
    if (m_customMarkNote) {
        m_customMarkText.append(text);
        return;
    }
    if (m_story.paragraphs.empty())
        return;
    if (!m_story.fields.empty())
        m_story.fields.back().resultShown = true;
    if (Status status = m_context.text.spend(text.size()); !status) {
        fail(status.error());
        return;
    }
    m_story.paragraphs.back()->text.append(text);
}

void StoryReader::appendCodePoint(char32_t codePoint)
{
    std::string utf8;
    appendUtf8(utf8, codePoint);
    appendText(utf8);
}

void StoryReader::pushContainer(std::vector<Block>* blocks)
{
    m_containers.push_back(blocks);
}

void StoryReader::popContainer()
{
    flushCarry();
    if (!m_containers.empty())
        m_containers.pop_back();
}

void StoryReader::startElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    if (m_skipDepth) {
        ++m_skipDepth;
        return;
    }
    // WordprocessingML elements inside the root are nearly all a story holds.
    if (ns == Ns::W && m_sawRoot)
        startWordElement(storyTagOf(local), parentTag(), attributes);
    else
        startOtherElement(ns, local, attributes);
}

// The root, and the elements of other namespaces.
void StoryReader::startOtherElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    if (!m_sawRoot && !(ns == Ns::Other && local == "plainora-part")) {
        m_sawRoot = true;
        m_rootName = std::string(local);
        const Tag root = ns == Ns::W ? storyTagOf(local) : Tag::Other;
        m_sawWordRoot = ns == Ns::W;
        if (m_part == Part::Document && root != Tag::Document && root != Tag::WordDocument) {
            fail(makeError(ErrorCode::NotAWordDocument, "its main part holds <" + m_rootName + ">"));
            return;
        }
    }

    switch (ns) {
    case Ns::W: {
        const Tag tag = storyTagOf(local);
        const Tag parent = parentTag();
        startWordElement(tag, parent, attributes);
        return;
    }
    case Ns::M:
        if (local == "t")
            m_capture = visible();
        break;
    case Ns::Mc:
        if (local == "AlternateContent") {
            m_alternates.push_back(false);
        } else if (local == "Choice" || local == "Fallback") {
            // Take the first branch this reader understands ([E3] 9.3).
            if (!m_alternates.empty()) {
                const char* required = attributes.get(Ns::Other, "Requires");
                const bool take = !m_alternates.back() &&
                                  (local == "Fallback" ||
                                   (required && parser() && parser()->understandsPrefixes(required)));
                if (!take) {
                    skipElement();
                    return;
                }
                m_alternates.back() = true;
            }
        }
        break;
    case Ns::W14:
        contentControlElement(local, attributes);
        break;
    case Ns::Wx:
        if (local == "t" && parentTag() == Tag::ListPr && !m_story.paragraphs.empty()) {
            const char* value = attributes.get(Ns::Wx, "val");
            m_story.paragraphs.back()->legacyLabel = value ? value : "";
        }
        break;
    case Ns::Aml:
        // Word 2003 XML keeps comments and deletions as annotations.
        if (local == "annotation") {
            const std::string_view type = attrOr(attributes, "type");
            if (type == "Word.Comment" || type == "Word.Deletion") {
                skipElement();
                return;
            }
        }
        break;
    default:
        break;
    }
    m_tags.push(Tag::Other);
}

// To its family's start.
inline void StoryReader::openWordElement(Tag tag, Tag parent, TagFamily family,
                                         const XmlAttributes& attributes)
{
    switch (family) {
    case TagFamily::Story:
        startStoryElement(tag);
        break;
    case TagFamily::Paragraph:
        startParagraphElement(tag, parent, attributes);
        break;
    case TagFamily::Run:
        startRunElement(tag, parent, attributes);
        break;
    case TagFamily::Field:
        startFieldElement(tag, parent, attributes);
        break;
    case TagFamily::Table:
        startTableElement(tag, parent, attributes);
        break;
    case TagFamily::Note:
        startNoteElement(tag, parent, attributes);
        break;
    case TagFamily::Other:
    case TagFamily::Skipped:
        break;
    }
}

void StoryReader::startWordElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    // What needs more than opening the element and its family's start takes
    // a function of its own, so that the common path stays short.
    const TagFamily family = familyOf(tag);
    if (family == TagFamily::Skipped || family == TagFamily::Story ||
        (parent == Tag::P && tag != Tag::PPr && !m_story.paragraphs.empty() &&
         !m_story.paragraphs.back()->resolved)) {
        startWordElementApart(tag, parent, family, attributes);
        return;
    }
    m_tags.push(tag);
    openWordElement(tag, parent, family, attributes);
}

void StoryReader::startWordElementApart(Tag tag, Tag parent, TagFamily family,
                                        const XmlAttributes& attributes)
{
    // Elements skipped with everything inside them, and those read as a
    // story of their own, are taken care of before they are open.
    if (family == TagFamily::Skipped && skipWordElement(tag, parent, attributes))
        return;
    if (family == TagFamily::Story && startInterruption(tag, parent, attributes))
        return;
    m_tags.push(tag);

    // A paragraph's properties come first; once something else starts, they
    // are complete.
    if (parent == Tag::P && tag != Tag::PPr && !m_story.paragraphs.empty() &&
        !m_story.paragraphs.back()->resolved)
        resolveParagraph();
    openWordElement(tag, parent, family, attributes);
}

// Deleted and moved-away content, a phonetic guide's reading and content in
// another format are skipped with everything inside them. Returns whether
// the element was.
bool StoryReader::skipWordElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    switch (tag) {
    case Tag::Del:
    case Tag::MoveFrom: {
        const bool isProperty = parent == Tag::RPr || parent == Tag::PPr || parent == Tag::TrPr ||
                                parent == Tag::TcPr || parent == Tag::NumPr;
        if (parent == Tag::RPr && m_story.paragraphs.size() && m_tags.above(1) == Tag::PPr) {
            m_story.paragraphs.back()->markDeleted = true; // a deleted paragraph mark ([E1] 17.13.5.15)
        } else if (parent == Tag::TrPr && !m_tables.empty()) {
            m_tables.back()->rowDeleted = true;
        } else if (!isProperty) {
            skipElement(); // deleted or moved-away content ([E1] 17.13.5.14, 17.13.5.22)
            return true;
        }
        return false;
    }
    case Tag::DelText:
    case Tag::DelInstrText:
    case Tag::RubyText: // a phonetic guide's reading: only its base text is shown
        skipElement();
        return true;
    case Tag::AltChunk:
        // Content in another format, read where it stands ([E1] 17.17.2.1).
        if (m_part == Part::Document && m_context.importChunk && visible() && !m_containers.empty()) {
            flushCarry();
            if (const char* id = attributes.get(Ns::R, "id")) {
                if (Status status = m_context.importChunk(id, *m_containers.back()); !status) {
                    fail(status.error());
                    return true;
                }
            }
        }
        skipElement();
        return true;
    default:
        return false;
    }
}

void StoryReader::endElement(Ns ns, std::string_view local)
{
    if (m_skipDepth) {
        --m_skipDepth;
        return;
    }
    const Tag tag = m_tags.pop();
    if (ns == Ns::M && local == "t") {
        m_capture = false;
        return;
    }
    if (ns == Ns::Mc && local == "AlternateContent") {
        if (!m_alternates.empty())
            m_alternates.pop_back();
        return;
    }
    if (ns == Ns::W)
        endWordElement(tag);
}

void StoryReader::endWordElement(Tag tag)
{
    switch (familyOf(tag)) {
    case TagFamily::Story:
        endStoryElement(tag);
        break;
    case TagFamily::Paragraph:
        endParagraphElement(tag);
        break;
    case TagFamily::Run:
        endRunElement(tag);
        break;
    case TagFamily::Field:
        endFieldElement(tag);
        break;
    case TagFamily::Table:
        endTableElement(tag);
        break;
    case TagFamily::Note:
        endNoteElement(tag);
        break;
    case TagFamily::Other:
    case TagFamily::Skipped:
        break;
    }
}

void StoryReader::characters(std::string_view text)
{
    if (m_skipDepth)
        return;
    if (m_captureInstruction)
        captureInstruction(text);
    if (m_capture)
        appendText(text);
}

void StoryReader::captureInstruction(std::string_view text)
{
    if (m_story.fields.empty())
        return;
    std::string& instruction = m_story.fields.back().instruction;
    const std::size_t kept = fieldInstructionBytesKept(instruction);
    instruction.append(text.substr(0, kept - std::min(kept, instruction.size())));
}

} // namespace plainora::engine::docx
