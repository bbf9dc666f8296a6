// RTF reader: the tokenizer's units interpreted with a stack of group
// states. Each group knows its destination (body text, a note, a font table,
// something to ignore), its Unicode fallback count, its font (for the code
// page of \'hh bytes), hidden and deleted text, and its paragraph's table
// level. Destinations that hold no text are skipped by brace matching,
// without interpretation.
//
// [x] \uN with \ucN fallback skipping, surrogate pairs
// [x] \'hh and raw 8-bit text in \ansicpg and \fcharset/\cpg code pages, DBCS
// [x] symbol fonts mapped to Unicode look-alikes
// [x] paragraphs, breaks, special characters
// [x] tables (\cell, \row, \nestcell, \nestrow, \intbl, \itap), nested
// [x] fields: result only, nested; check boxes as [X] / [ ]
// [x] footnotes and endnotes (\chftn, \ftnalt), annotations on request
// [x] headers and footers on request; shape text after its anchor paragraph
// [x] list labels (\listtext, \pntext), their separator from \levelfollow;
//     \upr/\ud
// [x] hidden (\v) and deleted (\deleted) text dropped
// [x] the document ends where its own group closes
// [x] mail saved as RTF around HTML (\fromhtml1): the HTML is taken out of
//     its \*\htmltag groups and the text between them, RTF-only \htmlrtf
//     regions left out, and read as a web page
// [ ] \dbch/\hich/\loch associated fonts (the \f font decides)

#include "BlockBuilder.h"
#include "EquationField.h"
#include "Limits.h"
#include "NumberFormat.h"
#include "Readers.h"
#include "RtfTokenizer.h"
#include "TextBudget.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace plainora::engine {

namespace {

enum class Word : std::uint8_t {
    Unknown,
    // Text and structure
    Par,
    Line,
    Tab,
    Page,
    Sect,
    Column,
    Cell,
    NestCell,
    Row,
    NestRow,
    Chftn,
    U,
    Character, // a word that stands for one character
    // Character and paragraph state
    Uc,
    F,
    Af,
    Plain,
    Pard,
    Intbl,
    Itap,
    V,
    Deleted,
    Rtlch,
    Ltrch,
    // Document properties
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    Fcharset,
    Cpg,
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
    // Fields
    Field,
    Fldinst,
    Fldrslt,
    Fldpriv,
    Formfield,
    Fftype,
    Ffres,
    Ffdefres,
    // Destinations
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
    NestTableProps,
    ListText,
    // Encapsulated HTML
    FromHtml,
    HtmlTag,
    HtmlRtf,
    // List table
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

struct WordInfo
{
    Word word;
    int value = 0; // a number format, or a restart rule, for the note-numbering words
};

// Control words are looked up once per word in the file: an open-addressing
// table with an inline hash is several times faster than a std::unordered_map.
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

// Control words that each stand for one character.
constexpr std::pair<const char*, const char*> kCharacterWords[] = {
    {"emdash", "\u2014"},    {"endash", "\u2013"},    {"emspace", "\u2003"}, {"enspace", "\u2002"},
    {"qmspace", "\u2005"},   {"bullet", "\u2022"},    {"lquote", "\u2018"},  {"rquote", "\u2019"},
    {"ldblquote", "\u201C"}, {"rdblquote", "\u201D"}, {"zwj", "\u200D"},     {"zwnj", "\u200C"},
    {"ltrmark", "\u200E"},   {"rtlmark", "\u200F"},
};

const WordTable& wordTable()
{
    static const WordTable table = [] {
        WordTable t;
        const std::pair<const char*, Word> plain[] = {
            {"par", Word::Par},
            {"line", Word::Line},
            {"tab", Word::Tab},
            {"page", Word::Page},
            {"sect", Word::Sect},
            {"column", Word::Column},
            {"cell", Word::Cell},
            {"nestcell", Word::NestCell},
            {"row", Word::Row},
            {"nestrow", Word::NestRow},
            {"chftn", Word::Chftn},
            {"u", Word::U},
            {"uc", Word::Uc},
            {"f", Word::F},
            {"af", Word::Af},
            {"plain", Word::Plain},
            {"pard", Word::Pard},
            {"intbl", Word::Intbl},
            {"itap", Word::Itap},
            {"v", Word::V},
            {"deleted", Word::Deleted},
            {"fromhtml", Word::FromHtml},
            {"htmltag", Word::HtmlTag},
            {"htmlrtf", Word::HtmlRtf},
            {"rtlch", Word::Rtlch},
            {"ltrch", Word::Ltrch},
            {"ansi", Word::Ansi},
            {"mac", Word::Mac},
            {"pc", Word::Pc},
            {"pca", Word::Pca},
            {"ansicpg", Word::Ansicpg},
            {"deff", Word::Deff},
            {"fcharset", Word::Fcharset},
            {"cpg", Word::Cpg},
            {"ftnstart", Word::FtnStart},
            {"aftnstart", Word::AftnStart},
            {"sftnstart", Word::SftnStart},
            {"saftnstart", Word::SaftnStart},
            {"sectd", Word::Sectd},
            {"field", Word::Field},
            {"fldinst", Word::Fldinst},
            {"fldrslt", Word::Fldrslt},
            {"fldpriv", Word::Fldpriv},
            {"formfield", Word::Formfield},
            {"fftype", Word::Fftype},
            {"ffres", Word::Ffres},
            {"ffdefres", Word::Ffdefres},
            {"fonttbl", Word::Fonttbl},
            {"footnote", Word::Footnote},
            {"ftnalt", Word::Ftnalt},
            {"annotation", Word::Annotation},
            {"upr", Word::Upr},
            {"ud", Word::Ud},
            {"object", Word::Object},
            {"result", Word::Result},
            {"shp", Word::Shp},
            {"shpinst", Word::Shpinst},
            {"shpgrp", Word::Shp},
            {"shptxt", Word::Shptxt},
            {"nesttableprops", Word::NestTableProps},
            {"listtext", Word::ListText},
            {"pntext", Word::ListText},
            {"listtable", Word::ListTable},
            {"listoverridetable", Word::ListOverrideTable},
            {"list", Word::List},
            {"listlevel", Word::ListLevel},
            {"levelfollow", Word::LevelFollow},
            {"listid", Word::ListId},
            {"listoverride", Word::ListOverride},
            {"ls", Word::Ls},
            {"ilvl", Word::Ilvl},
        };
        for (const auto& [name, word] : plain)
            t.emplace(name, WordInfo{word});
        for (std::size_t i = 0; i < std::size(kCharacterWords); ++i)
            t.emplace(kCharacterWords[i].first, WordInfo{Word::Character, static_cast<int>(i)});
        // Note numbering restarts: 1 at each section; continuous or, without
        // pages to count, each page: 0.
        for (const auto& [name, word, restart] : {std::tuple{"ftnrestart", Word::FtnRestart, 1},
                                                  {"ftnrstcont", Word::FtnRestart, 0},
                                                  {"ftnrstpg", Word::FtnRestart, 0},
                                                  {"aftnrestart", Word::AftnRestart, 1},
                                                  {"aftnrstcont", Word::AftnRestart, 0},
                                                  {"sftnrestart", Word::SftnRestart, 1},
                                                  {"sftnrstcont", Word::SftnRestart, 0},
                                                  {"sftnrstpg", Word::SftnRestart, 0},
                                                  {"saftnrestart", Word::SaftnRestart, 1},
                                                  {"saftnrstcont", Word::SaftnRestart, 0}})
            t.emplace(name, WordInfo{word, restart});
        for (const char* name :
             {"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf"})
            t.emplace(name, WordInfo{Word::HeaderFooter});
        // Destinations without body text. Unknown \* destinations are skipped
        // anyway; these are the ones written without \*.
        for (const char* name : {"colortbl",     "stylesheet",
                                 "info",         "pict",
                                 "revtbl",       "rsidtbl",
                                 "filetbl",      "generator",
                                 "themedata",    "colorschememapping",
                                 "datastore",    "latentstyles",
                                 "xmlnstbl",     "mmathPr",
                                 "pgdsctbl",     "bkmkstart",
                                 "bkmkend",      "xe",
                                 "tc",           "tcn",
                                 "txe",          "rxe",
                                 "atnid",        "atnauthor",
                                 "atndate",      "atnicn",
                                 "atnref",       "atntime",
                                 "atrfstart",    "atrfend",
                                 "template",     "pn",
                                 "pntxta",       "pntxtb",
                                 "ftnsep",       "ftnsepc",
                                 "ftncn",        "aftnsep",
                                 "aftnsepc",     "aftncn",
                                 "nonshppict",   "shprslt",
                                 "nonesttables", "sp",
                                 "objdata",      "objclass",
                                 "objname",      "do",
                                 "private",      "userprops",
                                 "docvar",       "fchars",
                                 "lchars",       "comment",
                                 "title",        "author",
                                 "operator",     "keywords",
                                 "subject",      "doccomm",
                                 "company",      "category",
                                 "manager",      "hlinkbase",
                                 "bookmark",     "listpicture",
                                 "passwordhash", "wgrffmtfilter",
                                 "defchp",       "defpap",
                                 "mhtmltag"})
            t.emplace(name, WordInfo{Word::SkipDestination});
        const std::pair<const char*, NumberFormat> formats[] = {
            {"nar", NumberFormat::Decimal},      {"nalc", NumberFormat::LowerLetter},
            {"nauc", NumberFormat::UpperLetter}, {"nrlc", NumberFormat::LowerRoman},
            {"nruc", NumberFormat::UpperRoman},  {"nchi", NumberFormat::Chicago},
        };
        static std::vector<std::string> names; // keeps the composed names alive
        names.reserve(std::size(formats) * 4);
        for (const auto& [suffix, format] : formats) {
            for (const auto& [prefix, word] :
                 {std::pair{"ftn", Word::FtnFormat}, std::pair{"aftn", Word::AftnFormat},
                  std::pair{"sftn", Word::SftnFormat}, std::pair{"saftn", Word::SaftnFormat}}) {
                names.push_back(std::string(prefix) + suffix);
                t.emplace(names.back(), WordInfo{word, static_cast<int>(format)});
            }
        }
        return t;
    }();
    return table;
}

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

struct Field
{
    std::string instruction; // UTF-8: the first characters of \fldinst, or an equation whole
    bool checkBox = false;
    bool resultShown = false; // \fldrslt gave text
    bool priv = false;
    bool shown = false;
    int result = 25; // \ffres 25: the default applies
    int defaultResult = 0;

    // \fftype1, or a FORMCHECKBOX instruction without \formfield: some
    // writers save the field alone.
    bool isCheckBox() const
    {
        if (checkBox)
            return true;
        const std::size_t start = instruction.find_first_not_of(' ');
        if (start == std::string::npos)
            return false;
        return equalsIgnoringCase(
            std::string_view(instruction).substr(start, instruction.find(' ', start) - start),
            "FORMCHECKBOX");
    }
    const char* checkBoxText() const { return (result == 25 ? defaultResult : result) == 1 ? "[X]" : "[ ]"; }
};

// A single-byte code page decodes through a table; a multi-byte one through
// iconv, a run at a time.
struct Decoder
{
    bool multiByte = false;
    std::string charset;
    const std::array<std::string, 256>* table = nullptr;
};

// Tables are built once per process: iconv takes longer to open than a
// small document takes to read.
const std::array<std::string, 256>& cachedSingleByteTable(const std::string& charset)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<std::array<std::string, 256>>> tables;
    std::lock_guard lock(mutex);
    auto& slot = tables[charset];
    if (!slot)
        slot = std::make_unique<std::array<std::string, 256>>(singleByteTable(charset));
    return *slot;
}

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
    bool encapsulatedHtmlWord(Word word);
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

    Status pushGroup();
    void popGroup();
    void skipGroup();
    Status controlWord(const RtfToken& token);
    void controlSymbol(char symbol);
    void text(std::string_view bytes);
    void emit(std::string_view utf8);
    void emitCodePoint(char32_t codePoint);
    void flushMultiByte();
    const Decoder& decoderFor(int codePage);
    void updateFont(GroupState& s);
    int newStory(StoryKind kind);
    void finishStory(int index);
    std::string noteMark(StoryKind kind);
    struct SectionNotes;
    void sectionNoteProperty(SectionNotes& section, const WordInfo& info, std::int32_t parameter);
    void resolveReferences(std::vector<Block>& blocks);
    void listTableWord(Word word, std::int32_t p);
    int levelFollow(const GroupState& s) const;
    void applyLabelFollow();

    RtfTokenizer m_tokens;
    const ReadOptions& m_options;
    std::vector<GroupState> m_states;
    std::vector<Story> m_stories;
    std::vector<Field> m_fields;
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

    int m_skip = 0; // Unicode fallback characters still to skip
    char32_t m_highSurrogate = 0;
    bool m_starred = false; // the last token was \*

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

Status RtfReader::pushGroup()
{
    if (m_states.size() >= static_cast<std::size_t>(limits::kMaxRtfGroupDepth))
        return makeError(ErrorCode::TooLarge,
                         "The document nests its groups more than " +
                             std::to_string(limits::kMaxRtfGroupDepth) +
                             " levels deep, far beyond any word processor's; it is damaged.");
    GroupState copy = m_states.back();
    copy.ownsStory = false;
    copy.ownsField = false;
    m_states.push_back(copy);
    return {};
}

void RtfReader::popGroup()
{
    if (m_states.size() <= 1)
        return; // an unmatched '}': ignore it and read on
    const GroupState closed = m_states.back();
    m_states.pop_back();
    if (closed.dest == Destination::FontTable && state().dest != Destination::FontTable)
        updateFont(state());
    if (closed.ownsField && !m_fields.empty()) {
        const Field field = m_fields.back();
        m_fields.pop_back();
        if (field.isCheckBox() && !field.shown && emitting()) {
            emit(field.checkBoxText());
        } else if (!field.resultShown && emitting()) {
            // A phonetic guide: Word draws it, so only its instruction says what it shows.
            if (const auto shown = equationFieldText(field.instruction))
                emit(*shown);
        }
    }
    if (closed.listLabel && !state().listLabel) {
        // Writers put stray spaces before the label ("\\plain  1.\\tab").
        std::string& paragraph = m_stories[closed.story].builder.paragraph();
        std::size_t end = closed.labelStart;
        while (end < paragraph.size() && paragraph[end] == ' ')
            ++end;
        if (closed.labelStart < paragraph.size())
            paragraph.erase(closed.labelStart, end - closed.labelStart);
        // LibreOffice ends every label with \tab, whatever its level's
        // \levelfollow; the list, known by the paragraph's end, decides.
        m_labelTabStory = -1;
        if (paragraph.size() > closed.labelStart && paragraph.back() == '\t') {
            m_labelTabStory = closed.story;
            m_labelTabPos = paragraph.size() - 1;
        }
    }
    if (closed.ownsStory)
        finishStory(closed.story);
}

void RtfReader::skipGroup()
{
    flushMultiByte();
    m_tokens.skipGroup();
    popGroup();
}

void RtfReader::updateFont(GroupState& s)
{
    const std::int32_t id =
        (s.rtl && s.assocFont >= 0) ? s.assocFont : (s.font >= 0 ? s.font : m_defaultFont);
    const auto it = m_fonts.find(id);
    s.fontInfo = it == m_fonts.end() ? nullptr : &it->second;
}

const Decoder& RtfReader::decoderFor(int codePage)
{
    if (codePage == m_lastCodePage)
        return *m_lastDecoder;
    auto& slot = m_decoders[codePage];
    if (!slot) {
        slot = std::make_unique<Decoder>();
        slot->charset = charsetForCodePage(codePage);
        if (slot->charset.empty())
            slot->charset = "CP1252";
        slot->multiByte = isMultiByteCodePage(codePage);
        if (!slot->multiByte)
            slot->table = &cachedSingleByteTable(slot->charset);
    }
    m_lastCodePage = codePage;
    m_lastDecoder = slot.get();
    return *slot;
}

void RtfReader::emit(std::string_view utf8)
{
    if (m_fromHtml) {
        m_html.append(utf8);
        m_text.spend(utf8.size());
        return;
    }
    if (m_trimAfterNoteMark >= 0 && m_trimAfterNoteMark == state().story) {
        while (!utf8.empty() && (utf8.front() == ' ' || utf8.front() == '\t'))
            utf8.remove_prefix(1);
        if (utf8.empty())
            return;
        m_trimAfterNoteMark = -1;
    }
    builder().append(utf8);
    m_text.spend(utf8.size());
    if (!m_fields.empty())
        m_fields.back().resultShown = true;
}

void RtfReader::emitCodePoint(char32_t codePoint)
{
    if (codePoint < 0x20 && codePoint != '\t')
        return; // control characters, and our own reference markers
    std::string utf8;
    appendUtf8(utf8, codePoint);
    emit(utf8);
}

void RtfReader::flushMultiByte()
{
    if (m_multiByte.empty())
        return;
    const std::string decoded = decodeToUtf8(asBytes(m_multiByte), m_multiByteDecoder->charset);
    m_multiByte.clear();
    std::string clean;
    clean.reserve(decoded.size());
    for (char c : decoded) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            clean.push_back(c);
    }
    emit(clean);
}

void RtfReader::text(std::string_view bytes)
{
    if (m_skip > 0) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(m_skip));
        m_skip -= static_cast<int>(n);
        bytes.remove_prefix(n);
    }
    if (bytes.empty())
        return;
    GroupState& s = state();
    if (s.dest == Destination::FontTable) {
        if (m_fontBeingDefined < 0)
            return;
        auto it = m_fonts.find(m_fontBeingDefined);
        if (it == m_fonts.end())
            return;
        for (char c : bytes) {
            if (c == ';') {
                m_fontBeingDefined = -1;
                break;
            }
            if (it->second.name.size() < 64)
                it->second.name.push_back(c);
        }
        if (m_fontBeingDefined < 0) {
            Font& font = it->second;
            while (!font.name.empty() && font.name.back() == ' ')
                font.name.pop_back();
            font.symbol = font.symbol || isSymbolFont(font.name);
        }
        return;
    }
    if (s.instruction && !m_fields.empty()) {
        std::string& instruction = m_fields.back().instruction;
        const std::size_t kept = fieldInstructionBytesKept(instruction);
        bytes = bytes.substr(0, kept - std::min(kept, instruction.size()));
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii) {
            instruction.append(bytes);
        } else {
            const int codePage = (s.fontInfo && s.fontInfo->codePage) ? s.fontInfo->codePage : m_codePage;
            instruction.append(decodeToUtf8(asBytes(bytes), decoderFor(codePage).charset));
        }
        return;
    }
    if (!emitting())
        return;
    if (s.fontInfo && s.fontInfo->symbol && !s.htmlTag) {
        for (char c : bytes)
            emitCodePoint(mapSymbolFontCharacter(s.fontInfo->name, static_cast<unsigned char>(c)));
        return;
    }
    // HTML markup is in the document's code page, whatever the font.
    const int codePage =
        (s.fontInfo && s.fontInfo->codePage && !s.htmlTag) ? s.fontInfo->codePage : m_codePage;
    const Decoder& decoder = decoderFor(codePage);
    if (decoder.multiByte) {
        if (m_multiByteDecoder != &decoder)
            flushMultiByte();
        m_multiByteDecoder = &decoder;
        m_multiByte.append(bytes);
        return;
    }
    flushMultiByte();
    m_scratch.clear();
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 && b < 0x80)
            continue;
        m_scratch.append(bytes.substr(runStart, i - runStart));
        runStart = i + 1;
        if (b >= 0x80)
            m_scratch += (*decoder.table)[b];
        else if (b == '\t')
            m_scratch.push_back('\t');
    }
    if (runStart == 0) {
        emit(bytes);
        return;
    }
    m_scratch.append(bytes.substr(runStart));
    emit(m_scratch);
}

int RtfReader::newStory(StoryKind kind)
{
    Story story;
    story.kind = kind;
    story.parent = state().story;
    m_stories.push_back(std::move(story));
    m_text.spend(4 * kNodeCost);
    GroupState& s = state();
    s.story = static_cast<int>(m_stories.size()) - 1;
    s.ownsStory = true;
    s.dest = Destination::Text;
    s.intbl = false;
    s.itap = 0;
    return s.story;
}

void RtfReader::sectionNoteProperty(SectionNotes& section, const WordInfo& info, std::int32_t parameter)
{
    switch (info.word) {
    case Word::SftnStart:
    case Word::SaftnStart:
        section.start = std::clamp(parameter, 0, 1 << 20);
        break;
    case Word::SftnFormat:
    case Word::SaftnFormat:
        section.format = static_cast<NumberFormat>(info.value);
        break;
    default:
        section.restartEachSection = info.value != 0;
        break;
    }
}

std::string RtfReader::noteMark(StoryKind kind)
{
    if (kind == StoryKind::Endnote)
        return m_endnoteCounter.next(m_sectionEndnotes.over(m_endnoteNumbering), m_section);
    return m_footnoteCounter.next(m_sectionFootnotes.over(m_footnoteNumbering), m_section);
}

void RtfReader::finishStory(int index)
{
    flushMultiByte();
    if (m_trimAfterNoteMark == index)
        m_trimAfterNoteMark = -1;
    if (m_labelTabStory == index)
        m_labelTabStory = -1;
    Story& story = m_stories[index];
    std::vector<Block> blocks = story.builder.finish(false);
    switch (story.kind) {
    case StoryKind::Body:
        break;
    case StoryKind::Footnote:
    case StoryKind::Endnote: {
        // The mark is shown by the writer; the text after it starts the note.
        if (!blocks.empty() && blocks.front().kind == Block::Kind::Paragraph) {
            std::string& first = blocks.front().text;
            first.erase(0, std::min(first.find_first_not_of(' '), first.size()));
        }
        Note note{noteMark(story.kind), std::move(blocks)};
        if (m_pendingReference >= 0) {
            m_references[m_pendingReference] = "[" + note.mark + "]";
            m_pendingReference = -1;
        }
        (story.kind == StoryKind::Endnote ? m_document.endnotes : m_document.footnotes)
            .push_back(std::move(note));
        break;
    }
    case StoryKind::HeaderFooter:
        m_document.headersFooters.push_back(std::move(blocks));
        break;
    case StoryKind::Comment: {
        if (!blocks.empty() && blocks.front().kind == Block::Kind::Paragraph) {
            std::string& first = blocks.front().text;
            first.erase(0, std::min(first.find_first_not_of(' '), first.size()));
        }
        m_document.comments.push_back(
            Note{std::to_string(m_document.comments.size() + 1), std::move(blocks)});
        break;
    }
    case StoryKind::Shape:
        m_stories[story.parent].builder.addAnchored(std::move(blocks));
        break;
    }
    // Stories end in the reverse order they start (groups nest), so the
    // finished one is the last.
    if (index + 1 == static_cast<int>(m_stories.size()) && index > 0)
        m_stories.pop_back();
    else
        story.builder = BlockBuilder();
}

void RtfReader::controlSymbol(char symbol)
{
    switch (symbol) {
    case '*':
        m_starred = true;
        return;
    case '\n': // a backslash before a line end reads as \par
        if (m_fromHtml) {
            encapsulatedHtmlWord(Word::Par);
            return;
        }
        applyLabelFollow();
        if (emitting())
            builder().endParagraph(paragraphLevel());
        return;
    case '~':
        if (emitting())
            emit("\u00A0");
        return;
    case '_':
        if (emitting())
            emit("-");
        return;
    case '\\':
    case '{':
    case '}':
        text(std::string_view(&symbol, 1));
        return;
    case '\t':
        if (emitting())
            emit("\t");
        return;
    default: // \- optional hyphen, \: index subentry, \| formula: nothing to show
        return;
    }
}

Status RtfReader::controlWord(const RtfToken& token)
{
    const WordInfo info = wordTable().find(token.word);
    const bool starred = m_starred;
    m_starred = false;

    // Fallback characters after \uN: a control word counts as one, but the
    // structure of the document is never given up for a fallback.
    if (m_skip > 0) {
        switch (info.word) {
        case Word::Par:
        case Word::Sect:
        case Word::Cell:
        case Word::Row:
        case Word::NestCell:
        case Word::NestRow:
            m_skip = 0;
            break;
        default:
            --m_skip;
            return {};
        }
    }
    if (info.word != Word::U && info.word != Word::Uc)
        m_highSurrogate = 0;

    GroupState& s = state();
    const std::int32_t p = token.parameter;
    const bool on = !token.hasParameter || p != 0;
    if (m_fromHtml && encapsulatedHtmlWord(info.word))
        return {};
    switch (info.word) {
    case Word::Unknown:
        if (starred)
            skipGroup();
        return {};
    case Word::Par:
        applyLabelFollow();
        if (m_trimAfterNoteMark == s.story)
            m_trimAfterNoteMark = -1;
        if (emitting())
            builder().endParagraph(paragraphLevel());
        m_text.spend(kNodeCost);
        return {};
    case Word::Sect:
        if (m_stories[s.story].kind == StoryKind::Body)
            ++m_section;
        applyLabelFollow();
        if (emitting() && !builder().paragraphEmpty())
            builder().endParagraph(paragraphLevel());
        return {};
    case Word::Line:
    case Word::Page:
    case Word::Column:
        if (emitting())
            emit("\n");
        return {};
    case Word::Tab:
        if (emitting())
            emit("\t");
        return {};
    case Word::Cell:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endCell(1);
        m_text.spend(kNodeCost);
        return {};
    case Word::NestCell:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endCell(std::max(2, paragraphLevel()));
        m_text.spend(kNodeCost);
        return {};
    case Word::Row:
        applyLabelFollow();
        if (s.dest == Destination::Text)
            builder().endRow(1);
        m_text.spend(kNodeCost);
        return {};
    case Word::NestRow: // written inside \*\nesttableprops
        applyLabelFollow();
        if (s.dest == Destination::Text || s.dest == Destination::Ignore)
            builder().endRow(std::max(2, paragraphLevel()));
        m_text.spend(kNodeCost);
        return {};
    case Word::Chftn:
        if (emitting() && m_stories[s.story].kind == StoryKind::Body) {
            m_pendingReference = static_cast<int>(m_references.size());
            m_references.emplace_back();
            emit(std::string(1, kRefStart) + std::to_string(m_pendingReference) + kRefEnd);
        } else if (emitting() && builder().size() == 0 &&
                   (m_stories[s.story].kind == StoryKind::Footnote ||
                    m_stories[s.story].kind == StoryKind::Endnote)) {
            m_trimAfterNoteMark = s.story;
        }
        return {};
    case Word::U: {
        m_skip = s.uc;
        // [RTF 1.5] "Unicode RTF": a signed 16-bit number; above 32767 it is
        // written negative.
        char32_t c = (p < -32768 || p > 65535) ? 0xFFFD : static_cast<char32_t>(p < 0 ? p + 65536 : p);
        if (s.instruction && !m_fields.empty()) {
            // An equation's text: surrogate pairs are rare enough there to give U+FFFD.
            std::string& instruction = m_fields.back().instruction;
            if (instruction.size() < fieldInstructionBytesKept(instruction))
                appendUtf8(instruction, c); // a surrogate becomes U+FFFD there
            return {};
        }
        if (!emitting())
            return {};
        if (isHighSurrogate(c)) {
            m_highSurrogate = c;
            return {};
        }
        if (isLowSurrogate(c) && m_highSurrogate) {
            c = combineSurrogates(m_highSurrogate, c);
        } else if (s.fontInfo && s.fontInfo->symbol) {
            c = mapSymbolFontCharacter(s.fontInfo->name, c);
        } else if (c >= 0xF000 && c <= 0xF0FF) {
            // A private-use character: a symbol font's code. A list label
            // without a font of its own is taken as the usual Symbol bullet.
            c = mapSymbolFontCharacter(s.listLabel ? "Symbol" : (s.fontInfo ? s.fontInfo->name : ""), c);
        }
        m_highSurrogate = 0;
        emitCodePoint(c);
        return {};
    }
    case Word::Character:
        if (emitting())
            emit(kCharacterWords[info.value].second);
        return {};

    case Word::Uc:
        s.uc = std::clamp<std::int32_t>(p, 0, limits::kMaxRtfUnicodeFallback);
        return {};
    case Word::F:
        if (s.dest == Destination::FontTable) {
            m_fontBeingDefined = p;
            if (m_fonts.size() < limits::kMaxRtfFonts || m_fonts.count(p))
                m_fonts[p];
            else
                m_fontBeingDefined = -1;
        } else {
            s.font = p;
            updateFont(s);
        }
        return {};
    case Word::Af:
        if (s.dest != Destination::FontTable) {
            s.assocFont = p;
            updateFont(s);
        }
        return {};
    case Word::Rtlch:
    case Word::Ltrch:
        s.rtl = info.word == Word::Rtlch;
        updateFont(s);
        return {};
    case Word::Plain:
        s.font = -1;
        s.assocFont = -1;
        s.hidden = false;
        s.deleted = false;
        updateFont(s);
        return {};
    case Word::Pard:
        s.intbl = false;
        s.itap = 0;
        s.ls = -1;
        s.ilvl = 0;
        return {};
    case Word::Intbl:
        s.intbl = on;
        return {};
    case Word::Itap:
        s.itap = std::clamp<std::int32_t>(p, 0, limits::kMaxTableNesting);
        return {};
    case Word::V:
        s.hidden = on;
        return {};
    case Word::Deleted:
        s.deleted = on;
        return {};
    case Word::Ansi:
    case Word::Mac:
    case Word::Pc:
    case Word::Pca:
        // [RTF 1.6] "Character Set"; a later \ansicpg is more precise.
        if (!m_codePageGiven)
            m_codePage = info.word == Word::Ansi  ? 1252
                         : info.word == Word::Mac ? 10000
                         : info.word == Word::Pc  ? 437
                                                  : 850;
        return {};
    case Word::Ansicpg:
        if (p > 0 && !charsetForCodePage(p).empty()) {
            m_codePage = p;
            m_codePageGiven = true;
        }
        return {};
    case Word::Deff:
        m_defaultFont = p;
        return {};
    case Word::Fcharset:
    case Word::Cpg:
        if (s.dest == Destination::FontTable && m_fontBeingDefined >= 0) {
            Font& font = m_fonts[m_fontBeingDefined];
            if (info.word == Word::Fcharset) {
                font.symbol = p == 2;
                if (!font.codePage)
                    font.codePage = codePageForCharset(p);
            } else if (p > 0 && !charsetForCodePage(p).empty()) {
                font.codePage = p;
            }
        }
        return {};
    case Word::FtnStart:
        m_footnoteNumbering.start = std::clamp(p, 0, 1 << 20);
        return {};
    case Word::AftnStart:
        m_endnoteNumbering.start = std::clamp(p, 0, 1 << 20);
        return {};
    case Word::FtnFormat:
        m_footnoteNumbering.format = static_cast<NumberFormat>(info.value);
        return {};
    case Word::AftnFormat:
        m_endnoteNumbering.format = static_cast<NumberFormat>(info.value);
        return {};
    case Word::FtnRestart:
        m_footnoteNumbering.restartEachSection = info.value != 0;
        return {};
    case Word::AftnRestart:
        m_endnoteNumbering.restartEachSection = info.value != 0;
        return {};
    case Word::SftnStart:
    case Word::SftnFormat:
    case Word::SftnRestart:
        sectionNoteProperty(m_sectionFootnotes, info, p);
        return {};
    case Word::SaftnStart:
    case Word::SaftnFormat:
    case Word::SaftnRestart:
        sectionNoteProperty(m_sectionEndnotes, info, p);
        return {};
    case Word::Sectd:
        m_sectionFootnotes = {};
        m_sectionEndnotes = {};
        return {};

    case Word::Field:
        if (!s.ownsField) {
            m_fields.emplace_back();
            s.ownsField = true;
        }
        return {};
    case Word::Fldinst:
        s.dest = Destination::Ignore;
        s.instruction = true;
        return {};
    case Word::Fldrslt:
        if (!m_fields.empty()) {
            Field& field = m_fields.back();
            if (field.isCheckBox()) {
                if (emitting() && !field.shown)
                    emit(field.checkBoxText());
                field.shown = true;
                s.dest = Destination::Ignore;
            } else if (field.priv) {
                s.dest = Destination::Ignore;
            }
        }
        return {};
    case Word::Fldpriv:
        if (!m_fields.empty())
            m_fields.back().priv = true;
        return {};
    case Word::Formfield:
        s.dest = Destination::Ignore;
        s.instruction = false;
        return {};
    case Word::Fftype:
        if (!m_fields.empty())
            m_fields.back().checkBox = p == 1;
        return {};
    case Word::Ffres:
        if (!m_fields.empty())
            m_fields.back().result = p;
        return {};
    case Word::Ffdefres:
        if (!m_fields.empty())
            m_fields.back().defaultResult = p;
        return {};

    case Word::Fonttbl:
        s.dest = Destination::FontTable;
        return {};
    case Word::SkipDestination:
        skipGroup();
        return {};
    case Word::Footnote:
        if (s.dest != Destination::Text || m_stories[s.story].kind != StoryKind::Body || s.ownsStory) {
            skipGroup();
            return {};
        }
        newStory(StoryKind::Footnote);
        return {};
    case Word::Ftnalt:
        if (s.ownsStory && m_stories[s.story].kind == StoryKind::Footnote)
            m_stories[s.story].kind = StoryKind::Endnote;
        return {};
    case Word::Annotation:
        if (!m_options.includeComments || s.dest != Destination::Text || s.ownsStory) {
            skipGroup();
            return {};
        }
        newStory(StoryKind::Comment);
        return {};
    case Word::HeaderFooter:
        if (!m_options.includeHeadersFooters || s.dest != Destination::Text ||
            m_stories[s.story].kind != StoryKind::Body || s.ownsStory) {
            skipGroup();
            return {};
        }
        newStory(StoryKind::HeaderFooter);
        return {};
    case Word::Upr:
    case Word::Object:
    case Word::Shp:
        if (s.dest != Destination::Ignore)
            s.resume = s.dest;
        s.dest = Destination::Ignore;
        return {};
    case Word::Ud:
    case Word::Result:
        s.dest = s.resume;
        return {};
    case Word::Shpinst:
        s.dest = Destination::Ignore;
        return {};
    case Word::Shptxt:
        if (s.resume != Destination::Text || s.ownsStory) {
            skipGroup();
            return {};
        }
        newStory(StoryKind::Shape);
        return {};
    case Word::NestTableProps:
        s.dest = Destination::Ignore;
        return {};
    case Word::ListText:
        if (!s.listLabel) {
            s.listLabel = true;
            s.labelStart = static_cast<std::uint32_t>(builder().paragraph().size());
        }
        return {};
    case Word::FromHtml:
        // [MS-OXRTFEX] 2.2.3.1: in the header, before any text of the body.
        if (on && m_states.size() == 2 && m_stories.size() == 1 && m_stories[0].builder.size() == 0 &&
            m_stories[0].builder.paragraphEmpty()) {
            m_fromHtml = true;
            m_html = "\xEF\xBB\xBF"; // the page is gathered as UTF-8, whatever its <meta> says
        }
        return {};
    case Word::HtmlTag:
        skipGroup(); // markup of the wrapped page: only read when it is taken out
        return {};
    case Word::HtmlRtf:
        s.rtfOnly = on;
        return {};
    case Word::ListTable:
    case Word::ListOverrideTable:
        s.dest = Destination::Ignore;
        s.listTable = info.word == Word::ListTable ? ListTableKind::Lists : ListTableKind::Overrides;
        return {};
    case Word::List:
    case Word::ListLevel:
    case Word::LevelFollow:
    case Word::ListId:
    case Word::ListOverride:
    case Word::Ls:
    case Word::Ilvl:
        listTableWord(info.word, p);
        return {};
    }
    return {};
}

// In a document that wraps HTML, the RTF's own structure is its rendering of
// the page, not the page ([MS-OXRTFEX] 2.2.3.2): paragraph ends are white space
// of the page's source, tables, sections and notes are left to the markup.
// Returns whether the word was taken care of here.
bool RtfReader::encapsulatedHtmlWord(Word word)
{
    switch (word) {
    case Word::Par:
    case Word::Line:
        if (emitting())
            emit("\r\n");
        return true;
    case Word::HtmlTag:
        // [MS-OXRTFEX] 2.1.3.1.4: markup; the number after the word is flags.
        state().htmlTag = true;
        return true;
    case Word::Page:
    case Word::Sect:
    case Word::Column:
    case Word::Cell:
    case Word::NestCell:
    case Word::Row:
    case Word::NestRow:
    case Word::Chftn:
    case Word::ListText:
        return true;
    case Word::Footnote:
    case Word::Annotation:
    case Word::HeaderFooter:
    case Word::Shptxt:
        skipGroup();
        return true;
    default:
        return false;
    }
}

void RtfReader::listTableWord(Word word, std::int32_t p)
{
    GroupState& s = state();
    const auto registerOverride = [this] {
        if (m_overrideListId >= 0 && m_overrideLs >= 0 && m_listOverrides.size() < limits::kMaxRtfLists)
            m_listOverrides[m_overrideLs] = m_overrideListId;
    };
    switch (s.listTable) {
    case ListTableKind::None: // paragraph properties
        if (word == Word::Ls)
            s.ls = std::max<std::int32_t>(p, -1);
        else if (word == Word::Ilvl)
            s.ilvl = std::clamp<std::int32_t>(p, 0, kListLevels - 1);
        return;
    case ListTableKind::Lists:
        if (word == Word::List) {
            if (m_lists.size() < limits::kMaxRtfLists)
                m_lists.emplace_back();
            else
                s.listTable = ListTableKind::None; // further lists are not read
        } else if (word == Word::ListLevel && !m_lists.empty()) {
            s.listLevel = true;
            if (m_lists.back().follow.size() < kListLevels)
                m_lists.back().follow.push_back(FollowTab);
        } else if (word == Word::LevelFollow && s.listLevel && !m_lists.empty() &&
                   !m_lists.back().follow.empty()) {
            m_lists.back().follow.back() = std::clamp<std::int32_t>(p, FollowTab, FollowNothing);
        } else if (word == Word::ListId && !s.listLevel && !m_lists.empty()) {
            m_lists.back().id = p;
        }
        return;
    case ListTableKind::Overrides:
        if (word == Word::ListOverride) {
            m_overrideListId = -1;
            m_overrideLs = -1;
        } else if (word == Word::ListId) {
            m_overrideListId = p;
            registerOverride();
        } else if (word == Word::Ls) {
            m_overrideLs = p;
            registerOverride();
        }
        return;
    }
}

// The \levelfollow of the paragraph's list level: \lsN names an override,
// the override its list, \ilvlN the level. -1 when any link is missing.
int RtfReader::levelFollow(const GroupState& s) const
{
    if (s.ls < 0)
        return -1;
    const auto link = m_listOverrides.find(s.ls);
    if (link == m_listOverrides.end())
        return -1;
    const auto list = std::find_if(m_lists.begin(), m_lists.end(),
                                   [&](const ListDefinition& l) { return l.id == link->second; });
    if (list == m_lists.end() || s.ilvl >= static_cast<int>(list->follow.size()))
        return -1;
    return list->follow[static_cast<std::size_t>(s.ilvl)];
}

// At the end of a paragraph, the tab that ended its list label becomes the
// separator its level asks for.
void RtfReader::applyLabelFollow()
{
    if (m_labelTabStory < 0 || m_labelTabStory != state().story)
        return;
    m_labelTabStory = -1;
    std::string& paragraph = builder().paragraph();
    if (m_labelTabPos >= paragraph.size() || paragraph[m_labelTabPos] != '\t')
        return;
    switch (levelFollow(state())) {
    case FollowSpace:
        paragraph[m_labelTabPos] = ' ';
        break;
    case FollowNothing:
        paragraph.erase(m_labelTabPos, 1);
        break;
    default: // a tab, or a list not known: the label as written
        break;
    }
}

void RtfReader::resolveReferences(std::vector<Block>& blocks)
{
    for (Block& block : blocks) {
        if (block.kind == Block::Kind::Table) {
            for (TableRow& row : block.rows)
                for (TableCell& cell : row.cells)
                    resolveReferences(cell.blocks);
            continue;
        }
        std::string& text = block.text;
        if (text.find(kRefStart) == std::string::npos)
            continue;
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != kRefStart) {
                out.push_back(text[i]);
                continue;
            }
            const std::size_t end = text.find(kRefEnd, i);
            if (end == std::string::npos)
                break;
            std::size_t index = m_references.size();
            std::from_chars(text.data() + i + 1, text.data() + end, index);
            if (index < m_references.size())
                out += m_references[index];
            i = end;
        }
        text = std::move(out);
    }
}

Result<Document> RtfReader::read()
{
    m_states.reserve(64);
    m_states.emplace_back();
    m_stories.emplace_back();
    bool opened = false; // the document's own group has started
    for (;;) {
        const RtfToken token = m_tokens.next();
        if (token.type != RtfToken::Type::Text && token.type != RtfToken::Type::HexByte &&
            token.type != RtfToken::Type::End)
            flushMultiByte();
        switch (token.type) {
        case RtfToken::Type::End:
            break;
        case RtfToken::Type::GroupStart: {
            m_skip = 0;
            m_starred = false;
            if (Status status = pushGroup(); !status)
                return status.error();
            opened = true;
            continue;
        }
        case RtfToken::Type::GroupEnd:
            m_skip = 0;
            m_starred = false;
            popGroup();
            if (m_states.size() > 1 || !opened)
                continue;
            break;
        case RtfToken::Type::ControlWord:
            if (Status status = controlWord(token); !status)
                return status.error();
            break;
        case RtfToken::Type::ControlSymbol:
            if (m_skip > 0) {
                --m_skip;
            } else {
                controlSymbol(token.symbol);
                if (token.symbol == '*')
                    continue;
            }
            break;
        case RtfToken::Type::HexByte:
            if (m_skip > 0) {
                --m_skip;
            } else {
                const char byte = static_cast<char>(token.byte);
                text(std::string_view(&byte, 1));
            }
            break;
        case RtfToken::Type::Text:
            text(token.text);
            break;
        case RtfToken::Type::Binary:
            if (m_skip > 0)
                --m_skip;
            break;
        }
        // Text after the document's own group has closed (another document
        // pasted after it, mail trailers) is not part of it.
        if (token.type == RtfToken::Type::End || (opened && m_states.size() == 1))
            break;
        m_starred = false;
        if (Status status = m_text.status(); !status)
            return status.error();
    }
    flushMultiByte();
    if (m_fromHtml)
        return readHtml(asBytes(m_html), m_options);
    // A file that ends inside groups ends them all.
    while (m_states.size() > 1)
        popGroup();
    m_document.body = m_stories[0].builder.finish(true);
    if (!m_references.empty())
        resolveReferences(m_document.body);
    return std::move(m_document);
}

} // namespace

Result<Document> readRtf(ByteView bytes, const ReadOptions& options)
{
    // A byte-order mark or white space before "{\rtf" is no text.
    const std::size_t limit = std::min<std::size_t>(bytes.size(), 4096);
    for (std::size_t i = 0; i < limit; ++i) {
        if (bytes[i] == '{') {
            bytes = bytes.subspan(i);
            break;
        }
    }
    RtfReader reader(bytes, options);
    return reader.read();
}

} // namespace plainora::engine
