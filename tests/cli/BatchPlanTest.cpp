#include "cli/BatchPlan.h"

#include "TempFolder.h"
#include "rules/OutputFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plainora::cli {
namespace {

using test::TempFolder;

std::vector<std::string> sources(const BatchPlan& plan, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const PlannedDocument& d : plan.documents)
        out.push_back(d.sourcePath.substr(prefix.size()));
    return out;
}

std::vector<std::string> outputs(const BatchPlan& plan, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const PlannedDocument& d : plan.documents)
        out.push_back(d.outputPath.substr(prefix.size()));
    return out;
}

BatchPlan collect(std::vector<std::string> paths, bool recursive = false)
{
    CliOptions options;
    options.paths = std::move(paths);
    options.recursive = recursive;
    return collectDocuments(options);
}

// A folder with documents at three levels, non-documents, a hidden file and
// folder, and a symbolic link back to the top.
class TreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tmp.write("in/b.doc", "b\n");
        m_tmp.write("in/A.DOCX", "A\n");
        m_tmp.write("in/notes.txt", "n\n");
        m_tmp.write("in/.hidden.doc", "h\n");
        m_tmp.makeFolder("in/old.doc");
        m_tmp.write("in/zsub/z.doc", "z\n");
        m_tmp.write("in/asub/deep/d.docm", "d\n");
        m_tmp.write("in/asub/c.doc", "c\n");
        m_tmp.write("in/.hid/x.doc", "x\n");
        ASSERT_EQ(::symlink("..", (m_tmp / "in/asub/up").c_str()), 0);
        ASSERT_EQ(::symlink("../zsub", (m_tmp / "in/asub/zlink").c_str()), 0);
    }

    TempFolder m_tmp;
};

TEST_F(TreeTest, AFolderGivesItsOwnDocumentsInNameOrder)
{
    const BatchPlan plan = collect({m_tmp / "in"});
    EXPECT_EQ(sources(plan, m_tmp.path()), (std::vector<std::string>{"/in/A.DOCX", "/in/b.doc"}));
    EXPECT_TRUE(plan.skipped.empty());
}

// Every document extension the engine reads is taken, whatever its case;
// text files (what a run writes), other files and look-alike names are not.
TEST(FolderOfManyFormats, GivesEveryReadableExtensionOnly)
{
    TempFolder tmp;
    for (const char* name : {"a.odt", "b.RTF", "c.wpd", "d.Pages", "e.fodt", "f.wps", "g.abw", "h.sdw",
                             "i.wri", "j.txt", "k.pdf", "l.odtx", "m.doc.txt", "odt", "n.xlsx"})
        tmp.write(std::string("in/") + name, "x\n");
    const BatchPlan plan = collect({tmp / "in"});
    EXPECT_EQ(sources(plan, tmp.path()),
              (std::vector<std::string>{"/in/a.odt", "/in/b.RTF", "/in/c.wpd", "/in/d.Pages", "/in/e.fodt",
                                        "/in/f.wps", "/in/g.abw", "/in/h.sdw", "/in/i.wri"}));
}

TEST_F(TreeTest, RecursionVisitsSubfoldersDepthFirstAndRecordsTheirRelativePaths)
{
    const BatchPlan plan = collect({m_tmp / "in/"}, true);
    // old.doc is a folder without documents, hidden folders are not entered,
    // and neither symbolic link is followed (the loop, the second visit).
    EXPECT_EQ(sources(plan, m_tmp.path()),
              (std::vector<std::string>{"/in/A.DOCX", "/in/b.doc", "/in/asub/c.doc", "/in/asub/deep/d.docm",
                                        "/in/zsub/z.doc"}));
    std::vector<std::string> relative;
    for (const PlannedDocument& d : plan.documents)
        relative.push_back(d.relativeFolder);
    EXPECT_EQ(relative, (std::vector<std::string>{"", "", "asub", "asub/deep", "zsub"}));
}

TEST_F(TreeTest, ALinkedFolderGivenOnTheCommandLineIsFollowed)
{
    const BatchPlan plan = collect({m_tmp / "in/asub/zlink"}, true);
    EXPECT_EQ(sources(plan, m_tmp.path()), std::vector<std::string>{"/in/asub/zlink/z.doc"});
}

TEST_F(TreeTest, FilesAreTakenWhateverTheirNameAndMissingOrHiddenPathsAreSkipped)
{
    const BatchPlan plan =
        collect({m_tmp / "in/notes.txt", m_tmp / "missing.doc", m_tmp / "in/.hidden.doc", "/dev/null"});
    EXPECT_EQ(sources(plan, m_tmp.path()), std::vector<std::string>{"/in/notes.txt"});
    ASSERT_EQ(plan.skipped.size(), 3u);
    EXPECT_EQ(plan.skipped[0].path, m_tmp / "missing.doc");
    EXPECT_EQ(plan.skipped[0].reason, "no such file or folder");
    EXPECT_EQ(plan.skipped[1].reason, "hidden files and folders (names beginning with \".\") are left out");
    EXPECT_EQ(plan.skipped[2].reason, "neither a regular file nor a folder");
}

TEST_F(TreeTest, TheSameDocumentGivenTwiceIsPlannedTwice)
{
    const BatchPlan plan = collect({m_tmp / "in/b.doc", m_tmp / "in"});
    EXPECT_EQ(sources(plan, m_tmp.path()),
              (std::vector<std::string>{"/in/b.doc", "/in/A.DOCX", "/in/b.doc"}));
}

class NamingTest : public ::testing::Test
{
protected:
    BatchPlan planFor(const std::vector<std::string>& names)
    {
        BatchPlan plan;
        for (const std::string& name : names)
            plan.documents.push_back({m_tmp.write("in/" + name, "x\n"), "", {}, kNoDocument, {}});
        return plan;
    }

    TempFolder m_tmp;
    std::string m_out = m_tmp.makeFolder("out") + "/";
};

TEST_F(NamingTest, OutputNamesFollowTheRuleOfTheDesktopProgram)
{
    BatchPlan plan = planFor({"My Report.doc", "Minutes 2.1.docx", "README", "tab\there.doc", " .doc"});
    nameOutputs(plan, m_out, false);
    EXPECT_EQ(outputs(plan, m_out), (std::vector<std::string>{"MyReport.txt", "Minutes21.txt", "README.txt",
                                                              "tab\there.txt", "1.txt"}));
}

TEST_F(NamingTest, AFolderNamedLikeTheOutputAddsAccumulatingCounters)
{
    m_tmp.makeFolder("out/report");
    m_tmp.makeFolder("out/report1");
    BatchPlan plan = planFor({"report.doc", "re port.docx"});
    nameOutputs(plan, m_out, false);
    EXPECT_EQ(outputs(plan, m_out), (std::vector<std::string>{"report12.txt", "report12.txt"}));
    EXPECT_EQ(plan.documents[1].replaces, 0u);
}

TEST_F(NamingTest, EachCollisionPointsAtTheLatestEarlierWriter)
{
    BatchPlan plan = planFor({"a b.doc", "c.doc", "ab.docx", "a.b.doc"});
    nameOutputs(plan, m_out, false);
    EXPECT_EQ(outputs(plan, m_out), (std::vector<std::string>{"ab.txt", "c.txt", "ab.txt", "ab.txt"}));
    EXPECT_EQ(plan.documents[0].replaces, kNoDocument);
    EXPECT_EQ(plan.documents[1].replaces, kNoDocument);
    EXPECT_EQ(plan.documents[2].replaces, 0u);
    EXPECT_EQ(plan.documents[3].replaces, 2u);
}

TEST_F(NamingTest, KeepTreeMirrorsTheSourceFoldersAndSoAvoidsCollisions)
{
    BatchPlan plan;
    plan.documents.push_back({m_tmp.write("in/x.doc", "1\n"), "", {}, kNoDocument, {}});
    plan.documents.push_back({m_tmp.write("in/a/x.doc", "2\n"), "a", {}, kNoDocument, {}});
    plan.documents.push_back({m_tmp.write("in/a/b/x.doc", "3\n"), "a/b", {}, kNoDocument, {}});
    BatchPlan flat = plan;

    nameOutputs(plan, m_out, true);
    EXPECT_EQ(outputs(plan, m_out), (std::vector<std::string>{"x.txt", "a/x.txt", "a/b/x.txt"}));
    for (const PlannedDocument& d : plan.documents) {
        EXPECT_EQ(d.replaces, kNoDocument);
        EXPECT_FALSE(d.presetError);
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_out + "a/b"));

    nameOutputs(flat, m_out + "flat/", false);
    EXPECT_EQ(flat.documents[2].replaces, 1u);

    // A folder mirrored into an output folder that was empty counts for the
    // documents named after it.
    m_tmp.makeFolder("out/later");
    BatchPlan later;
    later.documents.push_back({m_tmp.write("in/z.doc", "1\n"), "", {}, kNoDocument, {}});
    later.documents.push_back({m_tmp.write("in/c/x.doc", "2\n"), "c", {}, kNoDocument, {}});
    later.documents.push_back({m_tmp.write("in2/c.doc", "3\n"), "", {}, kNoDocument, {}});
    nameOutputs(later, m_out + "later/", true);
    EXPECT_EQ(outputs(later, m_out + "later/"), (std::vector<std::string>{"z.txt", "c/x.txt", "c1.txt"}));
}

TEST_F(NamingTest, AMirroredFolderThatCannotBeMadeFailsItsDocumentsOnly)
{
    m_tmp.write("out/a", "a file where the folder would go");
    BatchPlan plan;
    plan.documents.push_back({m_tmp.write("in/a/x.doc", "1\n"), "a", {}, kNoDocument, {}});
    plan.documents.push_back({m_tmp.write("in/y.doc", "2\n"), "", {}, kNoDocument, {}});
    nameOutputs(plan, m_out, true);
    ASSERT_TRUE(plan.documents[0].presetError);
    EXPECT_EQ(plan.documents[0].presetError->code, engine::ErrorCode::OutputFailed);
    EXPECT_NE(plan.documents[0].presetError->description.find("could not be created"), std::string::npos);
    EXPECT_FALSE(plan.documents[1].presetError);
}

TEST_F(NamingTest, AnOutputThatWouldOverwriteItsOwnSourceFails)
{
    BatchPlan plan;
    plan.documents.push_back({m_tmp.write("out/notes.txt", "keep me\n"), "", {}, kNoDocument, {}});
    nameOutputs(plan, m_out, false);
    ASSERT_TRUE(plan.documents[0].presetError);
    EXPECT_NE(plan.documents[0].presetError->description.find("would replace the document itself"),
              std::string::npos);
}

TEST(OutputFolderTest, AnExistingFolderGetsOneTrailingSlash)
{
    TempFolder tmp;
    auto folder = prepareOutputFolder(tmp.path() + "///");
    ASSERT_TRUE(folder) << folder.error().description;
    EXPECT_EQ(folder.value(), tmp.path() + "/");
    EXPECT_EQ(prepareOutputFolder("/").value(), "/");
    EXPECT_EQ(prepareOutputFolder(".").value(), "./");
}

TEST(OutputFolderTest, OneMissingLevelIsCreatedButNoMore)
{
    TempFolder tmp;
    auto created = prepareOutputFolder(tmp / "new/");
    ASSERT_TRUE(created) << created.error().description;
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "new"));

    auto deep = prepareOutputFolder(tmp / "missing/new");
    ASSERT_FALSE(deep);
    EXPECT_EQ(deep.error().description, "The output folder \"" + (tmp / "missing/new") +
                                            "\" could not be created: its parent folder does not exist (only "
                                            "the last folder of the path is created).");
    EXPECT_FALSE(std::filesystem::exists(tmp / "missing"));
}

TEST(OutputFolderTest, AFileOfThatNameIsRefusedAndAHiddenFolderAccepted)
{
    TempFolder tmp;
    tmp.write("file", "x");
    auto file = prepareOutputFolder(tmp / "file");
    ASSERT_FALSE(file);
    EXPECT_NE(file.error().description.find("a file of that name exists"), std::string::npos);

    tmp.makeFolder(".hidden");
    auto hidden = prepareOutputFolder(tmp / ".hidden");
    ASSERT_TRUE(hidden) << hidden.error().description;
    EXPECT_EQ(hidden.value(), tmp / ".hidden/");
}

// The rule both front ends map to their own messages: typed folders may be
// made (one level), remembered ones never.
TEST(OutputFolderTest, TheSharedRuleTellsEachOutcome)
{
    TempFolder tmp;
    tmp.makeFolder("there");
    tmp.write("file", "x");
    struct Case
    {
        std::string text;
        MissingFolder missing;
        OutputFolderState state;
        std::string folder;
        bool separatorsOnly;
    };
    const std::vector<Case> cases = {
        {"", MissingFolder::Create, OutputFolderState::Empty, "", false},
        {"", MissingFolder::Refuse, OutputFolderState::Empty, "", false},
        {"///", MissingFolder::Create, OutputFolderState::Ready, "/", true},
        {"///", MissingFolder::Refuse, OutputFolderState::Ready, "/", true},
        {tmp / "there//", MissingFolder::Refuse, OutputFolderState::Ready, tmp / "there/", false},
        {tmp / "gone/", MissingFolder::Refuse, OutputFolderState::Missing, tmp / "gone", false},
        {tmp / "file", MissingFolder::Refuse, OutputFolderState::Missing, tmp / "file", false},
        {tmp / "new/", MissingFolder::Create, OutputFolderState::Ready, tmp / "new/", false},
        {tmp / "file", MissingFolder::Create, OutputFolderState::NotCreated, tmp / "file", false},
        {tmp / "no/new", MissingFolder::Create, OutputFolderState::NotCreated, tmp / "no/new", false},
        {tmp / std::string("cut\0short", 9), MissingFolder::Create, OutputFolderState::NotCreated,
         tmp / std::string("cut\0short", 9), false},
    };
    for (const Case& c : cases) {
        const OutputFolderCheck check = resolveOutputFolder(c.text, c.missing);
        EXPECT_EQ(check.state, c.state) << c.text;
        EXPECT_EQ(check.folder, c.folder) << c.text;
        EXPECT_EQ(check.separatorsOnly, c.separatorsOnly) << c.text;
        EXPECT_EQ(check.error != 0, c.state == OutputFolderState::NotCreated) << c.text;
    }
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "new"));
    EXPECT_FALSE(std::filesystem::exists(tmp / "gone"));
    EXPECT_FALSE(std::filesystem::exists(tmp / "no"));
    EXPECT_FALSE(std::filesystem::exists(tmp / "cut"));
}

} // namespace
} // namespace plainora::cli
