#include "engine/EquationField.h"

#include "engine/TextEncoding.h"

#include <cctype>
#include <vector>

namespace plainora::engine {

namespace {

constexpr std::size_t kKindBytes = 32;       // enough for any field's type
constexpr std::size_t kEquationBytes = 4096; // a phonetic guide is a few dozen

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isEquation(std::string_view instruction)
{
    std::size_t at = 0;
    while (at < instruction.size() && isSpace(instruction[at]))
        ++at;
    if (instruction.size() < at + 2 || asciiUpper(instruction[at]) != 'E' ||
        asciiUpper(instruction[at + 1]) != 'Q')
        return false;
    return instruction.size() == at + 2 || isSpace(instruction[at + 2]) || instruction[at + 2] == '\\';
}

// Where the argument list of the first \o switch opens, after its options
// (\al, \ac, \ar, \ad ...); npos when there is none. Quoted format
// switches ("Font:...") are passed over.
std::size_t overstrikeArguments(std::string_view text)
{
    bool quoted = false;
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] == '"')
            quoted = !quoted;
        if (quoted || text[at] != '\\' || asciiLower(text[at + 1]) != 'o')
            continue;
        std::size_t next = at + 2;
        // Options: a backslash and letters.
        while (next < text.size()) {
            while (next < text.size() && isSpace(text[next]))
                ++next;
            if (next < text.size() && text[next] == '\\' && next + 1 < text.size() &&
                std::isalpha(static_cast<unsigned char>(text[next + 1]))) {
                next += 2;
                while (next < text.size() && std::isalpha(static_cast<unsigned char>(text[next])))
                    ++next;
                continue;
            }
            break;
        }
        if (next < text.size() && text[next] == '(')
            return next;
    }
    return std::string_view::npos;
}

// The top-level arguments of the list opening at open, split at ',' or
// ';' (the list separator of the writer's locale); escapes (\, \( \) \\)
// stay in them. Empty when the list never closes.
std::vector<std::string_view> splitArguments(std::string_view text, std::size_t open)
{
    std::vector<std::string_view> arguments;
    int depth = 0;
    std::size_t start = open + 1;
    for (std::size_t at = open; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\\') {
            ++at; // an escaped character, or a switch's first letter
            continue;
        }
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) {
                arguments.push_back(text.substr(start, at - start));
                return arguments;
            }
        } else if ((c == ',' || c == ';') && depth == 1) {
            arguments.push_back(text.substr(start, at - start));
            start = at + 1;
        }
    }
    return {};
}

// A reading raised above or lowered below the base: \s\up N(...), \s\do N(...).
bool isReading(std::string_view argument)
{
    std::size_t at = 0;
    while (at < argument.size() && isSpace(argument[at]))
        ++at;
    return argument.size() >= at + 2 && argument[at] == '\\' && asciiLower(argument[at + 1]) == 's';
}

std::string unescape(std::string_view argument)
{
    std::string out;
    for (std::size_t at = 0; at < argument.size(); ++at) {
        if (argument[at] == '\\' && at + 1 < argument.size()) {
            const char next = argument[at + 1];
            if (next == ',' || next == ';' || next == '(' || next == ')' || next == '\\') {
                out.push_back(next);
                ++at;
                continue;
            }
        }
        out.push_back(argument[at]);
    }
    const std::size_t first = out.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::size_t fieldInstructionBytesKept(std::string_view kept)
{
    return isEquation(kept) ? kEquationBytes : kKindBytes;
}

std::optional<std::string> equationFieldText(std::string_view instruction)
{
    if (!isEquation(instruction))
        return std::nullopt;
    const std::size_t open = overstrikeArguments(instruction);
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::vector<std::string_view> arguments = splitArguments(instruction, open);
    if (arguments.empty())
        return std::nullopt;
    std::string text;
    for (std::string_view argument : arguments) {
        if (!isReading(argument))
            text += unescape(argument);
    }
    return text;
}

} // namespace plainora::engine
