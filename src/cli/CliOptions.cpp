#include "cli/CliOptions.h"

#include "engine/TextEncoding.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace plainora::cli {

namespace {

std::optional<unsigned> parseJobCount(const std::string& text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > kMaxJobs)
        return std::nullopt;
    return value;
}

// Walks the arguments the way getopt_long does: bundled short flags (-rq),
// attached or separate values (-j4, -j 4, --jobs=4, --jobs 4), "--" ending
// the options, and "-" alone taken as a path.
class Parser
{
public:
    Parser(const std::vector<std::string>& args, unsigned defaultJobs) : m_args(args)
    {
        m_result.options.jobs = defaultJobs;
    }

    ParsedCommandLine parse()
    {
        bool optionsEnded = false;
        for (m_index = 0; m_index < m_args.size() && !m_done; ++m_index) {
            const std::string& arg = m_args[m_index];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                m_result.options.paths.push_back(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (arg.compare(0, 2, "--") == 0) {
                parseLong(arg.substr(2));
            } else {
                parseShortGroup(arg);
            }
        }
        if (!m_done)
            checkCombination();
        return std::move(m_result);
    }

private:
    void fail(std::string message)
    {
        if (m_done)
            return;
        m_result.action = CliAction::UsageError;
        m_result.error = std::move(message);
        m_done = true;
    }

    void finishWith(CliAction action)
    {
        m_result.action = action;
        m_done = true;
    }

    // The value of an option that takes one: attached, or the next argument.
    std::optional<std::string> takeValue(const std::string& shownName, std::optional<std::string> attached)
    {
        if (attached)
            return attached;
        if (m_index + 1 >= m_args.size()) {
            fail("option " + shownName + " needs an argument");
            return std::nullopt;
        }
        return m_args[++m_index];
    }

    void parseLong(const std::string& body)
    {
        const auto equals = body.find('=');
        const std::string name = body.substr(0, equals);
        std::optional<std::string> attached;
        if (equals != std::string::npos)
            attached = body.substr(equals + 1);
        const std::string shown = "--" + name;

        auto flag = [&](bool& target) {
            if (attached)
                fail("option " + shown + " takes no argument");
            else
                target = true;
        };
        CliOptions& o = m_result.options;
        if (name == "help") {
            if (attached)
                fail("option " + shown + " takes no argument");
            else
                finishWith(CliAction::ShowHelp);
        } else if (name == "version") {
            if (attached)
                fail("option " + shown + " takes no argument");
            else
                finishWith(CliAction::ShowVersion);
        } else if (name == "recursive") {
            flag(o.recursive);
        } else if (name == "keep-tree") {
            flag(o.keepTree);
        } else if (name == "stdout") {
            flag(o.toStdout);
        } else if (name == "quiet") {
            flag(o.quiet);
        } else if (name == "headers-footers") {
            flag(o.read.includeHeadersFooters);
        } else if (name == "comments") {
            flag(o.read.includeComments);
        } else if (name == "output" || name == "jobs" || name == "encoding" || name == "eol") {
            if (auto value = takeValue(shown, attached))
                applyValue(name, shown, *value);
        } else {
            fail("unknown option " + shown);
        }
    }

    void parseShortGroup(const std::string& arg)
    {
        CliOptions& o = m_result.options;
        for (std::size_t i = 1; i < arg.size() && !m_done; ++i) {
            const char c = arg[i];
            const std::string shown = std::string("-") + c;
            switch (c) {
            case 'r':
                o.recursive = true;
                break;
            case 'q':
                o.quiet = true;
                break;
            case 'h':
                finishWith(CliAction::ShowHelp);
                break;
            case 'o':
            case 'j': {
                std::optional<std::string> attached;
                if (i + 1 < arg.size())
                    attached = arg.substr(i + 1);
                if (auto value = takeValue(shown, attached))
                    applyValue(c == 'o' ? "output" : "jobs", shown, *value);
                return; // the rest of the group was the value
            }
            default:
                fail("unknown option " + shown);
            }
        }
    }

    void applyValue(const std::string& name, const std::string& shown, const std::string& value)
    {
        CliOptions& o = m_result.options;
        if (name == "output") {
            if (value.empty())
                return fail("option " + shown + " needs a folder name, not an empty one");
            o.outputFolder = value;
            o.outputGiven = true;
        } else if (name == "jobs") {
            const auto jobs = parseJobCount(value);
            if (!jobs)
                return fail("invalid job count \"" + value + "\" for " + shown +
                            ": give a whole number from 1 to " + std::to_string(kMaxJobs));
            o.jobs = *jobs;
        } else if (name == "encoding") {
            // Opening the converter once tells whether iconv knows the name.
            if (value.empty() || !engine::encodeFromUtf8("", value))
                return fail("unknown encoding \"" + value + "\" (\"iconv -l\" lists the names)");
            o.output.encoding = value;
        } else if (name == "eol") {
            if (value == "lf")
                o.output.lineEnd = engine::LineEnd::Lf;
            else if (value == "crlf")
                o.output.lineEnd = engine::LineEnd::CrLf;
            else
                fail("invalid line end \"" + value + "\" for " + shown + ": use lf or crlf");
        }
    }

    void checkCombination()
    {
        const CliOptions& o = m_result.options;
        if (o.toStdout && o.outputGiven)
            fail("--stdout writes no files, so it cannot be combined with --output");
        else if (o.toStdout && o.keepTree)
            fail("--stdout writes no files, so it cannot be combined with --keep-tree");
        else if (o.paths.empty())
            fail("no document or folder given");
    }

    const std::vector<std::string>& m_args;
    std::size_t m_index = 0;
    bool m_done = false;
    ParsedCommandLine m_result;
};

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args, unsigned defaultJobs)
{
    return Parser(args, defaultJobs).parse();
}

unsigned processorCount()
{
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : std::min(count, kMaxJobs);
}

std::string helpText()
{
    return R"(Usage: plainora-cli [OPTION]... PATH...
Convert word-processor documents (Word, RTF, OpenDocument, WordPerfect, Works,
old Mac word processors, Pages, StarWriter, AbiWord) into plain-text files.

Each PATH is a document or a folder; a folder gives its visible files with one
of these extensions, in any letter case:
  .doc .dot .docx .docm .dotx .dotm .rtf .wri .htm .html .mht .mhtml
  .odt .ott .fodt .wpd .wp .wp4 .wp5 .wp6 .wpt .wps .mcw .mw .mwd .cwk .wn
  .pages .sdw .abw .zabw .awt
A document named on the command line converts whatever its name: the content
decides its format. Each document becomes NAME.txt in the output folder, NAME
being its file name cut before the last dot, without spaces and dots.

  -o, --output=DIR       write the text files into DIR (default: the current
                           directory); DIR is created if its parent exists
      --stdout           write the text to standard output instead, in order
  -r, --recursive        also convert the documents of subfolders
      --keep-tree        mirror the source subfolders under the output folder
  -j, --jobs=N           convert N documents at a time (default: the number of
                           processors); the result is the same as with -j 1
      --encoding=NAME    write the text in the iconv encoding NAME (default:
                           UTF-8); a character NAME cannot hold becomes "?"
      --eol=lf|crlf      end lines with LF (default) or CR LF
      --headers-footers  add the headers and footers after the body
      --comments         add the comments after the notes
  -q, --quiet            show neither the progress bar nor the summary
  -h, --help             show this help and exit
      --version          show the version and exit

Exit status: 0 if every document was converted, 1 if a document failed or a
PATH was skipped, 2 for a usage error.

Examples:
  plainora-cli -o text report.docx letters/
  plainora-cli -r --keep-tree -o /srv/text /srv/archive
  plainora-cli --stdout --encoding=CP1252 --eol=crlf memo.doc > memo.txt

See plainora-cli(1) for more.
)";
}

} // namespace plainora::cli
