// MHTML (RFC 2557), Word's "Single File Web Page": the first text/html part
// of a multipart/related message.

#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/text/HtmlReader.h"

#include <charconv>

namespace plainora::engine::html {

namespace {

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

} // namespace

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

} // namespace plainora::engine::html
