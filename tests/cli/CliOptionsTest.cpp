#include "cli/CliOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace plainora::cli {
namespace {

ParsedCommandLine parse(const std::vector<std::string>& args)
{
    return parseCommandLine(args, 3);
}

TEST(CliOptionsTest, DefaultsConvertIntoTheCurrentFolderWithOneJobPerProcessor)
{
    const ParsedCommandLine parsed = parse({"a.doc", "folder"});
    ASSERT_EQ(parsed.action, CliAction::Run) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.paths, (std::vector<std::string>{"a.doc", "folder"}));
    EXPECT_EQ(o.outputFolder, ".");
    EXPECT_FALSE(o.outputGiven);
    EXPECT_EQ(o.jobs, 3u);
    EXPECT_EQ(o.output.encoding, "UTF-8");
    EXPECT_EQ(o.output.lineEnd, engine::LineEnd::Lf);
    EXPECT_FALSE(o.recursive || o.keepTree || o.toStdout || o.quiet);
    EXPECT_FALSE(o.read.includeHeadersFooters || o.read.includeComments);
}

TEST(CliOptionsTest, LongOptionsTakeSeparateOrAttachedValues)
{
    const ParsedCommandLine parsed =
        parse({"--output", "out", "--jobs=7", "--encoding", "CP1252", "--eol=crlf", "--recursive",
               "--keep-tree", "--headers-footers", "--comments", "--quiet", "doc"});
    ASSERT_EQ(parsed.action, CliAction::Run) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.outputFolder, "out");
    EXPECT_TRUE(o.outputGiven);
    EXPECT_EQ(o.jobs, 7u);
    EXPECT_EQ(o.output.encoding, "CP1252");
    EXPECT_EQ(o.output.lineEnd, engine::LineEnd::CrLf);
    EXPECT_TRUE(o.recursive && o.keepTree && o.quiet);
    EXPECT_TRUE(o.read.includeHeadersFooters && o.read.includeComments);
    EXPECT_EQ(o.paths, std::vector<std::string>{"doc"});
}

TEST(CliOptionsTest, ShortOptionsBundleAndTakeAttachedValues)
{
    ParsedCommandLine parsed = parse({"-rqj2", "-oout dir", "x"});
    ASSERT_EQ(parsed.action, CliAction::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.recursive && parsed.options.quiet);
    EXPECT_EQ(parsed.options.jobs, 2u);
    EXPECT_EQ(parsed.options.outputFolder, "out dir");

    parsed = parse({"-ro", "out", "-j", "12", "x"});
    ASSERT_EQ(parsed.action, CliAction::Run) << parsed.error;
    EXPECT_EQ(parsed.options.outputFolder, "out");
    EXPECT_EQ(parsed.options.jobs, 12u);
}

TEST(CliOptionsTest, DoubleDashEndsOptionsAndLoneDashIsAPath)
{
    const ParsedCommandLine parsed = parse({"-", "--", "-r", "--stdout"});
    ASSERT_EQ(parsed.action, CliAction::Run) << parsed.error;
    EXPECT_EQ(parsed.options.paths, (std::vector<std::string>{"-", "-r", "--stdout"}));
    EXPECT_FALSE(parsed.options.recursive || parsed.options.toStdout);
}

TEST(CliOptionsTest, HelpAndVersionStopTheParsingWhereTheyStand)
{
    EXPECT_EQ(parse({"--help"}).action, CliAction::ShowHelp);
    EXPECT_EQ(parse({"-h"}).action, CliAction::ShowHelp);
    EXPECT_EQ(parse({"--version", "--bogus"}).action, CliAction::ShowVersion);
    EXPECT_EQ(parse({"--bogus", "--help"}).action, CliAction::UsageError);
    // Help needs no PATH.
    EXPECT_EQ(parse({"-r", "--help"}).action, CliAction::ShowHelp);
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong)
{
    const struct
    {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--bogus", "x"}, "unknown option --bogus"},
        {{"-x", "x"}, "unknown option -x"},
        {{"-rZ", "x"}, "unknown option -Z"},
        {{"x", "-o"}, "option -o needs an argument"},
        {{"x", "--jobs"}, "option --jobs needs an argument"},
        {{"-o", "", "x"}, "option -o needs a folder name, not an empty one"},
        {{"-j", "0", "x"}, "invalid job count \"0\" for -j: give a whole number from 1 to 1024"},
        {{"-j1025", "x"}, "invalid job count \"1025\" for -j: give a whole number from 1 to 1024"},
        {{"--jobs=two", "x"}, "invalid job count \"two\" for --jobs: give a whole number from 1 to 1024"},
        {{"--jobs=-1", "x"}, "invalid job count \"-1\" for --jobs: give a whole number from 1 to 1024"},
        {{"--jobs=", "x"}, "invalid job count \"\" for --jobs: give a whole number from 1 to 1024"},
        {{"--eol", "cr", "x"}, "invalid line end \"cr\" for --eol: use lf or crlf"},
        {{"--eol=LF", "x"}, "invalid line end \"LF\" for --eol: use lf or crlf"},
        {{"--encoding", "NO-SUCH-CHARSET", "x"},
         "unknown encoding \"NO-SUCH-CHARSET\" (\"iconv -l\" lists the names)"},
        {{"--encoding=", "x"}, "unknown encoding \"\" (\"iconv -l\" lists the names)"},
        {{"--recursive=yes", "x"}, "option --recursive takes no argument"},
        {{"-r"}, "no document or folder given"},
        {{}, "no document or folder given"},
        {{"--stdout", "-o", "out", "x"}, "--stdout writes no files, so it cannot be combined with --output"},
        {{"--stdout", "--keep-tree", "x"},
         "--stdout writes no files, so it cannot be combined with --keep-tree"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parse(c.args);
        EXPECT_EQ(parsed.action, CliAction::UsageError) << c.error;
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(CliOptionsTest, AcceptsEncodingsIconvKnows)
{
    for (const char* name : {"UTF-8", "utf8", "CP1252", "ISO-8859-15", "UTF-16LE", "ASCII//TRANSLIT"}) {
        const ParsedCommandLine parsed = parse({"--encoding", name, "x"});
        EXPECT_EQ(parsed.action, CliAction::Run) << name << ": " << parsed.error;
        EXPECT_EQ(parsed.options.output.encoding, name);
    }
}

} // namespace
} // namespace plainora::cli
