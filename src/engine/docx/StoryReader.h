#pragma once
// Reads WordprocessingML stories (the body, notes, comments, headers and
// footers, and Word 2003 XML) into the document model, as the plain-text
// layout wants them: fields as their results, revisions accepted, hidden
// text dropped, list labels computed, note marks "[n]", text boxes after
// the paragraph that anchors them.

#include "engine/Document.h"
#include "engine/NumberFormat.h"
#include "engine/Options.h"
#include "engine/TextBudget.h"
#include "engine/docx/StoryTags.h"
#include "engine/docx/XmlParser.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plainora::engine::docx {

class ListNumbering;
class StyleSheet;

// What the stories of one document share.
struct StoryContext
{
    const StyleSheet* styles = nullptr;
    ListNumbering* numbering = nullptr;
    ReadOptions options;
    Document* document = nullptr;

    // The document's note numbering (settings part); each section may
    // change it in its own properties.
    NoteNumbering footnoteNumbering;
    NoteNumbering endnoteNumbering{NumberFormat::LowerRoman}; // Word's default ([OI29500] 2.1.306)
    // A section's properties end it, so the body's note marks are known
    // only once the body is read; until then each stands in its text as a
    // placeholder (see StoryReader::resolveNoteMarks).
    struct PendingMark
    {
        bool endnote = false;
        std::size_t note = 0; // index into document->footnotes / endnotes
        int section = 0;
    };
    std::vector<PendingMark> pendingMarks;
    std::vector<std::pair<NoteNumbering, NoteNumbering>> sectionNumbering; // footnotes, endnotes
    int section = 0;
    NoteCounter footnoteCounter;
    NoteCounter endnoteCounter;
    // Note id -> indexes into document->footnotes / endnotes, in reference order.
    std::multimap<int, std::size_t> footnoteIndexes;
    std::multimap<int, std::size_t> endnoteIndexes;
    // Reads the chunk (w:altChunk) a relationship of the main part names
    // into the blocks; unset where chunks are not read.
    std::function<Status(std::string_view relationshipId, std::vector<Block>& into)> importChunk;
    // w:headerReference / w:footerReference r:ids in document order.
    std::vector<std::string> headerFooterIds;
    TextBudget text;
};

// Applies a child of w:footnotePr or w:endnotePr ([E1] 17.11.11, 17.11.17-17.11.20).
void applyNoteProperty(NoteNumbering& numbering, std::string_view local, const char* value);

class StoryReader : public XmlHandler
{
public:
    enum class Part { Document, Footnotes, Endnotes, Comments, HeaderFooter };

    // Paragraphs of a header or footer part go to out; the other parts
    // place their text through the context's document.
    StoryReader(StoryContext& context, Part part, std::vector<Block>* out = nullptr);
    ~StoryReader() override;
    // True once the part's root element was a WordprocessingML story.
    bool sawWordRoot() const { return m_sawWordRoot; }
    const std::string& rootName() const { return m_rootName; }

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override;
    void endElement(Ns ns, std::string_view local) override;
    void characters(std::string_view text) override;

private:
    struct Paragraph;
    struct Table;
    struct Field;
    struct ContentControl;
    struct Interruption;
    enum class InterruptionKind : unsigned char { TextBox, Note, HeaderFooter };

    // What a story holds open while it is read: a text box, a note or a
    // header inside it starts a fresh one, and the story's own state comes
    // back when it ends.
    struct StoryState
    {
        std::vector<std::unique_ptr<Paragraph>> paragraphs;
        std::vector<Field> fields;
        int codeFields = 0; // fields whose code portion is open
        // The open run.
        bool inRun = false;
        std::optional<bool> runVanish;
        bool runStyleHidden = false;
        // A paragraph whose mark was deleted or hidden joins the next one.
        bool carry = false;
        std::string carryText;
        std::vector<Block> carryBlocks;
    };
    using Tag = StoryTag;
    enum class TagFamily : unsigned char;

    // Elements and their dispatch to their family (StoryReader.cpp).
    static TagFamily familyOf(Tag tag);
    Tag parentTag() const;
    void startOtherElement(Ns ns, std::string_view local, const XmlAttributes& attributes);
    void startWordElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void startWordElementApart(Tag tag, Tag parent, TagFamily family, const XmlAttributes& attributes);
    void openWordElement(Tag tag, Tag parent, TagFamily family, const XmlAttributes& attributes);
    void endWordElement(Tag tag);
    bool skipWordElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void skipElement() { m_skipDepth = 1; }
    bool visible() const;
    bool runVisible() const;
    void appendText(std::string_view text);
    void captureInstruction(std::string_view text); // of the innermost field's code
    void appendCodePoint(char32_t codePoint);
    void pushContainer(std::vector<Block>* blocks);
    void popContainer();
    void fail(Error error);

    // The body, and what is read as a story of its own (StoryContainers.cpp).
    bool startInterruption(Tag tag, Tag parent, const XmlAttributes& attributes);
    void startStoryElement(Tag tag);
    void endStoryElement(Tag tag);
    // A text box, a note or a header inside the story: its paragraphs are
    // read on their own and handed back by resume().
    void interrupt(InterruptionKind kind);
    std::vector<Block> resume();
    // Whether the element now ending is the one that interrupted the story:
    // other elements of the same name may end inside it.
    bool endsInterruption() const;

    // Paragraphs and runs (StoryParagraphs.cpp).
    // What a style gives the paragraphs and runs that name it, worked out
    // once per style.
    struct StyleFacts
    {
        bool hides = false;
        std::optional<int> numId;     // the list its paragraphs join
        std::optional<int> level;     // its own w:ilvl
        std::optional<int> listLevel; // the level its paragraphs take in the list, once asked
    };
    StyleFacts& styleFacts(std::string_view styleId);
    void startParagraphElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void endParagraphElement(Tag tag);
    void startRunElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void startRunProperty(Tag tag, Tag parent, const XmlAttributes& attributes);
    void startRunContent(Tag tag, Tag parent, const XmlAttributes& attributes);
    void endRunElement(Tag tag);
    void startParagraph();
    void resolveParagraph();
    void endParagraph();
    void flushCarry();

    // Tables (StoryTables.cpp).
    void startTableElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void endTableElement(Tag tag);

    // Fields and content controls (StoryFields.cpp).
    void startFieldElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void endFieldElement(Tag tag);
    void contentControlElement(std::string_view local, const XmlAttributes& attributes);
    void fieldCharacter(const XmlAttributes& attributes);

    // Note references, numbering and sections (StoryNotes.cpp).
    void startNoteElement(Tag tag, Tag parent, const XmlAttributes& attributes);
    void endNoteElement(Tag tag);
    void noteReference(bool endnote, const XmlAttributes& attributes);
    void finishCustomMark();
    void resolveNoteMarks();
    void endSection();
    void startNoteStory(const XmlAttributes& attributes);
    void finishNote(Tag tag, std::vector<Block> blocks);

    StoryContext& m_context;
    Part m_part;
    bool m_sawRoot = false;
    bool m_sawWordRoot = false;
    std::string m_rootName;
    int m_skipDepth = 0;

    StoryTagStack m_tags; // open elements, for parent tests
    // Ended paragraphs, reused so that a paragraph's text grows in a buffer
    // that is already large enough.
    std::vector<std::unique_ptr<Paragraph>> m_spareParagraphs;
    std::map<std::string, StyleFacts, std::less<>> m_styleFacts;
    // The last style looked up: paragraphs come in runs of one style.
    std::string_view m_lastStyleId;
    StyleFacts* m_lastStyleFacts = nullptr;
    StyleFacts* m_defaultStyleFacts = nullptr; // of the default paragraph style, once asked
    std::vector<std::vector<Block>*> m_containers;
    StoryState m_story;
    std::vector<std::unique_ptr<Interruption>> m_interruptions;
    std::vector<std::unique_ptr<Table>> m_tables;
    std::vector<ContentControl> m_controls;
    int m_suppressed = 0;           // content replaced by a check-box label
    std::vector<bool> m_alternates; // per open mc:AlternateContent: a branch was taken

    bool m_capture = false;                        // inside w:t, m:t or a visible w:instrText
    bool m_captureInstruction = false;             // inside the w:instrText of the innermost field's code
    std::vector<Note>* m_customMarkNote = nullptr; // a custom note mark being read
    std::size_t m_customMarkIndex = 0;
    std::string m_customMarkText;

    std::string m_pendingPrefix; // a check-box label met outside a paragraph

    std::optional<std::pair<NoteNumbering, NoteNumbering>> m_sectionNumbering; // in w:sectPr
    bool m_notePropertiesOfEndnotes = false;                                   // in w:sectPr/w:endnotePr
    bool m_sectionEndsWithParagraph = false; // the open paragraph's properties closed a section

    std::vector<std::size_t> m_noteTargets; // the notes that take the note being read
    bool m_inlineNoteIsEndnote = false;
};

} // namespace plainora::engine::docx
