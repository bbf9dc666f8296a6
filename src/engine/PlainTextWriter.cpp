#include "engine/PlainTextWriter.h"

#include "engine/Layout.h"
#include "engine/TextEncoding.h"

#include <algorithm>
#include <set>
#include <vector>

namespace plainora::engine {

namespace {

void renderBlocks(const std::vector<Block>& blocks, std::string& out);

// Text of one table cell on one line: its paragraphs joined by one space,
// a nested table flattened in the same way, breaks turned into spaces.
void appendCellText(const std::vector<Block>& blocks, std::string& out)
{
    bool first = true;
    auto appendPiece = [&](const std::string& text) {
        if (text.empty())
            return;
        if (!first)
            out.push_back(' ');
        first = false;
        for (char c : text)
            out.push_back(c == '\n' ? ' ' : c);
    };
    for (const Block& block : blocks) {
        if (block.kind == Block::Kind::Paragraph) {
            appendPiece(block.text);
            continue;
        }
        for (const TableRow& row : block.rows) {
            for (const TableCell& cell : row.cells) {
                std::string nested;
                appendCellText(cell.blocks, nested);
                appendPiece(nested);
            }
        }
    }
}

// Thresholds that tell a table used for layout from a data table, measured on
// real documents: data cells held at most about 1,200 characters (a product
// sheet's description), while a cell holding a letter or an article held
// 1,500 and more; a row of data was at most about 1,200 characters long.
constexpr std::size_t kLayoutCellCharacters = 1300;
constexpr std::size_t kLayoutRowCharacters = 2000;

std::size_t characterCount(const std::string& utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// A table whose every row has one cell frames its content (a letter laid out
// in a box); a row with a cell too long to read on one line holds running
// text. Both are written as ordinary paragraphs, the cells of a row in order
// and empty cells left out, so a document laid out in a table keeps its
// paragraphs. Every other row is one line, its cells separated by TAB.
void renderTable(const Block& table, std::string& out)
{
    const bool frame = std::all_of(table.rows.begin(), table.rows.end(),
                                   [](const TableRow& row) { return row.cells.size() == 1; });
    if (frame) {
        for (const TableRow& row : table.rows)
            renderBlocks(row.cells.front().blocks, out);
        return;
    }
    std::vector<std::string> cells; // reused from row to row, capacity kept
    for (const TableRow& row : table.rows) {
        cells.resize(row.cells.size());
        std::size_t rowCharacters = 0;
        bool runningText = false;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            cells[i].clear();
            appendCellText(row.cells[i].blocks, cells[i]);
            const std::size_t characters = characterCount(cells[i]);
            rowCharacters += characters;
            runningText = runningText || characters > kLayoutCellCharacters;
        }
        if (runningText || rowCharacters > kLayoutRowCharacters) {
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                if (!cells[i].empty())
                    renderBlocks(row.cells[i].blocks, out);
            }
            continue;
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out.push_back('\t');
            out += cells[i];
        }
        out.push_back('\n');
    }
}

void renderBlocks(const std::vector<Block>& blocks, std::string& out)
{
    for (const Block& block : blocks) {
        if (block.kind == Block::Kind::Table) {
            renderTable(block, out);
        } else {
            out += block.text;
            out.push_back('\n');
        }
    }
}

// The note's label before its first line; a note without content still
// shows its label.
void renderNote(const Note& note, NoteKind kind, std::string& out)
{
    std::string content;
    renderBlocks(note.blocks, content);
    out += noteLabelText(kind, note.mark);
    if (content.empty())
        out.push_back('\n');
    else
        out += content;
}

} // namespace

std::string renderPlainText(const Document& document)
{
    std::string out;
    // The body is most of the text: sizing the string once spares a large
    // document the copies (and fresh pages) of repeated doubling.
    std::size_t bodyBytes = 0;
    for (const Block& block : document.body)
        bodyBytes += block.kind == Block::Kind::Paragraph ? block.text.size() + 1 : 0;
    out.reserve(bodyBytes + bodyBytes / 16);
    renderBlocks(document.body, out);

    if (!document.headersFooters.empty()) {
        std::set<std::string> seen;
        std::string section;
        for (const auto& blocks : document.headersFooters) {
            std::string text;
            renderBlocks(blocks, text);
            if (text.find_first_not_of(" \t\n") == std::string::npos || !seen.insert(text).second)
                continue;
            section += text;
        }
        if (!section.empty()) {
            out.push_back('\n');
            out += section;
        }
    }

    if (!document.footnotes.empty() || !document.endnotes.empty()) {
        out.push_back('\n');
        for (const Note& note : document.footnotes)
            renderNote(note, NoteKind::Footnote, out);
        for (const Note& note : document.endnotes)
            renderNote(note, NoteKind::Endnote, out);
    }

    if (!document.comments.empty()) {
        out.push_back('\n');
        for (const Note& comment : document.comments)
            renderNote(comment, NoteKind::Comment, out);
    }
    return out;
}

Result<OutputText> encodeOutput(std::string utf8Text, const OutputOptions& options)
{
    if (options.lineEnd == LineEnd::Lf && isUtf8Charset(options.encoding)) {
        OutputText result;
        result.bytes = std::move(utf8Text);
        return result;
    }
    const std::string* text = &utf8Text;
    std::string withCrLf;
    if (options.lineEnd == LineEnd::CrLf) {
        withCrLf.reserve(utf8Text.size() + utf8Text.size() / 16);
        for (char c : utf8Text) {
            if (c == '\n')
                withCrLf.push_back('\r');
            withCrLf.push_back(c);
        }
        text = &withCrLf;
    }
    auto encoded = encodeFromUtf8(*text, options.encoding);
    if (!encoded)
        return encoded.error();
    OutputText result;
    result.bytes = std::move(encoded.value().bytes);
    result.replacedCharacters = encoded.value().replacedCharacters;
    return result;
}

} // namespace plainora::engine
