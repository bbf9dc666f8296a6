#include "engine/Readers.h"
#include "engine/TextBudget.h"

#include <string>

namespace plainora::engine {

namespace {

// Splits text into paragraphs at LF, CR LF or a lone CR.
Document paragraphsOf(const std::string& text)
{
    Document document;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            document.body.push_back(Block::paragraph(std::move(line)));
            line.clear();
        } else if (c == '\f') {
            document.body.push_back(Block::paragraph(std::move(line)));
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        document.body.push_back(Block::paragraph(std::move(line)));
    return document;
}

} // namespace

Result<Document> readPlainText(ByteView bytes, const ReadOptions&)
{
    // The text kept is at least about the file's size: refuse before
    // decoding, then account for what decoding added.
    TextBudget budget;
    if (Status status = budget.spend(bytes.size()); !status)
        return status.error();
    std::string text;
    std::size_t bom = 0;
    if (const char* utf16 = guessUtf16(bytes, &bom)) {
        const ByteView units = bytes.subspan(bom, (bytes.size() - bom) & ~std::size_t(1));
        text = std::string_view(utf16) == "UTF-16LE" ? utf16leToUtf8(units) : decodeToUtf8(units, utf16);
    } else {
        ByteView body = bytes;
        if (body.size() >= 3 && body[0] == 0xEF && body[1] == 0xBB && body[2] == 0xBF)
            body = body.subspan(3);
        const std::string_view raw(reinterpret_cast<const char*>(body.data()), body.size());
        text = isValidUtf8(raw) ? std::string(raw) : decodeToUtf8(body, "CP1252");
    }
    if (text.size() > bytes.size()) {
        if (Status status = budget.spend(text.size() - bytes.size()); !status)
            return status.error();
    }
    return paragraphsOf(text);
}

} // namespace plainora::engine
