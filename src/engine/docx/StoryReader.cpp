#include "StoryReader.h"

#include "EquationField.h"
#include "Limits.h"
#include "ListNumbering.h"
#include "StyleSheet.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>

namespace plainora::engine::docx {

enum class StoryReader::Tag : unsigned char {
    Other,
    Document,
    WordDocument,
    Body,
    P,
    PPr,
    PStyle,
    NumPr,
    Ilvl,
    NumId,
    RPr,
    R,
    T,
    InstrText,
    DelText,
    DelInstrText,
    RubyText,
    AltChunk,
    FootnotePr,
    EndnotePr,
    NumFmt,
    NumStart,
    NumRestart,
    Tab,
    PTab,
    Br,
    Cr,
    NoBreakHyphen,
    SoftHyphen,
    Sym,
    FootnoteReference,
    EndnoteReference,
    FldChar,
    Del,
    MoveFrom,
    Vanish,
    SpecVanish,
    RStyle,
    Tbl,
    Tr,
    Tc,
    TrPr,
    TcPr,
    VMerge,
    TxbxContent,
    Sdt,
    SdtContent,
    CheckBox,
    Default,
    Checked,
    DdList,
    ListEntry,
    Result,
    SectPr,
    HeaderReference,
    FooterReference,
    Footnote,
    Endnote,
    Comment,
    Hdr,
    Ftr,
    ListPr,
};

struct StoryReader::Paragraph
{
    std::string text;
    std::vector<Block> anchored; // text boxes, after the paragraph
    std::string style;
    std::optional<int> numId;
    std::optional<int> level;
    std::optional<bool> markVanish;
    bool markDeleted = false;
    bool resolved = false;
    bool hiddenByStyle = false;
    bool markGone = false;
    std::optional<std::string> legacyLabel; // Word 2003 XML: the label as Word displayed it
};

struct StoryReader::Table
{
    std::vector<TableRow> rows;
    TableRow row;
    TableCell cell;
    bool rowDeleted = false;
    bool mergeContinue = false;
};

struct StoryReader::Field
{
    bool inResult = false;
    enum class Kind { Plain, CheckBox, DropDown } kind = Kind::Plain;
    std::optional<bool> checkDefault;
    std::optional<bool> checked;
    std::vector<std::string> entries;
    int entryDefault = 0;
    std::optional<int> entryResult;
    std::string instruction;  // its start, or an equation whole
    bool resultShown = false; // the result gave text
};

struct StoryReader::ContentControl
{
    bool checkBox = false;
    bool checked = false;
    bool suppressing = false;
};

// The state of the story a text box or an inline note interrupts.
struct StoryReader::SavedStory
{
    std::vector<std::unique_ptr<Paragraph>> paragraphs;
    std::vector<Field> fields;
    int codeFields = 0;
    bool inRun = false;
    std::optional<bool> runVanish;
    bool runStyleHidden = false;
    bool carry = false;
    std::string carryText;
    std::vector<Block> carryBlocks;
    std::unique_ptr<std::vector<Block>> blocks; // what the interruption reads
    std::size_t tagDepth = 0;                   // of the interrupting element
    std::size_t containerDepth = 0;             // below the interruption's own container
    enum class Kind { TextBox, Note, HeaderFooter } kind = Kind::TextBox;
};

namespace {

const char* kNoAttributes[] = {nullptr};

// A note mark not yet numbered: control characters XML text cannot hold
// around its index into StoryContext::pendingMarks.
constexpr char kMarkStart[] = "\x01";
constexpr char kMarkEnd = '\x02';

void replacePendingMarks(std::vector<Block>& blocks, const std::vector<std::string>& marks)
{
    for (Block& block : blocks) {
        for (TableRow& row : block.rows)
            for (TableCell& cell : row.cells)
                replacePendingMarks(cell.blocks, marks);
        std::string& text = block.text;
        if (text.find(kMarkStart[0]) == std::string::npos)
            continue;
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = text.find(kMarkStart[0]); at != std::string::npos;
             at = text.find(kMarkStart[0], from)) {
            const std::size_t end = text.find(kMarkEnd, at);
            std::size_t index = marks.size();
            if (end != std::string::npos)
                std::from_chars(text.data() + at + 1, text.data() + end, index);
            out.append(text, from, at - from);
            if (index < marks.size()) {
                out += marks[index];
                from = end + 1;
            } else {
                from = at + 1;
            }
        }
        out.append(text, from);
        text = std::move(out);
    }
}

std::string_view attrOr(const XmlAttributes& attributes, std::string_view local,
                        std::string_view fallback = {})
{
    const char* value = attributes.get(Ns::W, local);
    return value ? std::string_view(value) : fallback;
}

} // namespace

void applyNoteProperty(NoteNumbering& numbering, std::string_view local, const char* value)
{
    if (!value)
        return;
    if (local == "numFmt") {
        numbering.format = numberFormatFromOoxml(value);
        if (numbering.format == NumberFormat::Bullet || numbering.format == NumberFormat::None)
            numbering.format = NumberFormat::Decimal; // as Word does ([OI29500] 2.1.306)
    } else if (local == "numStart") {
        numbering.start = std::clamp(intValue(value, 1), 0, 32767);
    } else if (local == "numRestart") {
        numbering.restartEachSection = std::string_view(value) == "eachSect";
    }
}

StoryReader::Tag StoryReader::tagOf(std::string_view local)
{
    static const std::unordered_map<std::string_view, Tag> kTags{
        {"document", Tag::Document},
        {"wordDocument", Tag::WordDocument},
        {"body", Tag::Body},
        {"p", Tag::P},
        {"pPr", Tag::PPr},
        {"pStyle", Tag::PStyle},
        {"numPr", Tag::NumPr},
        {"ilvl", Tag::Ilvl},
        {"numId", Tag::NumId},
        {"rPr", Tag::RPr},
        {"r", Tag::R},
        {"t", Tag::T},
        {"instrText", Tag::InstrText},
        {"delText", Tag::DelText},
        {"delInstrText", Tag::DelInstrText},
        {"rt", Tag::RubyText},
        {"altChunk", Tag::AltChunk},
        {"footnotePr", Tag::FootnotePr},
        {"endnotePr", Tag::EndnotePr},
        {"numFmt", Tag::NumFmt},
        {"numStart", Tag::NumStart},
        {"numRestart", Tag::NumRestart},
        {"tab", Tag::Tab},
        {"ptab", Tag::PTab},
        {"br", Tag::Br},
        {"cr", Tag::Cr},
        {"noBreakHyphen", Tag::NoBreakHyphen},
        {"softHyphen", Tag::SoftHyphen},
        {"sym", Tag::Sym},
        {"footnoteReference", Tag::FootnoteReference},
        {"endnoteReference", Tag::EndnoteReference},
        {"fldChar", Tag::FldChar},
        {"del", Tag::Del},
        {"moveFrom", Tag::MoveFrom},
        {"vanish", Tag::Vanish},
        {"specVanish", Tag::SpecVanish},
        {"rStyle", Tag::RStyle},
        {"tbl", Tag::Tbl},
        {"tr", Tag::Tr},
        {"tc", Tag::Tc},
        {"trPr", Tag::TrPr},
        {"tcPr", Tag::TcPr},
        {"vMerge", Tag::VMerge},
        {"txbxContent", Tag::TxbxContent},
        {"sdt", Tag::Sdt},
        {"sdtContent", Tag::SdtContent},
        {"checkBox", Tag::CheckBox},
        {"default", Tag::Default},
        {"checked", Tag::Checked},
        {"ddList", Tag::DdList},
        {"listEntry", Tag::ListEntry},
        {"result", Tag::Result},
        {"sectPr", Tag::SectPr},
        {"headerReference", Tag::HeaderReference},
        {"footerReference", Tag::FooterReference},
        {"footnote", Tag::Footnote},
        {"endnote", Tag::Endnote},
        {"comment", Tag::Comment},
        {"hdr", Tag::Hdr},
        {"ftr", Tag::Ftr},
        {"listPr", Tag::ListPr},
    };
    const auto it = kTags.find(local);
    return it == kTags.end() ? Tag::Other : it->second;
}

StoryReader::StoryReader(StoryContext& context, Part part, std::vector<Block>* out)
    : m_context(context), m_part(part)
{
    if (out)
        m_containers.push_back(out);
}

StoryReader::~StoryReader() = default;

StoryReader::Tag StoryReader::parentTag() const
{
    return m_tags.empty() ? Tag::Other : m_tags.back();
}

void StoryReader::fail(Error error)
{
    if (parser())
        parser()->fail(std::move(error));
}

bool StoryReader::visible() const
{
    return m_codeFields == 0 && m_suppressed == 0;
}

bool StoryReader::runVisible() const
{
    if (!visible())
        return false;
    if (!m_inRun)
        return true;
    if (m_runVanish)
        return !*m_runVanish;
    if (m_runStyleHidden)
        return false;
    return m_paragraphs.empty() || !m_paragraphs.back()->hiddenByStyle;
}

void StoryReader::appendText(std::string_view text)
{
    if (m_customMarkNote) {
        m_customMarkText.append(text);
        return;
    }
    if (m_paragraphs.empty())
        return;
    if (!m_fields.empty())
        m_fields.back().resultShown = true;
    if (Status status = m_context.text.spend(text.size()); !status) {
        fail(status.error());
        return;
    }
    m_paragraphs.back()->text.append(text);
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

// A paragraph whose mark went away at the end of its container still shows
// its text.
void StoryReader::flushCarry()
{
    if (!m_carry)
        return;
    m_carry = false;
    if (m_containers.empty() || (m_carryText.empty() && m_carryBlocks.empty()))
        return;
    std::vector<Block>& out = *m_containers.back();
    if (!m_carryText.empty())
        out.push_back(Block::paragraph(std::move(m_carryText)));
    for (Block& block : m_carryBlocks)
        out.push_back(std::move(block));
    m_carryText.clear();
    m_carryBlocks.clear();
}

void StoryReader::startParagraph()
{
    auto paragraph = std::make_unique<Paragraph>();
    if (m_carry) {
        paragraph->text = std::move(m_carryText);
        paragraph->anchored = std::move(m_carryBlocks);
        m_carryText.clear();
        m_carryBlocks.clear();
        m_carry = false;
    }
    paragraph->text += m_pendingPrefix;
    m_pendingPrefix.clear();
    m_paragraphs.push_back(std::move(paragraph));
}

// Once the paragraph properties are known: style-inherited hiding and the
// list label ([E1] 17.9.23 numbering through a paragraph style).
void StoryReader::resolveParagraph()
{
    if (m_paragraphs.empty() || m_paragraphs.back()->resolved)
        return;
    Paragraph& paragraph = *m_paragraphs.back();
    paragraph.resolved = true;
    const StyleSheet* styles = m_context.styles;
    std::string style = paragraph.style;
    if (style.empty() && styles)
        style = styles->defaultParagraphStyle();
    paragraph.hiddenByStyle = styles && !style.empty() && styles->hides(style);
    paragraph.markGone = paragraph.markDeleted || paragraph.markVanish.value_or(paragraph.hiddenByStyle);
    if (paragraph.markGone)
        return; // joins the next paragraph, which carries the label

    std::string label;
    if (paragraph.legacyLabel) {
        label = *paragraph.legacyLabel + "\t";
    } else if (m_context.numbering) {
        if (paragraph.numId) {
            label = m_context.numbering->nextLabel(*paragraph.numId, paragraph.level.value_or(0));
        } else if (styles && !style.empty()) {
            if (const auto numbering = styles->numbering(style)) {
                const int level =
                    paragraph.level
                        ? *paragraph.level
                        : m_context.numbering->levelForStyle(numbering->numId, style, numbering->level);
                label = m_context.numbering->nextLabel(numbering->numId, level);
            }
        }
    }
    if (!label.empty())
        paragraph.text.insert(0, label);
}

void StoryReader::endParagraph()
{
    if (m_paragraphs.empty())
        return;
    resolveParagraph();
    std::unique_ptr<Paragraph> paragraph = std::move(m_paragraphs.back());
    m_paragraphs.pop_back();
    if (paragraph->markGone) {
        m_carry = true;
        m_carryText = std::move(paragraph->text);
        m_carryBlocks = std::move(paragraph->anchored);
        return;
    }
    if (m_containers.empty())
        return;
    std::vector<Block>& out = *m_containers.back();
    out.push_back(Block::paragraph(std::move(paragraph->text)));
    for (Block& block : paragraph->anchored)
        out.push_back(std::move(block));
}

void StoryReader::interrupt(int kind)
{
    auto saved = std::make_unique<SavedStory>();
    saved->kind = static_cast<SavedStory::Kind>(kind);
    saved->paragraphs = std::move(m_paragraphs);
    saved->fields = std::move(m_fields);
    saved->codeFields = m_codeFields;
    saved->inRun = m_inRun;
    saved->runVanish = m_runVanish;
    saved->runStyleHidden = m_runStyleHidden;
    saved->carry = m_carry;
    saved->carryText = std::move(m_carryText);
    saved->carryBlocks = std::move(m_carryBlocks);
    saved->blocks = std::make_unique<std::vector<Block>>();
    saved->tagDepth = m_tags.size();
    saved->containerDepth = m_containers.size();
    m_paragraphs.clear();
    m_fields.clear();
    m_codeFields = 0;
    m_inRun = false;
    m_runVanish.reset();
    m_runStyleHidden = false;
    m_carry = false;
    m_carryText.clear();
    m_carryBlocks.clear();
    pushContainer(saved->blocks.get());
    m_interruptions.push_back(std::move(saved));
}

bool StoryReader::endsInterruption() const
{
    // The element's tag is already popped when it ends.
    return !m_interruptions.empty() && m_interruptions.back()->tagDepth == m_tags.size() + 1;
}

std::vector<Block> StoryReader::resume()
{
    while (!m_paragraphs.empty())
        endParagraph();
    // Containers a damaged interruption left open go with it, so that none
    // outlives the blocks it points into.
    flushCarry();
    m_containers.resize(std::min(m_containers.size(), m_interruptions.back()->containerDepth));
    std::unique_ptr<SavedStory> saved = std::move(m_interruptions.back());
    m_interruptions.pop_back();
    m_paragraphs = std::move(saved->paragraphs);
    m_fields = std::move(saved->fields);
    m_codeFields = saved->codeFields;
    m_inRun = saved->inRun;
    m_runVanish = saved->runVanish;
    m_runStyleHidden = saved->runStyleHidden;
    m_carry = saved->carry;
    m_carryText = std::move(saved->carryText);
    m_carryBlocks = std::move(saved->carryBlocks);
    return std::move(*saved->blocks);
}

void StoryReader::noteReference(bool endnote, const XmlAttributes& attributes)
{
    Document& document = *m_context.document;
    std::vector<Note>& notes = endnote ? document.endnotes : document.footnotes;
    const int id = intValue(attributes.get(Ns::W, "id"), -1);
    const std::size_t index = notes.size();
    notes.push_back(Note{});
    (endnote ? m_context.endnoteIndexes : m_context.footnoteIndexes).emplace(id, index);
    if (onOff(attributes.get(Ns::W, "customMarkFollows")) && attributes.get(Ns::W, "customMarkFollows")) {
        // The rest of the run is the mark ([E1] 17.11.14).
        m_customMarkNote = &notes;
        m_customMarkIndex = index;
        m_customMarkText.clear();
        return;
    }
    if (m_part != Part::Document) {
        // Headers, footers and comments are read after the body: its marks are known.
        NoteCounter& counter = endnote ? m_context.endnoteCounter : m_context.footnoteCounter;
        notes[index].mark = counter.next(endnote ? m_context.endnoteNumbering : m_context.footnoteNumbering,
                                         m_context.section);
        appendText("[" + notes[index].mark + "]");
        return;
    }
    appendText(kMarkStart + std::to_string(m_context.pendingMarks.size()) + kMarkEnd);
    m_context.pendingMarks.push_back({endnote, index, m_context.section});
}

// Numbers the body's notes once every section's properties are known and
// puts their marks in place of the placeholders.
void StoryReader::resolveNoteMarks()
{
    if (m_context.pendingMarks.empty())
        return;
    Document& document = *m_context.document;
    std::vector<std::string> marks;
    marks.reserve(m_context.pendingMarks.size());
    for (const StoryContext::PendingMark& pending : m_context.pendingMarks) {
        const auto section = static_cast<std::size_t>(pending.section);
        const bool known = section < m_context.sectionNumbering.size();
        const NoteNumbering& numbering =
            pending.endnote
                ? (known ? m_context.sectionNumbering[section].second : m_context.endnoteNumbering)
                : (known ? m_context.sectionNumbering[section].first : m_context.footnoteNumbering);
        NoteCounter& counter = pending.endnote ? m_context.endnoteCounter : m_context.footnoteCounter;
        std::string mark = counter.next(numbering, pending.section);
        std::vector<Note>& notes = pending.endnote ? document.endnotes : document.footnotes;
        if (pending.note < notes.size())
            notes[pending.note].mark = mark;
        marks.push_back("[" + mark + "]");
    }
    m_context.pendingMarks.clear();
    replacePendingMarks(document.body, marks);
    for (std::vector<Block>& blocks : document.headersFooters) // Word 2003 XML keeps them in the body
        replacePendingMarks(blocks, marks);
}

void StoryReader::endSection()
{
    if (m_sectionNumbering) {
        const auto section = static_cast<std::size_t>(m_context.section);
        if (m_context.sectionNumbering.size() <= section)
            m_context.sectionNumbering.resize(section + 1,
                                              {m_context.footnoteNumbering, m_context.endnoteNumbering});
        m_context.sectionNumbering[section] = *m_sectionNumbering;
        m_sectionNumbering.reset();
    }
    ++m_context.section;
}

void StoryReader::finishCustomMark()
{
    if (!m_customMarkNote)
        return;
    std::vector<Note>& notes = *m_customMarkNote;
    m_customMarkNote = nullptr;
    if (m_customMarkIndex < notes.size())
        notes[m_customMarkIndex].mark = m_customMarkText;
    appendText("[" + m_customMarkText + "]");
    m_customMarkText.clear();
}

// A note of the notes part, read only when the body refers to it; the
// separators Word keeps there are not notes ([E1] 17.11.10).
void StoryReader::startNoteStory(const XmlAttributes& attributes)
{
    const std::string_view type = attrOr(attributes, "type", "normal");
    const int id = intValue(attributes.get(Ns::W, "id"), -1);
    const auto& indexes = m_part == Part::Endnotes ? m_context.endnoteIndexes : m_context.footnoteIndexes;
    const auto [first, last] = indexes.equal_range(id);
    if (type != "normal" || first == last) {
        skipElement();
        return;
    }
    m_noteTargets.clear();
    for (auto it = first; it != last; ++it)
        m_noteTargets.push_back(it->second);
    m_tags.push_back(Tag::Footnote);
    interrupt(static_cast<int>(SavedStory::Kind::Note));
}

void StoryReader::fieldCharacter(const XmlAttributes& attributes)
{
    const std::string_view type = attrOr(attributes, "fldCharType");
    if (type == "begin") {
        if (m_fields.size() >= static_cast<std::size_t>(limits::kMaxFieldNesting)) {
            fail(makeError(ErrorCode::TooLarge, "The document nests fields more than " +
                                                    std::to_string(limits::kMaxFieldNesting) +
                                                    " deep, more than Plainora reads."));
            return;
        }
        m_fields.push_back(Field{});
        ++m_codeFields;
    } else if (type == "separate") {
        if (!m_fields.empty() && !m_fields.back().inResult) {
            m_fields.back().inResult = true;
            --m_codeFields;
        }
    } else if (type == "end") {
        if (m_fields.empty())
            return;
        Field field = std::move(m_fields.back());
        m_fields.pop_back();
        if (!field.inResult)
            --m_codeFields;
        if (!runVisible())
            return;
        // Form fields without a result show their state ([E1] 17.16.7, 17.16.9).
        if (field.kind == Field::Kind::CheckBox) {
            appendText(field.checked.value_or(field.checkDefault.value_or(false)) ? "[X]" : "[ ]");
        } else if (field.kind == Field::Kind::DropDown && !field.entries.empty()) {
            const int index = field.entryResult.value_or(field.entryDefault);
            if (index >= 0 && static_cast<std::size_t>(index) < field.entries.size())
                appendText(field.entries[static_cast<std::size_t>(index)]);
        } else if (!field.resultShown) {
            // A phonetic guide: Word draws it, so only its instruction says what it shows.
            if (const auto shown = equationFieldText(field.instruction))
                appendText(*shown);
        }
    }
}

void StoryReader::startElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    if (m_skipDepth) {
        ++m_skipDepth;
        return;
    }
    if (!m_sawRoot && !(ns == Ns::Other && local == "plainora-part")) {
        m_sawRoot = true;
        m_rootName = std::string(local);
        const Tag root = ns == Ns::W ? tagOf(local) : Tag::Other;
        m_sawWordRoot = ns == Ns::W;
        if (m_part == Part::Document && root != Tag::Document && root != Tag::WordDocument) {
            fail(makeError(ErrorCode::NotAWordDocument, "its main part holds <" + m_rootName + ">"));
            return;
        }
    }

    switch (ns) {
    case Ns::W: {
        const Tag tag = tagOf(local);
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
        if (!m_controls.empty() && local == "checkbox") {
            m_controls.back().checkBox = true;
        } else if (!m_controls.empty() && local == "checked") {
            const char* value = attributes.get(Ns::W14, "val");
            m_controls.back().checked =
                value && (std::strcmp(value, "1") == 0 || std::strcmp(value, "true") == 0);
        }
        break;
    case Ns::Wx:
        if (local == "t" && parentTag() == Tag::ListPr && !m_paragraphs.empty()) {
            const char* value = attributes.get(Ns::Wx, "val");
            m_paragraphs.back()->legacyLabel = value ? value : "";
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
    m_tags.push_back(Tag::Other);
}

void StoryReader::startWordElement(Tag tag, Tag parent, const XmlAttributes& attributes)
{
    // Elements that are skipped with everything inside them.
    const bool isProperty = parent == Tag::RPr || parent == Tag::PPr || parent == Tag::TrPr ||
                            parent == Tag::TcPr || parent == Tag::NumPr;
    switch (tag) {
    case Tag::Del:
    case Tag::MoveFrom:
        if (parent == Tag::RPr && m_paragraphs.size() && m_tags.size() >= 2 &&
            m_tags[m_tags.size() - 2] == Tag::PPr) {
            m_paragraphs.back()->markDeleted = true; // a deleted paragraph mark ([E1] 17.13.5.15)
        } else if (parent == Tag::TrPr && !m_tables.empty()) {
            m_tables.back()->rowDeleted = true;
        } else if (!isProperty) {
            skipElement(); // deleted or moved-away content ([E1] 17.13.5.14, 17.13.5.22)
            return;
        }
        break;
    case Tag::DelText:
    case Tag::DelInstrText:
    case Tag::RubyText: // a phonetic guide's reading: only its base text is shown
        skipElement();
        return;
    case Tag::AltChunk:
        // Content in another format, read where it stands ([E1] 17.17.2.1).
        if (m_part == Part::Document && m_context.importChunk && visible() && !m_containers.empty()) {
            flushCarry();
            if (const char* id = attributes.get(Ns::R, "id")) {
                if (Status status = m_context.importChunk(id, *m_containers.back()); !status) {
                    fail(status.error());
                    return;
                }
            }
        }
        skipElement();
        return;
    case Tag::Hdr:
    case Tag::Ftr:
        if (m_part == Part::HeaderFooter)
            break;
        // Word 2003 XML keeps headers and footers in the section properties.
        if (!m_context.options.includeHeadersFooters || m_part != Part::Document) {
            skipElement();
            return;
        }
        m_tags.push_back(tag);
        interrupt(static_cast<int>(SavedStory::Kind::HeaderFooter));
        return;
    case Tag::Footnote:
    case Tag::Endnote:
        if (m_part == Part::Footnotes || m_part == Part::Endnotes) {
            startNoteStory(attributes);
            return;
        }
        if (parent == Tag::R && m_part == Part::Document) {
            // Word 2003 XML writes the note where it is referenced.
            if (!runVisible()) {
                skipElement();
                return;
            }
            const bool endnote = tag == Tag::Endnote;
            noteReference(endnote, XmlAttributes(kNoAttributes));
            m_noteTargets.assign(
                1, (endnote ? m_context.document->endnotes : m_context.document->footnotes).size() - 1);
            m_inlineNoteIsEndnote = endnote;
            m_tags.push_back(tag);
            interrupt(static_cast<int>(SavedStory::Kind::Note));
            return;
        }
        break;
    case Tag::Comment:
        if (m_part == Part::Comments) {
            m_context.document->comments.push_back(
                Note{std::to_string(m_context.document->comments.size() + 1), {}});
            m_tags.push_back(tag);
            interrupt(static_cast<int>(SavedStory::Kind::Note));
            return;
        }
        break;
    default:
        break;
    }
    m_tags.push_back(tag);

    // A paragraph's properties come first; once something else starts, they
    // are complete.
    if (parent == Tag::P && tag != Tag::PPr)
        resolveParagraph();

    switch (tag) {
    case Tag::Body:
        if (m_part == Part::Document)
            pushContainer(&m_context.document->body);
        break;
    case Tag::Hdr:
    case Tag::Ftr:
        break;
    case Tag::P:
        startParagraph();
        break;
    case Tag::PStyle:
        if (parent == Tag::PPr && !m_paragraphs.empty())
            m_paragraphs.back()->style = attrOr(attributes, "val");
        break;
    case Tag::NumId:
        if (parent == Tag::NumPr && !m_paragraphs.empty() && m_tags.size() >= 3 &&
            m_tags[m_tags.size() - 3] == Tag::PPr)
            m_paragraphs.back()->numId = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::Ilvl:
        if (parent == Tag::NumPr && !m_paragraphs.empty() && m_tags.size() >= 3 &&
            m_tags[m_tags.size() - 3] == Tag::PPr)
            m_paragraphs.back()->level = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::Vanish:
    case Tag::SpecVanish:
        if (parent != Tag::RPr)
            break;
        if (m_tags.size() >= 3 && m_tags[m_tags.size() - 3] == Tag::PPr) {
            if (!m_paragraphs.empty())
                m_paragraphs.back()->markVanish = onOff(attributes.get(Ns::W, "val"));
        } else if (m_inRun) {
            m_runVanish = onOff(attributes.get(Ns::W, "val"));
        }
        break;
    case Tag::RStyle:
        if (parent == Tag::RPr && m_inRun && m_context.styles)
            m_runStyleHidden = m_context.styles->hides(std::string(attrOr(attributes, "val")));
        break;
    case Tag::R:
        m_inRun = true;
        m_runVanish.reset();
        m_runStyleHidden = false;
        break;
    case Tag::T:
    case Tag::InstrText:
        m_capture = runVisible();
        m_captureInstruction = tag == Tag::InstrText && !m_fields.empty() && !m_fields.back().inResult;
        break;
    case Tag::Tab:
    case Tag::PTab:
        if (parent == Tag::R && runVisible())
            appendText("\t");
        break;
    case Tag::Br:
    case Tag::Cr:
        if (parent == Tag::R && runVisible())
            appendText("\n");
        break;
    case Tag::NoBreakHyphen:
        if (runVisible())
            appendText("-");
        break;
    case Tag::Sym:
        if (runVisible()) {
            // w:char is hexadecimal, often F0xx for a symbol font's byte ([E1] 17.3.3.30).
            const std::string_view hex = attrOr(attributes, "char");
            unsigned code = 0;
            const auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
            if (ec == std::errc() && code > 0 && code <= 0x10FFFF)
                appendCodePoint(
                    mapSymbolFontCharacter(attrOr(attributes, "font"), static_cast<char32_t>(code)));
        }
        break;
    case Tag::FootnoteReference:
    case Tag::EndnoteReference:
        if (m_part != Part::Footnotes && m_part != Part::Endnotes && runVisible())
            noteReference(tag == Tag::EndnoteReference, attributes);
        break;
    case Tag::FldChar:
        fieldCharacter(attributes);
        break;
    case Tag::CheckBox:
        if (!m_fields.empty())
            m_fields.back().kind = Field::Kind::CheckBox;
        break;
    case Tag::DdList:
        if (!m_fields.empty())
            m_fields.back().kind = Field::Kind::DropDown;
        break;
    case Tag::Default:
        if (!m_fields.empty() && parent == Tag::CheckBox)
            m_fields.back().checkDefault = onOff(attributes.get(Ns::W, "val"));
        else if (!m_fields.empty() && parent == Tag::DdList)
            m_fields.back().entryDefault = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::Checked:
        if (!m_fields.empty() && parent == Tag::CheckBox)
            m_fields.back().checked = onOff(attributes.get(Ns::W, "val"));
        break;
    case Tag::Result:
        if (!m_fields.empty() && parent == Tag::DdList)
            m_fields.back().entryResult = intValue(attributes.get(Ns::W, "val"), 0);
        break;
    case Tag::ListEntry:
        if (!m_fields.empty() && parent == Tag::DdList && m_fields.back().entries.size() < 256)
            m_fields.back().entries.emplace_back(attrOr(attributes, "val"));
        break;
    case Tag::Sdt:
        m_controls.push_back(ContentControl{});
        break;
    case Tag::SdtContent:
        if (!m_controls.empty() && m_controls.back().checkBox) {
            // The content is the box's glyph; show its state instead.
            if (runVisible()) {
                const char* label = m_controls.back().checked ? "[X]" : "[ ]";
                if (m_paragraphs.empty())
                    m_pendingPrefix += label;
                else
                    appendText(label);
            }
            m_controls.back().suppressing = true;
            ++m_suppressed;
        }
        break;
    case Tag::Tbl:
        flushCarry();
        if (m_tables.size() >= static_cast<std::size_t>(limits::kMaxTableNesting)) {
            fail(makeError(ErrorCode::TooLarge, "The document nests tables more than " +
                                                    std::to_string(limits::kMaxTableNesting) +
                                                    " deep, more than Plainora reads."));
            return;
        }
        m_tables.push_back(std::make_unique<Table>());
        break;
    case Tag::Tr:
        if (!m_tables.empty()) {
            m_tables.back()->row = TableRow{};
            m_tables.back()->rowDeleted = false;
        }
        break;
    case Tag::Tc:
        if (!m_tables.empty()) {
            Table& table = *m_tables.back();
            table.cell = TableCell{};
            table.mergeContinue = false;
            pushContainer(&table.cell.blocks);
        }
        break;
    case Tag::VMerge:
        if (parent == Tag::TcPr && !m_tables.empty()) {
            // Omitted w:val means continue ([E1] 17.4.84).
            m_tables.back()->mergeContinue = attrOr(attributes, "val", "continue") == "continue";
        }
        break;
    case Tag::TxbxContent:
        interrupt(static_cast<int>(SavedStory::Kind::TextBox));
        break;
    case Tag::SectPr:
        // A section's properties sit in its last paragraph's or, for the
        // last section, at the body's end ([E1] 17.6.17); a revision's old
        // properties (w:sectPrChange) do not count.
        if (m_part == Part::Document && (parent == Tag::PPr || parent == Tag::Body))
            m_sectionNumbering.emplace(m_context.footnoteNumbering, m_context.endnoteNumbering);
        break;
    case Tag::FootnotePr:
    case Tag::EndnotePr:
        m_notePropertiesOfEndnotes = tag == Tag::EndnotePr;
        break;
    case Tag::NumFmt:
    case Tag::NumStart:
    case Tag::NumRestart:
        if ((parent == Tag::FootnotePr || parent == Tag::EndnotePr) && m_sectionNumbering &&
            m_tags.size() >= 3 && m_tags[m_tags.size() - 3] == Tag::SectPr) {
            applyNoteProperty(m_notePropertiesOfEndnotes ? m_sectionNumbering->second
                                                         : m_sectionNumbering->first,
                              tag == Tag::NumFmt     ? "numFmt"
                              : tag == Tag::NumStart ? "numStart"
                                                     : "numRestart",
                              attributes.get(Ns::W, "val"));
        }
        break;
    case Tag::HeaderReference:
    case Tag::FooterReference:
        if (parent == Tag::SectPr && m_part == Part::Document && m_context.options.includeHeadersFooters) {
            if (const char* id = attributes.get(Ns::R, "id"))
                m_context.headerFooterIds.emplace_back(id);
        }
        break;
    default:
        break;
    }
}

void StoryReader::endElement(Ns ns, std::string_view local)
{
    if (m_skipDepth) {
        --m_skipDepth;
        return;
    }
    const Tag tag = m_tags.empty() ? Tag::Other : m_tags.back();
    if (!m_tags.empty())
        m_tags.pop_back();
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
    switch (tag) {
    case Tag::Body:
        if (m_part == Part::Document) {
            while (!m_paragraphs.empty())
                endParagraph();
            popContainer();
            resolveNoteMarks();
        }
        break;
    case Tag::P:
        endParagraph();
        if (m_sectionEndsWithParagraph) {
            m_sectionEndsWithParagraph = false;
            endSection();
        }
        break;
    case Tag::SectPr:
        if (m_sectionNumbering) {
            if (parentTag() == Tag::PPr)
                m_sectionEndsWithParagraph = true; // the paragraph's text is still the section's
            else
                endSection();
        }
        break;
    case Tag::PPr:
        resolveParagraph();
        break;
    case Tag::R:
        finishCustomMark();
        m_inRun = false;
        m_runVanish.reset();
        m_runStyleHidden = false;
        break;
    case Tag::T:
    case Tag::InstrText:
        m_capture = false;
        m_captureInstruction = false;
        break;
    case Tag::Sdt:
        if (!m_controls.empty())
            m_controls.pop_back();
        break;
    case Tag::SdtContent:
        if (!m_controls.empty() && m_controls.back().suppressing) {
            m_controls.back().suppressing = false;
            --m_suppressed;
        }
        break;
    case Tag::Tc:
        if (!m_tables.empty()) {
            popContainer();
            Table& table = *m_tables.back();
            // A vertically merged cell shows its text once, in its first
            // row; the continuations stay as empty cells so that the columns
            // below keep their place, as the binary and RTF readers do.
            if (table.mergeContinue)
                table.cell.blocks.clear();
            table.row.cells.push_back(std::move(table.cell));
        }
        break;
    case Tag::Tr:
        if (!m_tables.empty()) {
            Table& table = *m_tables.back();
            if (!table.rowDeleted && !table.row.cells.empty())
                table.rows.push_back(std::move(table.row));
        }
        break;
    case Tag::Tbl:
        if (!m_tables.empty()) {
            std::unique_ptr<Table> table = std::move(m_tables.back());
            m_tables.pop_back();
            if (!table->rows.empty() && !m_containers.empty())
                m_containers.back()->push_back(Block::table(std::move(table->rows)));
        }
        break;
    case Tag::TxbxContent:
        if (endsInterruption()) {
            std::vector<Block> blocks = resume();
            std::vector<Block>& target = m_paragraphs.empty()
                                             ? (m_containers.empty() ? blocks : *m_containers.back())
                                             : m_paragraphs.back()->anchored;
            if (&target != &blocks) {
                for (Block& block : blocks)
                    target.push_back(std::move(block));
            }
        }
        break;
    case Tag::Footnote:
    case Tag::Endnote:
    case Tag::Comment:
        if (endsInterruption()) {
            std::vector<Block> blocks = resume();
            // The note's own mark (w:footnoteRef) and the space after it are
            // shown by the "[n] " prefix.
            if (!blocks.empty() && blocks.front().kind == Block::Kind::Paragraph) {
                std::string& text = blocks.front().text;
                text.erase(0, text.find_first_not_of(" \t"));
            }
            Document& document = *m_context.document;
            if (tag == Tag::Comment) {
                if (!document.comments.empty())
                    document.comments.back().blocks = std::move(blocks);
                break;
            }
            const bool endnote =
                m_part == Part::Endnotes || (m_part == Part::Document && m_inlineNoteIsEndnote);
            std::vector<Note>& notes = endnote ? document.endnotes : document.footnotes;
            for (std::size_t index : m_noteTargets) {
                if (index < notes.size())
                    notes[index].blocks = blocks;
            }
        }
        break;
    case Tag::Hdr:
    case Tag::Ftr:
        if (m_part == Part::HeaderFooter) {
            while (!m_paragraphs.empty())
                endParagraph();
            flushCarry();
        } else if (endsInterruption()) {
            m_context.document->headersFooters.push_back(resume());
        }
        break;
    default:
        break;
    }
}

void StoryReader::characters(std::string_view text)
{
    if (m_captureInstruction && !m_skipDepth && !m_fields.empty()) {
        std::string& instruction = m_fields.back().instruction;
        const std::size_t kept = fieldInstructionBytesKept(instruction);
        instruction.append(text.substr(0, kept - std::min(kept, instruction.size())));
    }
    if (m_capture && !m_skipDepth)
        appendText(text);
}

} // namespace plainora::engine::docx
