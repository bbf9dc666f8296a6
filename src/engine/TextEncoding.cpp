#include "engine/TextEncoding.h"

#include "engine/ErrorText.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <memory>

namespace plainora::engine {

namespace {

struct IconvCloser
{
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from)
{
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return IconvHandle(handle);
}

// iconv works through a bounded window, so converting a large text never
// needs a buffer several times its size; E2BIG just takes another round.
std::size_t conversionChunkBytes(std::size_t inputBytes)
{
    return std::min<std::size_t>(4 * inputBytes + 16, 256 * 1024);
}

std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

} // namespace

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i]))
            return false;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0 when the
// bytes there are not one: overlong forms, surrogates and values beyond
// Unicode are not, whatever a decoder may let through.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    char32_t cp;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (length > text.size() - i)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if ((length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string repairUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            appendUtf8(out, 0xFFFD); // one mark per byte that fits nothing
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

void appendUtf16le(std::string& out, ByteView bytes)
{
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t unit = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if (isHighSurrogate(unit) && i + 1 < units) {
            const char32_t low = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
            if (isLowSurrogate(low)) {
                appendUtf8(out, combineSurrogates(unit, low));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit); // a lone surrogate becomes U+FFFD there
    }
}

std::string utf16leToUtf8(ByteView bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    appendUtf16le(out, bytes);
    return out;
}

std::string charsetForCodePage(int codePage)
{
    switch (codePage) {
    case 65001:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 10000:
        return "MACINTOSH";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    default:
        break;
    }
    if (codePage <= 0)
        return {};
    const std::string name = "CP" + std::to_string(codePage);
    if (auto probe = openIconv("UTF-8", name.c_str()))
        return name;
    return {};
}

const char* guessUtf16(ByteView bytes, std::size_t* bomLength)
{
    if (bomLength)
        *bomLength = 0;
    if (bytes.size() >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        if (bomLength)
            *bomLength = 2;
        return bytes[0] == 0xFF ? "UTF-16LE" : "UTF-16BE";
    }
    // Without a mark: most high bytes zero, no low byte zero (first 4 KiB).
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4096) & ~std::size_t(1);
    if (n < 4)
        return nullptr;
    std::size_t zeroEven = 0;
    std::size_t zeroOdd = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        zeroEven += bytes[i] == 0;
        zeroOdd += bytes[i + 1] == 0;
    }
    const std::size_t units = n / 2;
    if (zeroOdd * 2 >= units && zeroEven == 0)
        return "UTF-16LE";
    if (zeroEven * 2 >= units && zeroOdd == 0)
        return "UTF-16BE";
    return nullptr;
}

bool isMultiByteCodePage(int codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1200:
    case 1201:
    case 1361:
    case 10001:
    case 10002:
    case 10003:
    case 10008:
    case 20932:
    case 50220:
    case 51932:
    case 51949:
    case 54936:
    case 65000:
    case 65001:
        return true;
    default:
        return false;
    }
}

std::array<std::string, 256> singleByteTable(const std::string& charset)
{
    std::array<std::string, 256> table;
    for (int b = 0; b < 0x80; ++b)
        table[b] = std::string(1, static_cast<char>(b));
    IconvHandle handle = openIconv("UTF-8", charset.c_str());
    if (!handle)
        handle = openIconv("UTF-8", "CP1252");
    auto cd = static_cast<iconv_t>(handle.get());
    for (int b = 0x80; b < 0x100; ++b) {
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* inPtr = in;
        std::size_t inLeft = 1;
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        // Flushing gives what a converter holds back in case a combining
        // mark follows (glibc's CP1255 and CP1258 hold back letters).
        if (cd && iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            inLeft == 0 && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            outPtr != out) {
            table[b].assign(out, outPtr - out);
        } else {
            appendUtf8(table[b], 0xFFFD);
        }
        if (cd)
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return table;
}

int codePageForCharset(int charset)
{
    // [DIS] Figure 6-5: font charset to Windows code page.
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return 0; // 1 (default) and unknown ones: the document's
    }
}

int codePageForLanguage(std::uint16_t lid)
{
    switch (lid) {
    case 0x0404:
    case 0x0C04:
    case 0x1404:
        return 950;
    case 0x0804:
    case 0x1004:
        return 936;
    case 0x0411:
        return 932;
    case 0x0412:
        return 949;
    case 0x041E:
        return 874;
    case 0x042A:
        return 1258;
    default:
        break;
    }
    switch (lid & 0x3FF) {
    case 0x19:
    case 0x22:
    case 0x02:
    case 0x23:
    case 0x2F:
        return 1251; // Russian, Ukrainian, Bulgarian, ...
    case 0x1A:
        return (lid == 0x0C1A) ? 1251 : 1250; // Serbian Cyrillic or Croatian
    case 0x05:
    case 0x15:
    case 0x0E:
    case 0x1B:
    case 0x24:
    case 0x18:
    case 0x1C:
        return 1250;
    case 0x08:
        return 1253;
    case 0x1F:
        return 1254;
    case 0x0D:
        return 1255;
    case 0x01:
    case 0x29:
    case 0x20:
        return 1256;
    case 0x25:
    case 0x26:
    case 0x27:
        return 1257;
    default:
        return 1252;
    }
}

std::string decodeToUtf8(ByteView bytes, const std::string& charset)
{
    std::string out;
    if (bytes.empty())
        return out;
    // iconv lets some ill-formed UTF-8 through (sequences beyond U+10FFFF),
    // and checking it ourselves is faster.
    if (isUtf8Charset(charset))
        return repairUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    IconvHandle handle = openIconv("UTF-8", charset.c_str());
    if (!handle)
        handle = openIconv("UTF-8", "CP1252");
    if (!handle) { // no iconv at all: keep ASCII, mark the rest
        for (auto byte : bytes)
            appendUtf8(out, byte < 0x80 ? byte : 0xFFFD);
        return out;
    }
    auto cd = static_cast<iconv_t>(handle.get());
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    std::size_t inLeft = bytes.size();
    std::string chunk(conversionChunkBytes(bytes.size()), '\0');
    // Writes out what the converter holds back in case a combining mark
    // follows (glibc's CP1255 and CP1258 hold back letters), and resets it.
    const auto flush = [&] {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(chunk.data(), chunk.size() - outLeft);
    };
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk.data(), chunk.size() - outLeft);
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (truncated sequence): mark one byte and go on.
            flush();
            appendUtf8(out, 0xFFFD);
            ++in;
            --inLeft;
        }
    }
    flush();
    // A label iconv takes for UTF-8 under another spelling passes the same
    // ill-formed sequences through.
    return isValidUtf8(out) ? out : repairUtf8(out);
}

bool isUtf8Charset(const std::string& charset)
{
    return charset == "UTF-8" || charset == "utf-8" || charset == "UTF8" || charset == "utf8";
}

Result<EncodedText> encodeFromUtf8(std::string_view utf8, const std::string& charset)
{
    EncodedText result;
    if (isUtf8Charset(charset)) {
        result.bytes.assign(utf8);
        return result;
    }
    IconvHandle handle = openIconv(charset.c_str(), "UTF-8");
    if (!handle)
        return unknownEncoding(charset);
    IconvHandle fallback = openIconv(charset.c_str(), "UTF-8");
    auto cd = static_cast<iconv_t>(handle.get());
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    std::string chunk(conversionChunkBytes(utf8.size()), '\0');
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        result.bytes.append(chunk.data(), chunk.size() - outLeft);
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // The character has no place in the target: write '?' in the
            // target's own encoding and skip the whole UTF-8 sequence.
            char question[] = "?";
            char* qIn = question;
            std::size_t qLeft = 1;
            char qOut[8];
            char* qOutPtr = qOut;
            std::size_t qOutLeft = sizeof qOut;
            iconv(static_cast<iconv_t>(fallback.get()), &qIn, &qLeft, &qOutPtr, &qOutLeft);
            result.bytes.append(qOut, sizeof qOut - qOutLeft);
            const std::size_t skip = std::min(inLeft, utf8SequenceLength(static_cast<unsigned char>(*in)));
            in += skip;
            inLeft -= skip;
            ++result.replacedCharacters;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // Flush any shift state of stateful encodings.
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    result.bytes.append(chunk.data(), chunk.size() - outLeft);
    return result;
}

} // namespace plainora::engine
