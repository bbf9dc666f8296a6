// Word binary documents in a compound file: Word 97-2003 ([MS-DOC]) and,
// best effort, Word 6/95; encrypted files and other Office files are
// recognised and refused with a description that says what they are.

#include "engine/ErrorText.h"
#include "engine/Layout.h"
#include "engine/Limits.h"
#include "engine/Readers.h"
#include "engine/TextEncoding.h"
#include "engine/doc/CompoundFile.h"
#include "engine/doc/DocumentText.h"
#include "engine/doc/Fib.h"
#include "engine/doc/Lists.h"
#include "engine/doc/LittleEndian.h"
#include "engine/doc/PieceTable.h"
#include "engine/doc/Properties.h"
#include "engine/doc/Stories.h"

#include <algorithm>
#include <map>
#include <memory>

namespace plainora::engine {

namespace {

using namespace doc;

constexpr std::uint16_t kWord97Ident = 0xA5EC;
constexpr std::uint16_t kWord97MinNFib = 0xC0;
constexpr std::uint16_t kWord6MinNFib = 101;
// [MS-DOC] 2.5.1: the largest FIB its counts can describe (FibBase, four
// counts, then at most 0xFFFF 16-bit, 32-bit, FcLcb and new 16-bit entries).
constexpr std::uint64_t kFibBytesRead = 32 + 4 * 2 + 0xFFFFull * (2 + 4 + 8 + 2);

// What a compound file without a WordDocument stream holds.
Error describeOtherCompoundFile(const CompoundFile& file)
{
    static constexpr std::uint8_t kMsiClsid[16] = {0x84, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                   0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (file.contains("\x06"
                      "DataSpaces"))
        return passwordProtected(); // rights-managed content, [MS-DOC] 2.1
    if (file.contains("Workbook") || file.contains("Book"))
        return looksLike("an Excel workbook");
    if (file.contains("PowerPoint Document"))
        return looksLike("a PowerPoint presentation");
    if (file.contains("VisioDocument"))
        return looksLike("a Visio drawing");
    if (file.contains("Contents") && file.contains("Quill"))
        return looksLike("a Publisher document");
    if (std::equal(std::begin(kMsiClsid), std::end(kMsiClsid), file.entry(CompoundFile::kRoot).clsid.begin()))
        return looksLike("a Windows Installer package");
    for (std::uint32_t id : file.children(CompoundFile::kRoot))
        if (file.entry(id).name.starts_with("__substg1.0_"))
            return looksLike("an Outlook message");
    return looksLike("an Office compound file of another kind (it has no Word text)");
}

// How auto-numbered notes count: the document's settings
// ([MS-DOC] 2.7.2 DopBase: rncFtn/nFtn at 0x02, rncEdn/nEdn at 0x34), which
// each section may override ([MS-DOC] 2.6.4 sprmSRncFtn ... sprmSNfcEdnRef).
// The number formats in the 16 bits at 0x36 count only for Word 6/95: later
// versions keep them in the sections alone (Word writes 0 there for endnotes
// it shows as i, ii, iii).
struct NotesNumbering
{
    NoteNumbering footnotes;
    NoteNumbering endnotes{NumberFormat::LowerRoman};
};

constexpr int kRestartEachSection = 1; // rncRstSect

NotesNumbering readNotesNumbering(ByteView table, FibBlock dop, bool formatsInDop)
{
    NotesNumbering numbering;
    const ByteView bytes = slice(table, dop.fc, dop.lcb);
    if (bytes.size() < 0x38)
        return numbering;
    const std::uint16_t footnotes = readU16(bytes, 0x02);
    const std::uint16_t endnotes = readU16(bytes, 0x34);
    const std::uint16_t formats = readU16(bytes, 0x36);
    numbering.footnotes.start = footnotes >> 2;
    numbering.footnotes.restartEachSection = (footnotes & 0x03) == kRestartEachSection;
    numbering.endnotes.start = endnotes >> 2;
    numbering.endnotes.restartEachSection = (endnotes & 0x03) == kRestartEachSection;
    if (formatsInDop) {
        numbering.footnotes.format = numberFormatFromNfc((formats >> 2) & 0x0F);
        numbering.endnotes.format = numberFormatFromNfc((formats >> 6) & 0x0F);
    }
    return numbering;
}

void applySectionNotePrl(NotesNumbering& numbering, std::uint16_t sprm, ByteView operand)
{
    const int value = operand.size() >= 2 ? readU16(operand, 0) : (operand.empty() ? 0 : operand[0]);
    switch (sprm) {
    case 0x303C: // sprmSRncFtn
        numbering.footnotes.restartEachSection = value == kRestartEachSection;
        break;
    case 0x303E: // sprmSRncEdn
        numbering.endnotes.restartEachSection = value == kRestartEachSection;
        break;
    case 0x503F: // sprmSNFtn
        numbering.footnotes.start = value;
        break;
    case 0x5041: // sprmSNEdn
        numbering.endnotes.start = value;
        break;
    case 0x5040: // sprmSNfcFtnRef
        numbering.footnotes.format = numberFormatFromNfc(value);
        break;
    case 0x5042: // sprmSNfcEdnRef
        numbering.endnotes.format = numberFormatFromNfc(value);
        break;
    default:
        break;
    }
}

struct PartRange
{
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

class WordBinaryDocument
{
public:
    // wordDocument gives the sections' properties (Word 97 and later only).
    WordBinaryDocument(const Fib& fib, ByteView table, DocumentText& text, const ReadOptions& options,
                       const ScatteredBytes* wordDocument)
        : m_fib(fib), m_table(table), m_text(text), m_options(options), m_wordDocument(wordDocument),
          m_word97(wordDocument != nullptr)
    {
        // [MS-DOC] 2.3: the parts follow one another in CP order.
        const std::uint32_t lengths[] = {fib.ccpText, fib.ccpFtn,  fib.ccpHdd + fib.ccpMcr, fib.ccpAtn,
                                         fib.ccpEdn,  fib.ccpTxbx, fib.ccpHdrTxbx};
        std::uint64_t cp = 0;
        for (std::size_t i = 0; i < std::size(lengths); ++i) {
            const std::uint64_t end = std::min<std::uint64_t>(cp + lengths[i], text.size());
            m_parts[i] = {static_cast<std::uint32_t>(std::min<std::uint64_t>(cp, text.size())),
                          static_cast<std::uint32_t>(end)};
            cp += lengths[i];
        }
    }

    Document read(StoryContext& context)
    {
        Document document;
        const NotesNumbering numbering = readNotesNumbering(m_table, m_fib.block(FcLcb::Dop), !m_word97);
        const auto sed = Plc::parse(m_table, m_fib.block(FcLcb::PlcfSed), 12);
        if (sed) {
            for (std::size_t i = 1; i < sed->size(); ++i)
                if (sed->position(i) > 0)
                    context.sectionEnds.insert(sed->position(i) - 1);
        }
        const std::vector<SectionNotes> sections = readSections(sed, numbering);
        document.footnotes =
            readNotes(context, FcLcb::PlcffndRef, FcLcb::PlcffndTxt, kFootnotes, sections, numbering);
        if (m_word97)
            document.endnotes =
                readNotes(context, FcLcb::PlcfendRef, FcLcb::PlcfendTxt, kEndnotes, sections, numbering);
        std::vector<std::vector<Block>> unanchored;
        if (m_word97)
            readTextBoxes(context, unanchored);
        const PartRange main = m_parts[kMain];
        document.body = readStory(context, main.begin, main.end);
        // Text boxes whose anchors were not found come after the body.
        for (auto& [cp, blocks] : context.anchoredBlocks)
            unanchored.push_back(std::move(blocks));
        context.anchoredBlocks.clear();
        for (auto& blocks : unanchored)
            for (Block& block : blocks)
                document.body.push_back(std::move(block));
        context.noteMarks.clear();
        context.sectionEnds.clear();
        if (m_options.includeHeadersFooters)
            readHeadersFooters(context, document);
        if (m_options.includeComments)
            readComments(context, document);
        return document;
    }

private:
    enum Part { kMain, kFootnotes, kHeaders, kComments, kEndnotes, kTextBoxes, kHeaderTextBoxes };

    std::vector<Block> story(StoryContext& context, Part part, std::uint32_t begin, std::uint32_t end)
    {
        const PartRange range = m_parts[part];
        const std::uint64_t from = std::uint64_t{range.begin} + begin;
        const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{range.begin} + end, range.end);
        if (from >= to)
            return {};
        return readStory(context, static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to));
    }

    struct SectionNotes
    {
        std::uint32_t end = 0; // the CP after the section
        NotesNumbering numbering;
    };

    // Each section's note numbering: the document's, changed by the
    // section's own properties ([MS-DOC] 2.8.26 PlcfSed, 2.9.253 Sed, 2.9.260 SEPX).
    // Read only for a document with notes, and only so many property bytes
    // in all: sections of a hostile file could all point at the largest SEPX.
    std::vector<SectionNotes> readSections(const std::optional<Plc>& sed,
                                           const NotesNumbering& numbering) const
    {
        std::vector<SectionNotes> sections;
        if (!sed || (m_fib.block(FcLcb::PlcffndRef).lcb == 0 && m_fib.block(FcLcb::PlcfendRef).lcb == 0))
            return sections;
        constexpr std::uint64_t kPropertyBytesRead = 16u << 20;
        std::uint64_t read = 0;
        std::vector<std::uint8_t> scratch;
        for (std::size_t i = 0; i < sed->size(); ++i) {
            SectionNotes section{sed->position(i + 1), numbering};
            const std::uint32_t fcSepx = readU32(sed->data(i), 2);
            if (m_wordDocument && fcSepx != 0xFFFFFFFF && read < kPropertyBytesRead) {
                const ByteView size = m_wordDocument->read(fcSepx, 2, scratch);
                const std::uint16_t cb = size.size() == 2 ? readU16(size, 0) : 0;
                read += cb;
                const ByteView grpprl = m_wordDocument->read(std::uint64_t{fcSepx} + 2, cb, scratch);
                forEachPrl(grpprl, [&](std::uint16_t sprm, ByteView operand) {
                    applySectionNotePrl(section.numbering, sprm, operand);
                });
            }
            sections.push_back(section);
        }
        return sections;
    }

    // [MS-DOC] 2.8.19-2.8.20: the k-th reference belongs to the k-th text.
    std::vector<Note> readNotes(StoryContext& context, FcLcb refs, FcLcb texts, Part part,
                                const std::vector<SectionNotes>& sections,
                                const NotesNumbering& documentNumbering)
    {
        std::vector<Note> notes;
        const auto refPlc = Plc::parse(m_table, m_fib.block(refs), 2);
        const auto textPlc = Plc::parse(m_table, m_fib.block(texts), 0);
        if (!refPlc || !textPlc)
            return notes;
        NoteCounter counter;
        std::size_t section = 0;
        for (std::size_t k = 0; k < refPlc->size() && k < textPlc->size(); ++k) {
            const std::uint32_t cp = refPlc->position(k);
            while (section < sections.size() && sections[section].end <= cp)
                ++section;
            const NotesNumbering& numbering =
                section < sections.size() ? sections[section].numbering : documentNumbering;
            Note note;
            if (readU16(refPlc->data(k), 0) != 0 || cp >= m_text.size()) {
                note.mark = counter.next(part == kEndnotes ? numbering.endnotes : numbering.footnotes,
                                         static_cast<int>(section));
            } else {
                std::string custom;
                appendUtf8(custom, m_text.at(cp));
                note.mark = custom;
            }
            if (cp < m_parts[kMain].end)
                context.noteMarks[cp] = noteReferenceText(note.mark);
            note.blocks = story(context, part, textPlc->position(k), textPlc->position(k + 1));
            trimNoteStart(note.blocks, /*afterOwnMark=*/true);
            notes.push_back(std::move(note));
        }
        return notes;
    }

    static bool hasText(const std::vector<Block>& blocks)
    {
        return std::any_of(blocks.begin(), blocks.end(), [](const Block& block) {
            return block.kind == Block::Kind::Table || !block.text.empty();
        });
    }

    // Each text box's range ends with a separating paragraph mark that is
    // not part of its text.
    std::vector<Block> textBox(StoryContext& context, Part part, const Plc& boxes, std::size_t i)
    {
        const std::uint32_t begin = boxes.position(i);
        const std::uint32_t end = boxes.position(i + 1);
        return end > begin ? story(context, part, begin, end - 1) : std::vector<Block>{};
    }

    // [MS-DOC] 2.8.32 PlcftxbxTxt (FTXBXS, lid at 14) matched with the
    // anchors of 2.8.27 PlcSpa (SPA, lid at 0).
    void readTextBoxes(StoryContext& context, std::vector<std::vector<Block>>& unanchored)
    {
        const auto boxes = Plc::parse(m_table, m_fib.block(FcLcb::PlcftxbxTxt), 22);
        if (!boxes)
            return;
        std::map<std::int32_t, std::uint32_t> anchors;
        if (const auto spa = Plc::parse(m_table, m_fib.block(FcLcb::PlcSpaMom), 26))
            for (std::size_t i = 0; i < spa->size(); ++i)
                anchors.emplace(readI32(spa->data(i), 0), spa->position(i));
        for (std::size_t i = 0; i + 1 < boxes->size(); ++i) {
            std::vector<Block> blocks = textBox(context, kTextBoxes, *boxes, i);
            if (!hasText(blocks))
                continue;
            const auto anchor = anchors.find(readI32(boxes->data(i), 14));
            if (anchor != anchors.end() && !context.anchoredBlocks.count(anchor->second)) {
                context.anchoredBlocks[anchor->second] = std::move(blocks);
            } else {
                unanchored.push_back(std::move(blocks));
            }
        }
    }

    // [MS-DOC] 2.8.22 PlcfHdd: six note separators, then six stories per
    // section; a non-empty story ends with a guard paragraph mark.
    void readHeadersFooters(StoryContext& context, Document& document)
    {
        const auto hdd = Plc::parse(m_table, m_fib.block(FcLcb::PlcfHdd), 0);
        if (!hdd)
            return;
        for (std::size_t i = 6; i < hdd->size(); ++i) {
            const std::uint32_t begin = hdd->position(i);
            const std::uint32_t end = hdd->position(i + 1);
            if (end <= begin)
                continue;
            std::vector<Block> blocks = story(context, kHeaders, begin, end - 1);
            if (hasText(blocks))
                document.headersFooters.push_back(std::move(blocks));
        }
        if (m_word97) {
            const auto boxes = Plc::parse(m_table, m_fib.block(FcLcb::PlcfHdrtxbxTxt), 22);
            for (std::size_t i = 0; boxes && i + 1 < boxes->size(); ++i) {
                std::vector<Block> blocks = textBox(context, kHeaderTextBoxes, *boxes, i);
                if (hasText(blocks))
                    document.headersFooters.push_back(std::move(blocks));
            }
        }
    }

    // [MS-DOC] 2.8.8 PlcfandTxt: one range per comment, in order.
    void readComments(StoryContext& context, Document& document)
    {
        const auto texts = Plc::parse(m_table, m_fib.block(FcLcb::PlcfandTxt), 0);
        if (!texts)
            return;
        // One range per reference; the last CP closes a final empty range.
        std::size_t count = texts->size() > 0 ? texts->size() - 1 : 0;
        if (const auto refs = Plc::parse(m_table, m_fib.block(FcLcb::PlcfandRef), 30))
            count = std::min(refs->size(), texts->size());
        for (std::size_t k = 0; k < count; ++k) {
            Note note;
            note.mark = commentMark(k);
            note.blocks = story(context, kComments, texts->position(k), texts->position(k + 1));
            trimNoteStart(note.blocks, /*afterOwnMark=*/true);
            document.comments.push_back(std::move(note));
        }
    }

    const Fib& m_fib;
    ByteView m_table;
    DocumentText& m_text;
    const ReadOptions& m_options;
    const ScatteredBytes* m_wordDocument;
    bool m_word97;
    PartRange m_parts[7];
};

Result<Document> readWord97(const CompoundFile& file, const ScatteredBytes& wordDocument, ByteView fibBytes,
                            const ReadOptions& options)
{
    auto fibResult = readFib97(fibBytes);
    if (!fibResult)
        return fibResult.error();
    const Fib& fib = fibResult.value();
    const char* tableName = fib.fWhichTblStm ? "1Table" : "0Table";
    const auto tableId = file.find(CompoundFile::kRoot, tableName);
    if (!tableId)
        return damaged(std::string("its table stream (") + tableName + ") is missing");
    auto tableStream = file.readStream(*tableId);
    if (!tableStream)
        return tableStream.error();
    const ByteView table = tableStream.value().bytes();
    StreamData dataStream;
    if (const auto dataId = file.find(CompoundFile::kRoot, "Data")) {
        if (auto data = file.readStream(*dataId))
            dataStream = data.take();
    }

    const FibBlock clxBlock = fib.block(FcLcb::Clx);
    const ByteView clx = slice(table, clxBlock.fc, clxBlock.lcb);
    if (clx.empty())
        return damaged("its piece table is missing");
    auto pieces = PieceTable::parse(clx, true);
    if (!pieces)
        return pieces.error();
    const FibBlock stshf = fib.block(FcLcb::Stshf);
    const StyleSheet styles = StyleSheet::parse(slice(table, stshf.fc, stshf.lcb));
    const std::vector<std::string> fonts = readFontNames(table, fib.block(FcLcb::SttbfFfn));
    ListNumbering lists =
        ListNumbering::parse(table, fib.block(FcLcb::PlfLst), fib.block(FcLcb::PlfLfo), &fonts);

    DocumentText::Sources sources;
    sources.wordDocument = wordDocument;
    sources.table = table;
    sources.fib = &fib;
    sources.pieces = &pieces.value();
    sources.styles = &styles;
    sources.byteMap = &DocumentText::compressedByteMap();
    auto text = DocumentText::build(sources);
    if (!text)
        return text.error();

    StoryContext context;
    context.text = &text.value();
    context.lists = &lists;
    context.fonts = &fonts;
    context.dataStream = dataStream.bytes();
    WordBinaryDocument document(fib, table, text.value(), options, &wordDocument);
    return document.read(context);
}

// Word 6/95: FIB, piece table and PLCs all in WordDocument; text in the
// document's code page, or UTF-16 where the file says so (fExtChar).
Result<Document> readWord6(ByteView wordDocument, const ReadOptions& options)
{
    auto fibResult = readFib6(wordDocument);
    if (!fibResult)
        return oldWordVersion();
    const Fib& fib = fibResult.value();
    PieceTable pieces;
    const FibBlock clxBlock = fib.block(FcLcb::Clx);
    if (fib.fComplex || clxBlock.lcb > 0) {
        auto parsed = PieceTable::parse(slice(wordDocument, clxBlock.fc, clxBlock.lcb), fib.fExtChar);
        if (!parsed)
            return oldWordVersion();
        pieces = std::move(parsed.value());
    } else {
        if (fib.fcMac <= fib.fcMin || fib.fcMac > wordDocument.size())
            return oldWordVersion();
        const std::uint32_t bytes = fib.fcMac - fib.fcMin;
        pieces = PieceTable::single(fib.fcMin, fib.fExtChar ? bytes / 2 : bytes, !fib.fExtChar);
    }
    auto text = DocumentText::buildUnformatted(wordDocument, pieces, codePageForLanguage(fib.lid));
    if (!text)
        return text.error();
    StoryContext context;
    context.text = &text.value();
    context.tablesFromProperties = false;
    WordBinaryDocument document(fib, wordDocument, text.value(), options, nullptr);
    Document result = document.read(context);
    if (result.body.empty())
        return oldWordVersion();
    return result;
}

} // namespace

Result<Document> readCompoundFile(ByteView bytes, const ReadOptions& options)
{
    auto opened = CompoundFile::open(bytes);
    if (!opened)
        return opened.error();
    const CompoundFile& file = opened.value();
    // [MS-OFFCRYPTO] 2.3.4: an encrypted OOXML package travels in a compound file.
    if (file.contains("EncryptedPackage") || file.contains("EncryptionInfo"))
        return passwordProtected();
    const auto wordId = file.find(CompoundFile::kRoot, "WordDocument");
    if (!wordId)
        return describeOtherCompoundFile(file);
    auto stream = file.readStream(*wordId);
    if (!stream)
        return stream.error();
    // The FIB is the stream's first bytes; the text and the property pages
    // are read in place, the stream never copied whole.
    const ScatteredBytes& wordDocument = stream.value().scattered();
    std::vector<std::uint8_t> fibScratch;
    const ByteView fibBytes =
        wordDocument.read(0, std::min<std::uint64_t>(wordDocument.size(), kFibBytesRead), fibScratch);
    auto base = readFibBase(fibBytes);
    if (!base)
        return base.error();
    const Fib& fib = base.value();
    if (fib.fEncrypted || fib.fObfuscated)
        return passwordProtected(); // [MS-DOC] 2.2.6
    if (file.contains("\x06"
                      "DataSpaces"))
        return passwordProtected();
    if (fib.wIdent == kWord97Ident && fib.nFib >= kWord97MinNFib)
        return readWord97(file, wordDocument, fibBytes, options);
    // Word 6/95 keeps its tables in the same stream: small files, read whole.
    if (fib.nFib >= kWord6MinNFib && fib.nFib < kWord97MinNFib)
        return readWord6(stream.value().bytes(), options);
    if (fib.nFib < kWord6MinNFib)
        return oldWordVersion();
    return notWordDocument("its Word stream has an unknown signature");
}

} // namespace plainora::engine
