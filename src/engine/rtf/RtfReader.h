#pragma once
// The RTF reader's class, shared by the files that read each family of
// control words: RtfReader.cpp (the group stack, paragraphs and tables),
// RtfWords.cpp (the control-word table), RtfText.cpp (characters, fonts and
// code pages), RtfStories.cpp (destinations, notes, comments, headers,
// shapes, wrapped HTML), RtfFields.cpp and RtfLists.cpp.

#include "engine/BlockBuilder.h"
#include "engine/FieldStack.h"
#include "engine/NumberFormat.h"
#include "engine/Readers.h"
#include "engine/TextBudget.h"
#include "engine/rtf/RtfTokenizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace plainora::engine::rtf {

// Control words in families, each read by its own function (familyOf): a
// new word goes among the words of its family.
enum class Word : std::uint8_t {
    Unknown,
    // Paragraphs and breaks: structureWord
    Par,
    Line,
    Tab,
    Page,
    Sect,
    Column,
    // Tables: tableWord
    Cell,
    NestCell,
    Row,
    NestRow,
    Intbl,
    Itap,
    NestTableProps,
    // Characters: characterWord
    U,
    Uc,
    Character, // a word that stands for one character
    // Character and paragraph properties: propertyWord
    Plain,
    Pard,
    V,
    Deleted,
    // Fonts and code pages: fontWord
    F,
    Af,
    Rtlch,
    Ltrch,
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    Fcharset,
    Cpg,
    // Note references and numbering: noteWord
    Chftn,
    FtnStart,
    AftnStart,
    FtnFormat,
    AftnFormat,
    FtnRestart, // value 1: each section; 0: continuous or each page
    AftnRestart,
    SftnStart, // the section's own note numbering
    SaftnStart,
    SftnFormat,
    SaftnFormat,
    SftnRestart,
    SaftnRestart,
    Sectd,
    // Fields: fieldWord
    Field,
    Fldinst,
    Fldrslt,
    Fldpriv,
    Formfield,
    Fftype,
    Ffres,
    Ffdefres,
    // Destinations: destinationWord
    Fonttbl,
    SkipDestination,
    Footnote,
    Ftnalt,
    Annotation,
    HeaderFooter,
    Upr,
    Ud,
    Object,
    Result,
    Shp,
    Shpinst,
    Shptxt,
    // Encapsulated HTML: htmlWord
    FromHtml,
    HtmlTag,
    HtmlRtf,
    // Lists: listWord
    ListText,
    ListTable,
    ListOverrideTable,
    List,
    ListLevel,
    LevelFollow,
    ListId,
    ListOverride,
    Ls,
    Ilvl,
};

enum class WordFamily : std::uint8_t {
    Unknown,
    Structure,
    Table,
    Character,
    Property,
    Font,
    Note,
    Field,
    Destination,
    Html,
    List,
};

// Each family runs up to its last word.
constexpr WordFamily familyOf(Word word)
{
    if (word == Word::Unknown)
        return WordFamily::Unknown;
    if (word <= Word::Column)
        return WordFamily::Structure;
    if (word <= Word::NestTableProps)
        return WordFamily::Table;
    if (word <= Word::Character)
        return WordFamily::Character;
    if (word <= Word::Deleted)
        return WordFamily::Property;
    if (word <= Word::Cpg)
        return WordFamily::Font;
    if (word <= Word::Sectd)
        return WordFamily::Note;
    if (word <= Word::Ffdefres)
        return WordFamily::Field;
    if (word <= Word::Shptxt)
        return WordFamily::Destination;
    if (word <= Word::HtmlRtf)
        return WordFamily::Html;
    return WordFamily::List;
}

struct WordInfo
{
    Word word;
    int value = 0; // a number format, or a restart rule, for the note-numbering words
};

// The control words the reader knows, looked up once per word in the file:
// an open-addressing table with an inline hash is several times faster than
// a std::unordered_map.
class WordTable
{
public:
    void emplace(std::string_view name, WordInfo info)
    {
        std::size_t slot = hash(name) & kMask;
        while (!m_slots[slot].name.empty())
            slot = (slot + 1) & kMask;
        m_slots[slot] = {name, info};
    }
    WordInfo find(std::string_view name) const
    {
        std::size_t slot = hash(name) & kMask;
        while (!m_slots[slot].name.empty()) {
            if (m_slots[slot].name == name)
                return m_slots[slot].info;
            slot = (slot + 1) & kMask;
        }
        return WordInfo{Word::Unknown};
    }

private:
    static constexpr std::size_t kMask = 1023; // a quarter full
    static std::size_t hash(std::string_view name)
    {
        std::uint32_t h = 2166136261u; // FNV-1a
        for (char c : name)
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h ^ (h >> 15);
    }
    struct Slot
    {
        std::string_view name;
        WordInfo info;
    };
    std::array<Slot, kMask + 1> m_slots{};
};

const WordTable& wordTable(); // RtfWords.cpp

// The UTF-8 text of a Word::Character word, by its WordInfo::value.
const char* characterWordText(int index);

enum class Destination : std::uint8_t {
    Text,      // characters go to the group's story
    Ignore,    // no characters, but control words still count
    FontTable, // font definitions
};

struct Font
{
    std::string name;
    int codePage = 0; // 0: the document's code page
    bool symbol = false;
};

enum class ListTableKind : std::uint8_t { None, Lists, Overrides };

struct GroupState
{
    Destination dest = Destination::Text;
    Destination resume = Destination::Text; // restored by \result and \ud
    int story = 0;
    int uc = 1;
    std::int32_t font = -1; // -1: the document's default font
    std::int32_t assocFont = -1;
    const Font* fontInfo = nullptr;
    int itap = 0;
    bool intbl = false;
    bool rtl = false;
    bool hidden = false;
    bool deleted = false;
    bool ownsStory = false;
    bool ownsField = false;
    bool listLabel = false;
    bool instruction = false; // in a field's \fldinst
    bool rtfOnly = false;     // \htmlrtf: RTF's rendering of encapsulated HTML
    bool htmlTag = false;     // in a \*\htmltag group: HTML markup
    ListTableKind listTable = ListTableKind::None;
    bool listLevel = false;       // in a list table's \listlevel
    std::uint32_t labelStart = 0; // where the list label starts in its paragraph
    std::int32_t ls = -1;         // the paragraph's \lsN, -1: none
    int ilvl = 0;
};

// [RTF 1.9.1] "List Table": what follows a level's label, \levelfollowN.
enum LevelFollow : int { FollowTab = 0, FollowSpace = 1, FollowNothing = 2 };

constexpr int kListLevels = 9; // \listlevel groups of a list, \ilvl 0-8

struct ListDefinition
{
    std::int32_t id = 0;
    std::vector<int> follow; // per level
};

enum class StoryKind { Body, Footnote, Endnote, HeaderFooter, Comment, Shape };

struct Story
{
    StoryKind kind = StoryKind::Body;
    int parent = 0;
    BlockBuilder builder;
};

// A single-byte code page decodes through a table; a multi-byte one through
// iconv, a run at a time.
struct Decoder
{
    bool multiByte = false;
    std::string charset;
    const std::array<std::string, 256>* table = nullptr;
};

// Marks a note reference in the body until the note's number is known.
constexpr char kRefStart = '\x1E';
constexpr char kRefEnd = '\x1F';

// What a note, a story or a table node costs beyond its text, for the
// engine's memory limit.
constexpr std::uint64_t kNodeCost = 64;

class RtfReader
{
public:
    RtfReader(ByteView bytes, const ReadOptions& options) : m_tokens(bytes), m_options(options) {}

    Result<Document> read();

private:
    GroupState& state() { return m_states.back(); }
    BlockBuilder& builder() { return m_stories[state().story].builder; }
    bool emitting() const
    {
        const GroupState& s = m_states.back();
        return s.dest == Destination::Text && !s.hidden && !s.deleted && !s.rtfOnly;
    }
    int paragraphLevel() const
    {
        const GroupState& s = m_states.back();
        return std::max(s.intbl ? 1 : 0, s.itap);
    }

    // The group stack (RtfReader.cpp).
    Status pushGroup();
    void popGroup();
    void skipGroup();
    Status controlWord(const RtfToken& token);
    void controlSymbol(char symbol);
    void structureWord(Word word);
    void tableWord(Word word, std::int32_t p, bool on);
    void propertyWord(Word word, bool on);

    // Characters, fonts and code pages (RtfText.cpp).
    void characterWord(const WordInfo& info, std::int32_t p);
    void fontWord(Word word, std::int32_t p);
    void text(std::string_view bytes);
    void fontTableText(std::string_view bytes);
    void instructionText(std::string_view bytes);
    void emit(std::string_view utf8);
    void emitCodePoint(char32_t codePoint);
    void flushMultiByte();
    const Decoder& decoderFor(int codePage);
    void updateFont(GroupState& s);

    // Destinations and the stories they start (RtfStories.cpp).
    void destinationWord(Word word);
    void htmlWord(Word word, bool on);
    bool encapsulatedHtmlWord(Word word);
    int newStory(StoryKind kind);
    void finishStory(int index);
    void noteWord(const WordInfo& info, std::int32_t p);
    std::string noteMark(StoryKind kind);
    struct SectionNotes;
    void sectionNoteProperty(SectionNotes& section, const WordInfo& info, std::int32_t parameter);
    void resolveReferences(std::vector<Block>& blocks);

    // Fields (RtfFields.cpp).
    void fieldWord(Word word, std::int32_t p);
    void closeField();

    // Lists (RtfLists.cpp).
    void listWord(Word word, std::int32_t p);
    void listTableWord(Word word, std::int32_t p);
    void closeListLabel(const GroupState& closed);
    int levelFollow(const GroupState& s) const;
    void applyLabelFollow();

    RtfTokenizer m_tokens;
    const ReadOptions& m_options;
    const WordTable& m_words = wordTable();
    std::vector<GroupState> m_states;
    std::vector<Story> m_stories;
    FieldStack m_fields;
    Document m_document;

    std::unordered_map<std::int32_t, Font> m_fonts;
    std::int32_t m_fontBeingDefined = -1;
    std::int32_t m_defaultFont = 0;
    int m_codePage = 1252;
    bool m_codePageGiven = false;
    std::unordered_map<int, std::unique_ptr<Decoder>> m_decoders;
    const Decoder* m_lastDecoder = nullptr;
    int m_lastCodePage = -1;

    std::string m_scratch;
    std::string m_multiByte; // bytes of a multi-byte code page awaiting decoding
    const Decoder* m_multiByteDecoder = nullptr;

    int m_skip = 0;                                   // Unicode fallback characters still to skip
    Utf16Joiner m_utf16{Utf16Joiner::LoneHigh::Drop}; // \uN pairs
    bool m_starred = false;                           // the last token was \*

    std::vector<std::string> m_references; // "[n]" of each body reference
    int m_pendingReference = -1;
    // The document's note numbering, and the section's own where its
    // properties change it (until \sectd).
    NoteNumbering m_footnoteNumbering;
    NoteNumbering m_endnoteNumbering{NumberFormat::LowerRoman};
    // What the section changes, each property on its own: a file may set
    // the document's after the first section's.
    struct SectionNotes
    {
        std::optional<NumberFormat> format;
        std::optional<int> start;
        std::optional<bool> restartEachSection;

        NoteNumbering over(NoteNumbering numbering) const
        {
            numbering.format = format.value_or(numbering.format);
            numbering.start = start.value_or(numbering.start);
            numbering.restartEachSection = restartEachSection.value_or(numbering.restartEachSection);
            return numbering;
        }
    };
    SectionNotes m_sectionFootnotes;
    SectionNotes m_sectionEndnotes;
    NoteCounter m_footnoteCounter;
    NoteCounter m_endnoteCounter;
    int m_section = 0;
    TextBudget m_text; // text and model nodes held

    std::vector<ListDefinition> m_lists;
    std::unordered_map<std::int32_t, std::int32_t> m_listOverrides; // \lsN: its \listid
    std::int32_t m_overrideListId = -1;                             // of the \listoverride being read
    std::int32_t m_overrideLs = -1;
    // The tab ending the last list label, until its paragraph's list is known.
    int m_labelTabStory = -1;
    std::size_t m_labelTabPos = 0;
    // A note's own mark was the first thing in it: the white space after it
    // is the writer's separator, not text.
    int m_trimAfterNoteMark = -1;

    // \fromhtml1 in the header: the document wraps an HTML page (mail saved
    // as RTF), gathered here as UTF-8 and read as a web page at the end.
    bool m_fromHtml = false;
    std::string m_html;
};

} // namespace plainora::engine::rtf
