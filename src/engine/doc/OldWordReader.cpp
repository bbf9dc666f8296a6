// Word for Windows 1.x/2.0, Word for DOS and MS Write: text only, read as
// one run of 8-bit characters. Formatting lives in separate pages these
// files keep after the text; only the text is needed.

#include "engine/ErrorText.h"
#include "engine/Readers.h"
#include "engine/doc/DocumentText.h"
#include "engine/doc/LittleEndian.h"
#include "engine/doc/Stories.h"

namespace plainora::engine {

namespace {

using namespace doc;

Result<Document> readEightBitText(ByteView bytes, std::uint32_t start, std::uint32_t length, int codePage)
{
    if (length == 0 || !fits(bytes, start, length))
        return oldWordVersion();
    const PieceTable pieces = PieceTable::single(start, length, true);
    auto text = DocumentText::buildUnformatted(bytes, pieces, codePage);
    if (!text)
        return text.error();
    StoryContext context;
    context.text = &text.value();
    context.tablesFromProperties = false;
    Document document;
    document.body = readStory(context, 0, text.value().size());
    return document;
}

} // namespace

Result<Document> readWordForDos(ByteView bytes, const ReadOptions&)
{
    const std::uint16_t magic = readU16(bytes, 0);
    if (magic == 0xA5DB) {
        // Word for Windows 2.0: the FIB header of later versions; the main
        // text is ccpText characters from fcMin ("straight ANSI text").
        const std::uint16_t flags = readU16(bytes, 0x0A);
        if (flags & 0x0004) // fast-saved: the text is not in order
            return oldWordVersion();
        const std::uint32_t fcMin = readU32(bytes, 0x18);
        const std::uint32_t fcMac = readU32(bytes, 0x1C);
        std::uint32_t length = readU32(bytes, 0x34);
        if (fcMac <= fcMin || length > fcMac - fcMin)
            length = fcMac > fcMin ? fcMac - fcMin : 0;
        return readEightBitText(bytes, fcMin, length, 1252);
    }
    // MS Write and Word for DOS: a 128-byte header, the text up to fcMac.
    const std::uint32_t fcMac = readU32(bytes, 14);
    constexpr std::uint32_t kTextStart = 128;
    if (fcMac <= kTextStart || fcMac > bytes.size())
        return oldWordVersion();
    const bool write = magic == 0xBE31 || magic == 0xBE32;
    return readEightBitText(bytes, kTextStart, fcMac - kTextStart, write ? 1252 : 850);
}

} // namespace plainora::engine
