// Runs the built plainora-cli and checks its exact output bytes, messages and
// exit status.

#include "RunProcess.h"
#include "TempFolder.h"
#include "engine/DocumentNames.h"

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace plainora::cli::test {
namespace {

const std::string kCli = PLAINORA_CLI_PATH;

ProcessResult cli(const std::vector<std::string>& args, const std::string& folder = {})
{
    return runProcess(kCli, args, folder);
}

TEST(CliEndToEndTest, VersionAndHelpGoToStandardOutput)
{
    const ProcessResult version = cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "plainora-cli " PLAINORA_VERSION "\n");
    EXPECT_EQ(version.err, "");

    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: plainora-cli [OPTION]... PATH...\n", 0), 0u);
    for (const char* option : {"--output", "--stdout", "--recursive", "--keep-tree", "--jobs", "--encoding",
                               "--eol", "--headers-footers", "--comments", "--quiet", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_EQ(help.err, "");
}

TEST(CliEndToEndTest, TheManPageDescribesEveryOptionOfTheHelp)
{
    const std::string help = cli({"--help"}).out;
    const std::string manPage = readFile(PLAINORA_MAN_PAGE);
    ASSERT_FALSE(manPage.empty());
    std::size_t checked = 0;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < help.size() && (std::isalnum(static_cast<unsigned char>(help[end])) || help[end] == '-'))
            ++end;
        // troff spells the leading dashes of an option as "\-".
        const std::string troff = "\\-\\-" + help.substr(at + 2, end - at - 2);
        EXPECT_NE(manPage.find(troff), std::string::npos) << help.substr(at, end - at);
        ++checked;
    }
    EXPECT_GE(checked, 12u);
}

// The folder scan takes the engine's list of extensions: the help and the
// man page name each one.
TEST(CliEndToEndTest, HelpAndManPageNameEveryExtensionAFolderGives)
{
    const std::string help = cli({"--help"}).out;
    const std::string manPage = readFile(PLAINORA_MAN_PAGE);
    for (std::string_view extension : plainora::engine::readableExtensions()) {
        const std::string word = std::string(extension) + " ";
        const std::string last = std::string(extension) + "\n";
        EXPECT_TRUE(help.find(word) != std::string::npos || help.find(last) != std::string::npos)
            << extension;
        EXPECT_TRUE(manPage.find(word) != std::string::npos ||
                    manPage.find(std::string(extension) + "\"") != std::string::npos)
            << extension;
    }
}

TEST(CliEndToEndTest, UsageErrorsExitWithTwoAndAHint)
{
    const struct
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--bogus", "x"}, "unknown option --bogus"},
        {{}, "no document or folder given"},
        {{"-j", "x", "y"}, "invalid job count \"x\" for -j: give a whole number from 1 to 1024"},
        {{"--eol", "mac", "x"}, "invalid line end \"mac\" for --eol: use lf or crlf"},
        {{"--encoding", "KLINGON", "x"}, "unknown encoding \"KLINGON\" (\"iconv -l\" lists the names)"},
        {{"x", "--output"}, "option --output needs an argument"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
                  "plainora-cli: " + c.message + "\nTry 'plainora-cli --help' for more information.\n");
    }
}

class ConversionTest : public ::testing::Test
{
protected:
    TempFolder m_tmp;
};

TEST_F(ConversionTest, DocumentsAndFoldersBecomeTextFilesNamedByTheRule)
{
    m_tmp.write("in/My Report.doc", "First line\r\nSecond\tline\n");
    m_tmp.write("in/Minutes 2.1.docx", "\xef\xbb\xbfMinutes\n");
    m_tmp.write("in/skip.txt", "not listed\n");
    m_tmp.write("one/README", "read me");
    const ProcessResult r = cli({"-o", "text", "in", "one/README"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "plainora-cli: 3 converted, 0 failed, 0 skipped\n");
    EXPECT_EQ(readFile(m_tmp / "text/MyReport.txt"), "First line\nSecond\tline\n");
    EXPECT_EQ(readFile(m_tmp / "text/Minutes21.txt"), "Minutes\n");
    EXPECT_EQ(readFile(m_tmp / "text/README.txt"), "read me\n");
    EXPECT_FALSE(std::filesystem::exists(m_tmp / "text/skip.txt"));
}

TEST_F(ConversionTest, TheCurrentFolderIsTheDefaultOutputAndQuietDropsTheSummary)
{
    m_tmp.write("a b.doc", "ab\n");
    const ProcessResult r = cli({"-q", "a b.doc"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(m_tmp / "ab.txt"), "ab\n");
}

TEST_F(ConversionTest, FailuresAndSkippedPathsAreReportedInOrderAndExitWithOne)
{
    m_tmp.write("in/a.doc", "fine\n");
    m_tmp.write("in/b.doc", kPdfBytes);
    m_tmp.write("in/c.doc", "");
    const ProcessResult r = cli({"-o", "out", "-j", "3", "missing.docx", "in"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "plainora-cli: skipped \"missing.docx\": no such file or folder\n"
              "plainora-cli: cannot convert \"in/b.doc\": The file is not a Word document: it looks like "
              "a PDF document. (error 3)\n"
              "plainora-cli: cannot convert \"in/c.doc\": The file is empty, so it is not a Word "
              "document. (error 3)\n"
              "plainora-cli: 1 converted, 2 failed, 1 skipped\n");
    EXPECT_EQ(readFile(m_tmp / "out/a.txt"), "fine\n");
    EXPECT_FALSE(std::filesystem::exists(m_tmp / "out/b.txt"));
}

TEST_F(ConversionTest, AnOutputFolderThatCannotBeMadeStopsBeforeConverting)
{
    m_tmp.write("a.doc", "x\n");
    const ProcessResult r = cli({"-o", "no/such/folder", "a.doc"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "plainora-cli: The output folder \"no/such/folder\" could not be created: its parent "
                     "folder does not exist (only the last folder of the path is created).\n");
    EXPECT_FALSE(std::filesystem::exists(m_tmp / "no"));
}

TEST_F(ConversionTest, StdoutWritesTheTextsInOrderInTheChosenEncodingAndLineEnds)
{
    m_tmp.write("1.doc", "Caf\xc3\xa9 \xe2\x82\xac\n");
    m_tmp.write("2.docx", "snow \xe2\x98\x83\n");
    const ProcessResult r =
        cli({"--stdout", "--encoding", "ISO-8859-1", "--eol=crlf", "2.docx", "1.doc"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "snow ?\r\nCaf\xe9 ?\r\n");
    EXPECT_EQ(
        r.err,
        "plainora-cli: 2 converted, 0 failed, 0 skipped; 2 characters not in ISO-8859-1 written as \"?\"\n");
    EXPECT_FALSE(std::filesystem::exists(m_tmp / "1.txt"));
}

TEST_F(ConversionTest, TwoJobsGiveExactlyTheOutputOfOne)
{
    for (int i = 0; i < 30; ++i) {
        std::string body;
        for (int line = 0; line <= (i * 37) % 500; ++line)
            body += "doc " + std::to_string(i) + " line " + std::to_string(line) + "\n";
        m_tmp.write("in/sub" + std::to_string(i % 3) + "/d " + std::to_string(i) + ".doc",
                    i % 7 == 2 ? kPdfBytes : body);
    }
    const ProcessResult serial = cli({"-r", "--stdout", "-j1", "in"}, m_tmp.path());
    const ProcessResult parallel = cli({"-r", "--stdout", "-j2", "in"}, m_tmp.path());
    EXPECT_EQ(serial.exitCode, 1);
    EXPECT_EQ(parallel.exitCode, serial.exitCode);
    EXPECT_TRUE(parallel.out == serial.out);
    EXPECT_EQ(parallel.err, serial.err);
    EXPECT_NE(serial.err.find("26 converted, 4 failed, 0 skipped"), std::string::npos) << serial.err;

    const ProcessResult files1 = cli({"-r", "--keep-tree", "-o", "one", "-j1", "in"}, m_tmp.path());
    const ProcessResult files2 = cli({"-r", "--keep-tree", "-o", "two", "-j2", "in"}, m_tmp.path());
    EXPECT_EQ(files1.exitCode, files2.exitCode);
    std::size_t compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_tmp / "one")) {
        if (!entry.is_regular_file())
            continue;
        const std::string relative = std::filesystem::relative(entry.path(), m_tmp / "one").string();
        EXPECT_TRUE(readFile(m_tmp / ("two/" + relative)) == readFile(entry.path().string())) << relative;
        ++compared;
    }
    EXPECT_EQ(compared, 26u);
}

TEST_F(ConversionTest, RecursiveCollisionsWarnAndTheLaterDocumentWins)
{
    m_tmp.write("in/report.doc", "top\n");
    m_tmp.write("in/a/re port.docx", "in a\n");
    m_tmp.write("in/b/report.doc", "in b\n");
    const ProcessResult r = cli({"-r", "-o", "out", "in"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "plainora-cli: warning: \"in/report.doc\" and \"in/a/re port.docx\" both become "
                     "\"out/report.txt\"; the later one replaces the earlier (--keep-tree keeps both)\n"
                     "plainora-cli: warning: \"in/a/re port.docx\" and \"in/b/report.doc\" both become "
                     "\"out/report.txt\"; the later one replaces the earlier (--keep-tree keeps both)\n"
                     "plainora-cli: 3 converted, 0 failed, 0 skipped\n");
    EXPECT_EQ(readFile(m_tmp / "out/report.txt"), "in b\n");

    const ProcessResult kept = cli({"-r", "--keep-tree", "-o", "tree", "in"}, m_tmp.path());
    EXPECT_EQ(kept.err, "plainora-cli: 3 converted, 0 failed, 0 skipped\n");
    EXPECT_EQ(readFile(m_tmp / "tree/report.txt"), "top\n");
    EXPECT_EQ(readFile(m_tmp / "tree/a/report.txt"), "in a\n");
    EXPECT_EQ(readFile(m_tmp / "tree/b/report.txt"), "in b\n");
}

TEST_F(ConversionTest, SameNamesFromTwoPathsWarnToo)
{
    m_tmp.write("x/notes.doc", "x\n");
    m_tmp.write("y/notes.docx", "y\n");
    const ProcessResult r = cli({"-q", "-o", "out", "x", "y/notes.docx"}, m_tmp.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "plainora-cli: warning: \"x/notes.doc\" and \"y/notes.docx\" both become "
                     "\"out/notes.txt\"; the later one replaces the earlier\n");
    EXPECT_EQ(readFile(m_tmp / "out/notes.txt"), "y\n");
}

TEST_F(ConversionTest, TheProgressBarIsDrawnOnlyOnATerminal)
{
    m_tmp.write("a.doc", "a\n");
    m_tmp.write("b.doc", kPdfBytes);
    const ProcessResult onTerminal = runProcess(kCli, {"-j1", "a.doc", "b.doc"}, m_tmp.path(), true);
    EXPECT_EQ(onTerminal.exitCode, 1);
    EXPECT_NE(onTerminal.err.find("\r["), std::string::npos);
    EXPECT_NE(onTerminal.err.find("100% 2/2"), std::string::npos);
    // The bar is wiped before each message, and the summary ends the output.
    EXPECT_NE(onTerminal.err.find("\r\x1b[Kplainora-cli: cannot convert \"b.doc\""), std::string::npos);
    const std::string summary = "plainora-cli: 1 converted, 1 failed, 0 skipped\r\n";
    ASSERT_GE(onTerminal.err.size(), summary.size());
    EXPECT_EQ(onTerminal.err.substr(onTerminal.err.size() - summary.size()), summary);

    const ProcessResult quiet = runProcess(kCli, {"-q", "a.doc"}, m_tmp.path(), true);
    EXPECT_EQ(quiet.err, "");
}

// Real documents of every reader, as a user converts a folder of them: each
// text file is the fixture's expected text.
TEST_F(ConversionTest, RealDocumentsOfEveryFormatConvertToTheirExpectedText)
{
    const std::filesystem::path fixtures = PLAINORA_TEST_DATA_DIR "/doc";
    for (const char* name : {"table", "notes", "fields"}) {
        for (const char* extension : {".source.docx", ".doc", ".rtf"}) {
            const std::string copy =
                m_tmp.write(std::string("in/") + name + extension,
                            readFile((fixtures / (std::string(name) + extension)).string()));
            const ProcessResult r = cli({"-q", "--stdout", copy});
            EXPECT_EQ(r.exitCode, 0) << copy << r.err;
            EXPECT_EQ(r.out, readFile((fixtures / (std::string(name) + ".txt")).string())) << copy;
        }
    }
    const std::filesystem::path odf = PLAINORA_TEST_DATA_DIR "/odf";
    for (const char* name : {"lists.odt", "structure.fodt"}) {
        const std::string copy = m_tmp.write(std::string("in/") + name, readFile((odf / name).string()));
        const ProcessResult r = cli({"-q", "--stdout", copy});
        EXPECT_EQ(r.exitCode, 0) << copy << r.err;
        EXPECT_EQ(r.out, readFile((odf / std::filesystem::path(name).replace_extension(".txt")).string()))
            << copy;
    }
    // The folder scan takes every extension the engine reads: the .rtf copies
    // too, which share their .doc twins' text file names (in name order, the
    // .rtf one comes last and is kept).
    const ProcessResult folder = cli({"-o", "out", "in"}, m_tmp.path());
    EXPECT_EQ(folder.exitCode, 0) << folder.err;
    EXPECT_NE(folder.err.find("\"in/notes.doc\" and \"in/notes.rtf\" both become \"out/notes.txt\""),
              std::string::npos)
        << folder.err;
    EXPECT_NE(folder.err.find("plainora-cli: 11 converted, 0 failed, 0 skipped\n"), std::string::npos)
        << folder.err;
    EXPECT_EQ(readFile(m_tmp / "out/lists.txt"), readFile((odf / "lists.txt").string()));
    EXPECT_EQ(readFile(m_tmp / "out/table.txt"), readFile((fixtures / "table.txt").string()));
    EXPECT_EQ(readFile(m_tmp / "out/tablesource.txt"), readFile((fixtures / "table.txt").string()));
}

TEST_F(ConversionTest, HeadersFootersAndCommentsComeOnlyWhenAsked)
{
    const std::filesystem::path fixtures = PLAINORA_TEST_DATA_DIR "/doc";
    for (const char* name : {"headers-footers", "comments"}) {
        const std::string document = (fixtures / (std::string(name) + ".doc")).string();
        const ProcessResult plain = cli({"-q", "--stdout", document});
        EXPECT_EQ(plain.out, readFile((fixtures / (std::string(name) + ".txt")).string())) << name;
        const ProcessResult all = cli({"-q", "--stdout", "--headers-footers", "--comments", document});
        EXPECT_EQ(all.out, readFile((fixtures / (std::string(name) + ".all.txt")).string())) << name;
    }
}

} // namespace
} // namespace plainora::cli::test
