// Characters of the HTML reader: the page's character set, and character
// references.

#include "engine/TextEncoding.h"
#include "engine/text/HtmlReader.h"

#include <cctype>
#include <unordered_map>

namespace plainora::engine::html {

namespace {

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

} // namespace

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

} // namespace plainora::engine::html
