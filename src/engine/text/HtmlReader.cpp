// HTML reader: the visible text of a web page saved under a Word name, and of
// Word's own "Web Page" and "Single File Web Page" (MHTML) saves. Not a
// conforming HTML parser: a tolerant tag scanner with an element stack that
// knows which elements start blocks, which hide their content, and how
// tables and lists nest.
//
// [x] charset from byte-order mark, <meta>, UTF-8 validity, else Windows-1252
// [x] scripts, styles, titles, comments, Word's <xml> islands skipped
// [x] named and numeric character references
// [x] blocks as paragraphs, <br> as line break, <pre> white space kept
// [x] tables (nested) as rows of TAB-separated cells
// [x] <ul>/<ol> labels; Word's own list labels (mso-list:Ignore) end with a TAB
// [x] display:none dropped; Symbol and Wingdings text mapped to Unicode
// [x] MHTML: the first text/html part, quoted-printable or base64
// [ ] footnotes as notes (their text stays where the page puts it)

#include "BlockBuilder.h"
#include "Limits.h"
#include "NumberFormat.h"
#include "Readers.h"
#include "TextBudget.h"
#include "TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plainora::engine {

namespace {

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (startsWithIgnoringCase(text.substr(i), needle))
            return i;
    }
    return std::string_view::npos;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// ---------------------------------------------------------------------------
// Character references (HTML 4.01 section 24 entity sets, the ones in use).

const std::unordered_map<std::string_view, char32_t>& entityTable()
{
    static const std::unordered_map<std::string_view, char32_t> table = [] {
        std::unordered_map<std::string_view, char32_t> t;
        // ISO 8859-1 characters, U+00A0 to U+00FF, in order.
        static constexpr std::string_view kLatin1[] = {
            "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
            "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
            "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
            "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
            "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
            "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
            "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
            "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
            "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
            "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
            "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
        for (std::size_t i = 0; i < std::size(kLatin1); ++i)
            t.emplace(kLatin1[i], static_cast<char32_t>(0xA0 + i));
        // Greek letters: Alpha..Omega (U+0391..U+03A9), alpha..omega (U+03B1..U+03C9).
        static constexpr std::string_view kGreekNames[] = {
            "Alpha", "Beta",   "Gamma",   "Delta", "Epsilon", "Zeta",    "Eta",  "Theta", "Iota",
            "Kappa", "Lambda", "Mu",      "Nu",    "Xi",      "Omicron", "Pi",   "Rho",   "",
            "Sigma", "Tau",    "Upsilon", "Phi",   "Chi",     "Psi",     "Omega"};
        static constexpr std::string_view kGreekLower[] = {
            "alpha", "beta",   "gamma",   "delta", "epsilon", "zeta",    "eta",  "theta", "iota",
            "kappa", "lambda", "mu",      "nu",    "xi",      "omicron", "pi",   "rho",   "sigmaf",
            "sigma", "tau",    "upsilon", "phi",   "chi",     "psi",     "omega"};
        for (std::size_t i = 0; i < std::size(kGreekNames); ++i) {
            if (!kGreekNames[i].empty())
                t.emplace(kGreekNames[i], static_cast<char32_t>(0x391 + i));
            t.emplace(kGreekLower[i], static_cast<char32_t>(0x3B1 + i));
        }
        const std::pair<std::string_view, char32_t> others[] = {
            {"quot", 34},     {"amp", 38},      {"apos", 39},     {"lt", 60},       {"gt", 62},
            {"OElig", 338},   {"oelig", 339},   {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},
            {"fnof", 402},    {"circ", 710},    {"tilde", 732},   {"ensp", 8194},   {"emsp", 8195},
            {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},    {"lrm", 8206},    {"rlm", 8207},
            {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},  {"rsquo", 8217},  {"sbquo", 8218},
            {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},
            {"bull", 8226},   {"hellip", 8230}, {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},
            {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},  {"euro", 8364},   {"trade", 8482},
            {"larr", 8592},   {"uarr", 8593},   {"rarr", 8594},   {"darr", 8595},   {"harr", 8596},
            {"minus", 8722},  {"infin", 8734},  {"ne", 8800},     {"le", 8804},     {"ge", 8805},
            {"sum", 8721},    {"radic", 8730},  {"asymp", 8776},  {"loz", 9674},    {"hearts", 9829},
        };
        for (const auto& [name, cp] : others)
            t.emplace(name, cp);
        return t;
    }();
    return table;
}

// Decodes the reference at text[0] == '&'; returns how many bytes it took
// (0 when it is no reference, so the '&' stays as it is).
std::size_t decodeReference(std::string_view text, std::string& out)
{
    if (text.size() < 3)
        return 0;
    if (text[1] == '#') {
        std::size_t i = 2;
        int base = 10;
        if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
            base = 16;
            ++i;
        }
        const std::size_t start = i;
        std::uint32_t value = 0;
        while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]))) {
            if (base == 10 && !std::isdigit(static_cast<unsigned char>(text[i])))
                break;
            const auto digit = static_cast<std::uint32_t>(hexDigitValue(static_cast<unsigned char>(text[i])));
            value = std::min<std::uint32_t>(value * base + digit, 0x110000); // saturates beyond Unicode
            ++i;
        }
        if (i == start)
            return 0;
        if (i < text.size() && text[i] == ';')
            ++i;
        // HTML maps the C1 range to Windows-1252, as browsers do.
        static constexpr char16_t kC1[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                             0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
        if (value >= 0x80 && value < 0xA0)
            value = kC1[value - 0x80];
        if (value == 0 || value > 0x10FFFF)
            value = 0xFFFD;
        appendUtf8(out, value);
        return i;
    }
    std::size_t i = 1;
    while (i < text.size() && i < 12 && std::isalnum(static_cast<unsigned char>(text[i])))
        ++i;
    const auto& table = entityTable();
    const auto found = table.find(text.substr(1, i - 1));
    if (found == table.end())
        return 0;
    if (i < text.size() && text[i] == ';')
        ++i;
    appendUtf8(out, found->second);
    return i;
}

// ---------------------------------------------------------------------------
// Character set.

std::string charsetFromMeta(std::string_view head)
{
    std::size_t at = 0;
    while ((at = findNoCase(head, "charset", at)) != std::string_view::npos) {
        std::size_t i = at + 7;
        while (i < head.size() && isSpace(head[i]))
            ++i;
        if (i < head.size() && head[i] == '=') {
            ++i;
            while (i < head.size() && (isSpace(head[i]) || head[i] == '"' || head[i] == '\''))
                ++i;
            const std::size_t start = i;
            while (i < head.size() && (std::isalnum(static_cast<unsigned char>(head[i])) || head[i] == '-' ||
                                       head[i] == '_' || head[i] == ':' || head[i] == '.'))
                ++i;
            if (i > start)
                return asciiLower(head.substr(start, i - start));
        }
        at += 7;
    }
    return {};
}

// The whole page as UTF-8.
std::string decodePage(ByteView bytes, std::string charset)
{
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        // The mark settles the encoding; bytes that break it are marked, never passed on.
        const ByteView body = bytes.subspan(3);
        const std::string_view raw(reinterpret_cast<const char*>(body.data()), body.size());
        return repairUtf8(raw);
    }
    std::size_t bom = 0;
    if (const char* utf16 = guessUtf16(bytes, &bom)) {
        const ByteView units = bytes.subspan(bom, (bytes.size() - bom) & ~std::size_t(1));
        return std::string_view(utf16) == "UTF-16LE" ? utf16leToUtf8(units) : decodeToUtf8(units, utf16);
    }
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (charset.empty())
        charset = charsetFromMeta(raw.substr(0, 4096));
    const bool valid = isValidUtf8(raw);
    if (charset == "utf-8" || charset == "utf8" || (charset.empty() && valid)) {
        if (valid)
            return std::string(raw);
        charset = "windows-1252";
    }
    // Browsers read Latin-1 and ASCII labels as Windows-1252.
    if (charset.empty() || charset == "iso-8859-1" || charset == "us-ascii" || charset == "latin1" ||
        charset == "ascii")
        charset = "windows-1252";
    if (charset.starts_with("windows-"))
        charset = "CP" + charset.substr(8);
    return decodeToUtf8(bytes, charset);
}

// ---------------------------------------------------------------------------
// MHTML (RFC 2557): the first text/html part of a multipart/related message.

std::string decodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) { // soft line break
            ++i;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        int value = 0;
        if (i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
            out.push_back(static_cast<char>(value));
            i += 2;
        } else {
            out.push_back('=');
        }
    }
    return out;
}

std::string decodeBase64(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else
            continue;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

// The value of a header field in a block of MIME headers ("" if absent).
std::string headerValue(std::string_view headers, std::string_view name)
{
    std::size_t at = 0;
    while ((at = findNoCase(headers, name, at)) != std::string_view::npos) {
        if ((at == 0 || headers[at - 1] == '\n') && at + name.size() < headers.size() &&
            headers[at + name.size()] == ':') {
            std::size_t end = at + name.size() + 1;
            // Folded header lines continue with white space.
            while (end < headers.size()) {
                const std::size_t newline = headers.find('\n', end);
                if (newline == std::string_view::npos) {
                    end = headers.size();
                    break;
                }
                end = newline + 1;
                if (end >= headers.size() || (headers[end] != ' ' && headers[end] != '\t'))
                    break;
            }
            std::string value(headers.substr(at + name.size() + 1, end - at - name.size() - 1));
            for (char& c : value)
                if (c == '\r' || c == '\n' || c == '\t')
                    c = ' ';
            return value;
        }
        at += name.size();
    }
    return {};
}

std::string parameterOf(const std::string& value, std::string_view name)
{
    const std::size_t at = findNoCase(value, name);
    if (at == std::string::npos)
        return {};
    std::size_t i = at + name.size();
    while (i < value.size() && (value[i] == ' ' || value[i] == '='))
        ++i;
    const bool quoted = i < value.size() && value[i] == '"';
    if (quoted)
        ++i;
    std::size_t end = i;
    while (end < value.size() && (quoted ? value[end] != '"' : (value[end] != ';' && value[end] != ' ')))
        ++end;
    return value.substr(i, end - i);
}

bool isMimeArchive(std::string_view text)
{
    const std::string_view head = text.substr(0, 4096);
    return (startsWithIgnoringCase(head, "mime-version:") ||
            findNoCase(head, "\nmime-version:") != std::string_view::npos) &&
           findNoCase(head, "content-type:") != std::string_view::npos;
}

// The page inside an MHTML archive, with the charset its part declares.
// Returns false when no HTML part is found.
bool extractMimeHtml(std::string_view text, std::string& page, std::string& charset)
{
    const std::size_t headerEnd =
        text.find("\n\r\n") != std::string_view::npos ? text.find("\n\r\n") : text.find("\n\n");
    if (headerEnd == std::string_view::npos)
        return false;
    const std::string contentType = headerValue(text.substr(0, headerEnd + 1), "content-type");
    const std::string boundary = parameterOf(contentType, "boundary");
    std::vector<std::string_view> parts;
    if (boundary.empty()) {
        parts.push_back(text);
    } else {
        const std::string delimiter = "--" + boundary;
        std::size_t at = text.find(delimiter);
        while (at != std::string_view::npos && parts.size() < limits::kMaxMimeParts) {
            const std::size_t start = at + delimiter.size();
            const std::size_t next = text.find(delimiter, start);
            parts.push_back(
                text.substr(start, next == std::string_view::npos ? std::string_view::npos : next - start));
            at = next;
        }
    }
    for (std::string_view part : parts) {
        std::size_t split = part.find("\n\r\n");
        std::size_t bodyStart = split == std::string_view::npos ? std::string_view::npos : split + 3;
        if (const std::size_t lf = part.find("\n\n"); lf != std::string_view::npos && lf < split) {
            split = lf;
            bodyStart = lf + 2;
        }
        if (split == std::string_view::npos)
            continue;
        const std::string_view headers = part.substr(0, split + 1);
        const std::string type = asciiLower(headerValue(headers, "content-type"));
        if (type.find("text/html") == std::string::npos)
            continue;
        const std::string encoding = asciiLower(headerValue(headers, "content-transfer-encoding"));
        const std::string_view body = part.substr(bodyStart);
        if (encoding.find("quoted-printable") != std::string::npos)
            page = decodeQuotedPrintable(body);
        else if (encoding.find("base64") != std::string::npos)
            page = decodeBase64(body);
        else
            page.assign(body);
        charset = asciiLower(parameterOf(type, "charset"));
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// The page itself.

enum ElementFlag : std::uint16_t {
    kBlock = 1 << 0,     // starts and ends a paragraph
    kParagraph = 1 << 1, // its end ends a paragraph, even an empty one
    kSkip = 1 << 2,      // raw text never shown (script, style, title, ...)
    kVoid = 1 << 3,      // has no content and no end tag
    kPre = 1 << 4,       // keeps white space
    kListItem = 1 << 5,
    kList = 1 << 6,
    kTable = 1 << 7,
    kRow = 1 << 8,
    kCell = 1 << 9,
};

std::uint16_t flagsOf(std::string_view name)
{
    static const std::unordered_map<std::string_view, std::uint16_t> table = {
        {"p", kBlock | kParagraph},
        {"h1", kBlock | kParagraph},
        {"h2", kBlock | kParagraph},
        {"h3", kBlock | kParagraph},
        {"h4", kBlock | kParagraph},
        {"h5", kBlock | kParagraph},
        {"h6", kBlock | kParagraph},
        {"div", kBlock},
        {"blockquote", kBlock},
        {"address", kBlock},
        {"section", kBlock},
        {"article", kBlock},
        {"header", kBlock},
        {"footer", kBlock},
        {"nav", kBlock},
        {"aside", kBlock},
        {"main", kBlock},
        {"figure", kBlock},
        {"figcaption", kBlock},
        {"center", kBlock},
        {"form", kBlock},
        {"fieldset", kBlock},
        {"legend", kBlock},
        {"dl", kBlock},
        {"dt", kBlock | kParagraph},
        {"dd", kBlock | kParagraph},
        {"body", kBlock},
        {"caption", kBlock | kParagraph},
        {"pre", kBlock | kParagraph | kPre},
        {"listing", kBlock | kParagraph | kPre},
        {"xmp", kBlock | kParagraph | kPre},
        {"plaintext", kBlock | kParagraph | kPre},
        {"ul", kBlock | kList},
        {"ol", kBlock | kList},
        {"dir", kBlock | kList},
        {"menu", kBlock | kList},
        {"li", kBlock | kParagraph | kListItem},
        {"table", kTable},
        {"tr", kRow},
        {"td", kCell},
        {"th", kCell},
        {"script", kSkip},
        {"style", kSkip},
        {"title", kSkip},
        {"xml", kSkip},
        {"template", kSkip},
        {"noscript", kSkip},
        {"noframes", kSkip},
        {"iframe", kSkip},
        {"object", kSkip},
        {"svg", kSkip},
        {"rt", kSkip}, // a phonetic guide's reading: only the base text is shown
        {"rp", kSkip},
        {"math", kSkip},
        {"head", 0},
        {"select", kSkip},
        {"option", kSkip},
        {"br", kVoid},
        {"hr", kVoid | kBlock},
        {"img", kVoid},
        {"input", kVoid},
        {"meta", kVoid},
        {"link", kVoid},
        {"area", kVoid},
        {"base", kVoid},
        {"col", kVoid},
        {"embed", kVoid},
        {"param", kVoid},
        {"source", kVoid},
        {"track", kVoid},
        {"wbr", kVoid},
        {"basefont", kVoid},
        {"frame", kVoid},
        {"keygen", kVoid},
    };
    const auto found = table.find(name);
    return found == table.end() ? 0 : found->second;
}

bool isParagraphName(const std::string& name)
{
    return name == "p" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

struct Tag
{
    std::string name; // lower case, without a namespace prefix's case
    bool closing = false;
    bool selfClosing = false;
    std::vector<std::pair<std::string, std::string>> attributes;

    std::string attribute(std::string_view key) const
    {
        for (const auto& [name, value] : attributes)
            if (name == key)
                return value;
        return {};
    }
    bool has(std::string_view key) const
    {
        return std::any_of(attributes.begin(), attributes.end(),
                           [&](const auto& a) { return a.first == key; });
    }
};

// The first family of a CSS font-family value or a <font face>.
std::string fontFamilyOf(const std::string& style)
{
    const std::size_t at = findNoCase(style, "font-family");
    if (at == std::string::npos)
        return {};
    std::size_t i = style.find(':', at);
    if (i == std::string::npos)
        return {};
    ++i;
    while (i < style.size() && (isSpace(style[i]) || style[i] == '"' || style[i] == '\''))
        ++i;
    std::size_t end = i;
    while (end < style.size() && style[end] != ',' && style[end] != ';' && style[end] != '"' &&
           style[end] != '\'')
        ++end;
    std::string family = style.substr(i, end - i);
    while (!family.empty() && isSpace(family.back()))
        family.pop_back();
    return family;
}

class HtmlReader
{
public:
    HtmlReader(std::string_view page) : m_page(page) {}

    Result<Document> read();

private:
    struct Element
    {
        std::string name;
        std::uint16_t flags = 0;
        bool hidden = false;
        bool label = false;         // Word's list label: mso-list:Ignore
        std::size_t labelStart = 0; // its start in the paragraph
        std::string symbolFont;     // a symbol font for its text
        int listCounter = 0;        // <ol>: the next number
        NumberFormat listFormat = NumberFormat::Bullet;
    };
    struct OpenTable
    {
        bool rowOpen = false;
        bool cellOpen = false;
    };

    std::size_t parseTag(std::size_t at, Tag& tag) const;
    void startElement(const Tag& tag);
    void endElement(const std::string& name);
    void popElement();
    void text(std::string_view raw);
    void appendVisible(std::string_view utf8);
    void breakBlock(bool always);
    void endCell();
    void endRow();
    int tableLevel() const { return static_cast<int>(m_tables.size()); }
    bool hidden() const { return m_hiddenDepth > 0; }

    std::string_view m_page;
    BlockBuilder m_builder;
    std::vector<Element> m_stack;
    std::vector<OpenTable> m_tables;
    int m_hiddenDepth = 0;
    int m_preDepth = 0;
    bool m_pendingSpace = false;
    bool m_paragraphOpen = false; // a <p>-like element awaits its end
    bool m_labelOnly = false;     // the paragraph holds only a list item's label
};

std::size_t HtmlReader::parseTag(std::size_t at, Tag& tag) const
{
    // at points just after '<'.
    std::size_t i = at;
    if (i < m_page.size() && m_page[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '>' && m_page[i] != '/')
        ++i;
    tag.name = asciiLower(m_page.substr(nameStart, i - nameStart));
    while (i < m_page.size() && m_page[i] != '>') {
        if (isSpace(m_page[i])) {
            ++i;
            continue;
        }
        if (m_page[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        const std::size_t keyStart = i;
        while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '=' && m_page[i] != '>' &&
               m_page[i] != '/')
            ++i;
        std::string key = asciiLower(m_page.substr(keyStart, i - keyStart));
        while (i < m_page.size() && isSpace(m_page[i]))
            ++i;
        std::string value;
        if (i < m_page.size() && m_page[i] == '=') {
            ++i;
            while (i < m_page.size() && isSpace(m_page[i]))
                ++i;
            if (i < m_page.size() && (m_page[i] == '"' || m_page[i] == '\'')) {
                const char quote = m_page[i++];
                const std::size_t end = m_page.find(quote, i);
                const std::size_t stop = end == std::string_view::npos ? m_page.size() : end;
                value = m_page.substr(i, stop - i);
                i = stop == m_page.size() ? stop : stop + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < m_page.size() && !isSpace(m_page[i]) && m_page[i] != '>')
                    ++i;
                value = m_page.substr(valueStart, i - valueStart);
            }
        }
        if (tag.attributes.size() < 64)
            tag.attributes.emplace_back(std::move(key), std::move(value));
        if (keyStart == i) // nothing consumed: avoid looping
            ++i;
    }
    return i < m_page.size() ? i + 1 : m_page.size();
}

void HtmlReader::appendVisible(std::string_view utf8)
{
    if (utf8.empty())
        return;
    if (m_pendingSpace && !m_builder.paragraphEmpty() && m_builder.paragraph().back() != '\n' &&
        m_builder.paragraph().back() != '\t')
        m_builder.append(' ');
    m_pendingSpace = false;
    m_labelOnly = false;
    m_builder.append(utf8);
}

void HtmlReader::text(std::string_view raw)
{
    if (hidden() || raw.empty())
        return;
    std::string decoded;
    decoded.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') {
            if (const std::size_t used = decodeReference(raw.substr(i), decoded)) {
                i += used - 1;
                continue;
            }
        }
        decoded.push_back(raw[i]);
    }
    const std::string* font = nullptr;
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (!it->symbolFont.empty()) {
            font = &it->symbolFont;
            break;
        }
    }
    if (font) { // map each character of a symbol font
        std::string mapped;
        std::size_t i = 0;
        while (i < decoded.size()) {
            const auto lead = static_cast<unsigned char>(decoded[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t cp = lead;
            if (length > 1 && i + length <= decoded.size()) {
                cp = lead & (0xFF >> (length + 1));
                for (std::size_t k = 1; k < length; ++k)
                    cp = (cp << 6) | (static_cast<unsigned char>(decoded[i + k]) & 0x3F);
            }
            const bool space = cp <= 0x20 || cp == 0xA0;
            appendUtf8(mapped, space ? cp : mapSymbolFontCharacter(*font, cp));
            i += length;
        }
        decoded = std::move(mapped);
    }
    if (m_preDepth > 0) {
        std::string kept;
        for (char c : decoded) {
            if (c == '\r')
                continue;
            kept.push_back(c);
        }
        // A newline right after <pre> is not content.
        if (m_builder.paragraphEmpty() && !kept.empty() && kept.front() == '\n')
            kept.erase(0, 1);
        appendVisible(kept);
        return;
    }
    std::size_t i = 0;
    while (i < decoded.size()) {
        if (isSpace(decoded[i])) {
            m_pendingSpace = true;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < decoded.size() && !isSpace(decoded[end]))
            ++end;
        appendVisible(std::string_view(decoded).substr(i, end - i));
        i = end;
    }
}

void HtmlReader::breakBlock(bool always)
{
    m_pendingSpace = false;
    if (m_labelOnly && !always)
        return; // <li><p>text: the item's label stays with its text
    m_labelOnly = false;
    std::string& paragraph = m_builder.paragraph();
    while (!paragraph.empty() && paragraph.back() == ' ')
        paragraph.pop_back();
    // A paragraph of nothing but (non-breaking) spaces is an empty one.
    if (paragraph.find_first_not_of(" \xC2\xA0") == std::string::npos &&
        paragraph.find("\xC2\xA0") != std::string::npos)
        paragraph.clear();
    if (!paragraph.empty() || (always && m_paragraphOpen))
        m_builder.endParagraph(tableLevel());
    m_paragraphOpen = false;
}

void HtmlReader::endCell()
{
    if (m_tables.empty() || !m_tables.back().cellOpen)
        return;
    breakBlock(false);
    m_builder.endCell(tableLevel());
    m_tables.back().cellOpen = false;
}

void HtmlReader::endRow()
{
    if (m_tables.empty() || !m_tables.back().rowOpen)
        return;
    endCell();
    m_builder.endRow(tableLevel());
    m_tables.back().rowOpen = false;
}

void HtmlReader::startElement(const Tag& tag)
{
    const std::uint16_t flags = flagsOf(tag.name);
    if (tag.name == "br") {
        if (!hidden()) {
            m_pendingSpace = false;
            m_builder.append('\n');
        }
        return;
    }
    if (tag.name == "input") {
        if (!hidden() && asciiLower(tag.attribute("type")) == "checkbox")
            appendVisible(tag.has("checked") ? "[X]" : "[ ]");
        return;
    }
    if (flags & kVoid) {
        if (flags & kBlock)
            breakBlock(false);
        return;
    }
    // Elements whose start ends an open one: <p> by any block, <li> by the
    // next item of its list, a cell by the next cell, a row by the next row.
    auto closeOpen = [this](auto matches, std::uint16_t boundary) {
        for (std::size_t k = m_stack.size(); k-- > 0;) {
            if (matches(m_stack[k].name)) {
                const std::string name = m_stack[k].name;
                endElement(name);
                return;
            }
            if (m_stack[k].flags & boundary)
                return;
        }
    };
    if (flags & (kBlock | kTable | kRow | kCell | kListItem))
        closeOpen([](const std::string& n) { return isParagraphName(n); }, kList | kTable | kCell);
    if (flags & kListItem)
        closeOpen([](const std::string& n) { return n == "li"; }, kList | kTable);
    if (flags & kCell)
        closeOpen([](const std::string& n) { return n == "td" || n == "th"; }, kTable);
    if (flags & kRow)
        closeOpen([](const std::string& n) { return n == "tr"; }, kTable);
    if (flags & kTable) {
        breakBlock(false);
        if (!m_tables.empty() && !m_tables.back().cellOpen) { // a table straight in a row
            if (!m_tables.back().rowOpen)
                m_tables.back().rowOpen = true;
            m_tables.back().cellOpen = true;
        }
        if (m_tables.size() < static_cast<std::size_t>(limits::kMaxTableNesting))
            m_tables.emplace_back();
    } else if (flags & kRow) {
        if (!m_tables.empty()) {
            endRow();
            m_tables.back().rowOpen = true;
        }
    } else if (flags & kCell) {
        if (!m_tables.empty()) {
            endCell();
            m_tables.back().rowOpen = true;
            m_tables.back().cellOpen = true;
        }
    } else if (flags & kBlock) {
        breakBlock(false);
    }

    if (m_stack.size() >= static_cast<std::size_t>(limits::kMaxHtmlDepth))
        return; // deeper elements count as text of their ancestor

    Element element;
    element.name = tag.name;
    element.flags = flags;
    const std::string style = asciiLower(tag.attribute("style"));
    element.hidden = (flags & kSkip) || style.find("display:none") != std::string::npos ||
                     style.find("display: none") != std::string::npos || tag.has("hidden");
    std::string family = fontFamilyOf(tag.attribute("style"));
    if (family.empty() && tag.name == "font")
        family = tag.attribute("face");
    if (isSymbolFont(family))
        element.symbolFont = family;
    if (style.find("mso-list:ignore") != std::string::npos) {
        element.label = true;
        element.labelStart = m_builder.paragraph().size();
    }
    if (flags & kList) {
        const std::string type = tag.attribute("type");
        element.listFormat = tag.name != "ol" ? NumberFormat::Bullet
                             : type == "a"    ? NumberFormat::LowerLetter
                             : type == "A"    ? NumberFormat::UpperLetter
                             : type == "i"    ? NumberFormat::LowerRoman
                             : type == "I"    ? NumberFormat::UpperRoman
                                              : NumberFormat::Decimal;
        int start = 1;
        const std::string startText = tag.attribute("start");
        std::from_chars(startText.data(), startText.data() + startText.size(), start);
        element.listCounter = start;
    }
    if (element.hidden)
        ++m_hiddenDepth;
    if (flags & kPre)
        ++m_preDepth;
    if (flags & kParagraph)
        m_paragraphOpen = true;
    m_stack.push_back(std::move(element));

    if ((flags & kListItem) && !hidden()) {
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
            if (!(it->flags & kList))
                continue;
            const std::string value = tag.attribute("value");
            int number = it->listCounter;
            if (!value.empty())
                std::from_chars(value.data(), value.data() + value.size(), number);
            it->listCounter = number + 1;
            if (it->listFormat == NumberFormat::Bullet)
                m_builder.append("\u2022\t");
            else
                m_builder.append(formatListNumber(number, it->listFormat) + ".\t");
            m_labelOnly = true;
            break;
        }
    }
}

void HtmlReader::popElement()
{
    Element element = std::move(m_stack.back());
    m_stack.pop_back();
    if (element.hidden)
        --m_hiddenDepth;
    if (element.flags & kPre)
        --m_preDepth;
    if (element.label) {
        // Word writes the label, then spaces to the text: keep the label and a TAB.
        std::string& paragraph = m_builder.paragraph();
        if (element.labelStart <= paragraph.size()) {
            // Only spaces after the label go: a no-break space whose first
            // byte lies before it is not the label's.
            while (paragraph.size() > element.labelStart) {
                if (paragraph.back() == ' ')
                    paragraph.pop_back();
                else if (paragraph.size() - element.labelStart >= 2 && paragraph.ends_with("\xC2\xA0"))
                    paragraph.resize(paragraph.size() - 2);
                else
                    break;
            }
            std::size_t start = element.labelStart;
            while (start < paragraph.size() && paragraph[start] == ' ')
                ++start;
            paragraph.erase(element.labelStart, start - element.labelStart);
            if (paragraph.size() > element.labelStart) {
                m_builder.append('\t');
                m_pendingSpace = false;
            }
        }
    }
    if (element.flags & kTable) {
        endRow();
        if (!m_tables.empty()) {
            m_tables.pop_back();
            m_builder.closeTables(tableLevel());
        }
    } else if (element.flags & kRow) {
        endRow();
    } else if (element.flags & kCell) {
        endCell();
    } else if (element.flags & kParagraph) {
        breakBlock(true);
    } else if (element.flags & kBlock) {
        breakBlock(false);
    }
}

void HtmlReader::endElement(const std::string& name)
{
    // Close up to the innermost open element of that name, but never across
    // a table boundary for cell and row ends.
    for (std::size_t i = m_stack.size(); i-- > 0;) {
        if (m_stack[i].name == name) {
            while (m_stack.size() > i)
                popElement();
            return;
        }
        if ((m_stack[i].flags & kTable) && name != "table")
            return;
    }
}

Result<Document> HtmlReader::read()
{
    std::size_t i = 0;
    const std::size_t size = m_page.size();
    while (i < size) {
        const std::size_t lt = m_page.find('<', i);
        const std::size_t textEnd = lt == std::string_view::npos ? size : lt;
        text(m_page.substr(i, textEnd - i));
        if (lt == std::string_view::npos)
            break;
        i = lt + 1;
        if (i >= size) {
            text("<");
            break;
        }
        const char next = m_page[i];
        if (m_page.substr(i).starts_with("!--")) { // comment
            const std::size_t end = m_page.find("-->", i + 3);
            i = end == std::string_view::npos ? size : end + 3;
            continue;
        }
        if (next == '!' || next == '?') { // doctype, <![if ...]>, processing instruction
            const std::size_t end = m_page.find('>', i);
            i = end == std::string_view::npos ? size : end + 1;
            continue;
        }
        if (!(std::isalpha(static_cast<unsigned char>(next)) || next == '/')) {
            text("<");
            continue;
        }
        Tag tag;
        i = parseTag(i, tag);
        if (tag.closing) {
            if (tag.name == "br") // </br> reads as <br>
                startElement(tag);
            else
                endElement(tag.name);
            continue;
        }
        startElement(tag);
        const std::uint16_t flags = flagsOf(tag.name);
        if ((flags & kSkip) && !tag.selfClosing && tag.name != "select" && tag.name != "object" &&
            tag.name != "svg" && tag.name != "math" && tag.name != "rt" && tag.name != "rp") {
            // Raw text: everything up to the matching end tag.
            const std::string endTag = "</" + tag.name;
            const std::size_t end = findNoCase(m_page, endTag, i);
            i = end == std::string_view::npos ? size : end;
        } else if (tag.selfClosing && !(flags & kVoid) && !m_stack.empty() &&
                   m_stack.back().name == tag.name) {
            popElement();
        }
        if (Status status = TextBudget().spend(m_builder.size()); !status)
            return status.error();
    }
    while (!m_stack.empty())
        popElement();
    while (!m_tables.empty()) {
        endRow();
        m_tables.pop_back();
    }
    breakBlock(false);
    Document document;
    document.body = m_builder.finish(false);
    return document;
}

// The decoded page is held whole while it is read, so it counts as text
// kept in memory: a page past the limit is refused before it is decoded.
Result<Document> readPage(ByteView bytes, const std::string& charset)
{
    TextBudget budget;
    if (Status status = budget.spend(bytes.size()); !status)
        return status.error();
    const std::string page = decodePage(bytes, charset);
    if (page.size() > bytes.size()) {
        if (Status status = budget.spend(page.size() - bytes.size()); !status)
            return status.error();
    }
    return HtmlReader(page).read();
}

} // namespace

Result<Document> readHtml(ByteView bytes, const ReadOptions&)
{
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (isMimeArchive(raw)) {
        std::string part;
        std::string charset;
        if (!extractMimeHtml(raw, part, charset))
            return makeError(
                ErrorCode::NotAWordDocument,
                "The file is a web archive (MHTML) without a web page in it, so it is not a Word "
                "document.");
        return readPage(asBytes(part), charset);
    }
    return readPage(bytes, {});
}

} // namespace plainora::engine
