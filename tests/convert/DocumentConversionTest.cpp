// Converting one document: the four steps on real documents and real
// folders, the failure step at each step, and a save that fails on the
// disk without harming the file that was there.

#include "convert/DocumentConversion.h"

#include "RecordingServices.h"
#include "ScriptedConverterFactory.h"
#include "TempFolder.h"
#include "convert/ConversionModule.h"
#include "engine/Engine.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace plainora;
using plainora::test::RecordingServices;
using plainora::test::ScriptedConverterFactory;
using plainora::test::TempFolder;
using Step = ScriptedConverterFactory::Step;

namespace {

QByteArray fixture(const QString& name, const QString& folder = QStringLiteral("docx"))
{
    QFile in(QStringLiteral(PLAINORA_TEST_DATA_DIR "/") + folder + QLatin1Char('/') + name);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << name.toStdString();
    return in.readAll();
}

// What the engine says about a document it cannot open.
QString engineDescription(const QString& path)
{
    auto converter = engine::Converter::create();
    const engine::Status status = converter.value()->open(path.toStdString());
    EXPECT_FALSE(status.ok());
    return QString::fromStdString(status.error().description);
}

class ConvertDocumentTest : public ::testing::Test
{
protected:
    // Converts the document at source (row 7 of the list) to base + ".txt".
    int convert(const QString& source, const QString& base, ConverterFactory& factory)
    {
        m_module.OutputBase = base;
        DocumentConversion conversion(m_module, m_services, factory, [source](int row) {
            EXPECT_EQ(row, 7);
            return source;
        });
        const int result = conversion.ConvertDocument(7);
        EXPECT_EQ(m_module.OutputBase, base); // only read
        return result;
    }
    int convert(const QString& source, const QString& base) { return convert(source, base, m_engine); }

    void expectOneMessage(const QString& text)
    {
        ASSERT_EQ(m_services.messages.size(), 1u);
        EXPECT_EQ(m_services.messages[0].text, text);
        EXPECT_EQ(m_services.messages[0].title, "Plainora");
        EXPECT_EQ(m_services.messages[0].icon, MessageIcon::None);
    }
    // The output folder's entries, hidden ones (temporary files) included.
    QStringList outputEntries() const
    {
        return QDir(m_folder.path("out"))
            .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    TempFolder m_folder;
    ConversionModule m_module;
    RecordingServices m_services;
    EngineConverterFactory m_engine;
};

} // namespace

// Word documents, and documents of the other formats the engine reads that
// a user adds or drops by name.
TEST_F(ConvertDocumentTest, DocumentsBecomeTheirTextAtTheBasePlusTxt)
{
    m_folder.folder("out");
    const struct
    {
        const char* folder;
        const char* name;
        const char* extension;
    } documents[] = {{"docx", "paragraphs", "docx"}, {"docx", "tables", "docx"},
                     {"docx", "lists", "docx"},      {"docx", "notes", "docx"},
                     {"odf", "lists", "odt"},        {"odf", "structure", "fodt"}};
    for (const auto& d : documents) {
        const QString name = QStringLiteral("%1.%2").arg(d.name, d.extension);
        const QString source = m_folder.write(QStringLiteral("in/") + name, fixture(name, d.folder));
        const QString base = QStringLiteral("out/%1-%2").arg(d.name, d.extension);
        EXPECT_EQ(convert(source, m_folder.path(base)), DocumentConversion::Converted);
        EXPECT_EQ(m_folder.read(base + ".txt"), fixture(QStringLiteral("%1.txt").arg(d.name), d.folder))
            << name.toStdString();
    }
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(ConvertDocumentTest, TheFormatComesFromTheContentNotTheName)
{
    m_folder.folder("out");
    const QString doc = m_folder.write("in/notes.doc", "First line\r\nSecond line");
    const QString docx = m_folder.write("in/named.doc", fixture("paragraphs.docx"));
    EXPECT_EQ(convert(doc, m_folder.path("out/notes")), DocumentConversion::Converted);
    EXPECT_EQ(convert(docx, m_folder.path("out/named")), DocumentConversion::Converted);
    EXPECT_EQ(m_folder.read("out/notes.txt"), "First line\nSecond line\n");
    EXPECT_EQ(m_folder.read("out/named.txt"), fixture("paragraphs.txt"));
}

TEST_F(ConvertDocumentTest, AnExistingTextFileIsReplacedWholeAndNothingElseIsLeft)
{
    const QString doc = m_folder.write("in/report.doc", "New\n");
    m_folder.write("out/report.txt", QByteArray(4096, 'o'));
    EXPECT_EQ(convert(doc, m_folder.path("out/report")), DocumentConversion::Converted);
    EXPECT_EQ(m_folder.read("out/report.txt"), "New\n");
    EXPECT_EQ(outputEntries(), QStringList{"report.txt"});
}

TEST_F(ConvertDocumentTest, ARowWithoutDocumentGivesThreeAndStartsNothing)
{
    ScriptedConverterFactory factory;
    EXPECT_EQ(convert(QString(), m_folder.path("out/x"), factory), DocumentConversion::NoSourceDocument);
    EXPECT_TRUE(factory.calls().empty());
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(ConvertDocumentTest, ADocumentTheEngineCannotReadShowsItsDescriptionAndKeepsTheOldOutput)
{
    ScriptedConverterFactory factory;
    for (const auto& [name, bytes] : std::vector<std::pair<QString, QByteArray>>{
             {"empty.doc", QByteArray()}, {"scan.doc", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n"}}) {
        m_services.messages.clear();
        const QString source = m_folder.write("in/" + name, bytes);
        m_folder.write("out/previous.txt", "kept\n");
        EXPECT_EQ(convert(source, m_folder.path("out/previous"), factory), DocumentConversion::Failed);
        expectOneMessage(engineDescription(source));
        EXPECT_EQ(m_folder.read("out/previous.txt"), "kept\n");
    }
    // The failure step tells the instance to quit; no save was tried.
    const std::vector<std::string> expected{
        "create", "open " + m_folder.path("in/empty.doc").toStdString(), "quit",
        "create", "open " + m_folder.path("in/scan.doc").toStdString(),  "quit"};
    EXPECT_EQ(factory.calls(), expected);
}

TEST_F(ConvertDocumentTest, EveryFailingStepSkipsTheRestShowsItsDescriptionAndQuitsACreatedInstance)
{
    const QString source = m_folder.write("in/report.doc", "Text\n");
    const std::string open = "open " + source.toStdString();
    const std::string save = "save " + m_folder.path("out/report.txt").toStdString();
    const struct
    {
        Step step;
        std::vector<std::string> calls;
        bool written;
    } cases[] = {
        {Step::Create, {"create"}, false},
        {Step::Open, {"create", open, "quit"}, false},
        {Step::Save, {"create", open, save, "quit"}, false},
        // The save is done; the quit that fails is asked once more.
        {Step::Quit, {"create", open, save, "quit", "quit"}, true},
    };
    for (const auto& c : cases) {
        m_services.messages.clear();
        QFile::remove(m_folder.path("out/report.txt"));
        m_folder.folder("out");
        ScriptedConverterFactory factory;
        factory.failAt = c.step;
        factory.description = "Step " + std::to_string(static_cast<int>(c.step)) + " failed.";
        EXPECT_EQ(convert(source, m_folder.path("out/report"), factory), DocumentConversion::Failed);
        expectOneMessage(QString::fromStdString(factory.description));
        EXPECT_EQ(factory.calls(), c.calls);
        EXPECT_EQ(QFile::exists(m_folder.path("out/report.txt")), c.written);
    }
}

TEST_F(ConvertDocumentTest, AFailingSecondQuitIsIgnored)
{
    const QString source = m_folder.write("in/report.doc", "Text\n");
    ScriptedConverterFactory factory;
    factory.failAt = Step::Open;
    factory.secondQuitFails = true;
    factory.description = "Gone away.";
    EXPECT_EQ(convert(source, m_folder.path("out/report"), factory), DocumentConversion::Failed);
    expectOneMessage("Gone away.");
    EXPECT_EQ(factory.calls().back(), "quit");
}

TEST_F(ConvertDocumentTest, ASaveThatFailsOnTheDiskLeavesThePreviousFileAndNoTemporaryFile)
{
    // A file-size limit makes the write of the new text fail part-way, as a
    // full disk or a quota would.
    const QString source = m_folder.write("in/report.docx", fixture("tables.docx"));
    m_folder.write("out/report.txt", "previous\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const int result = convert(source, m_folder.path("out/report"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, DocumentConversion::Failed);
    ASSERT_EQ(m_services.messages.size(), 1u);
    EXPECT_TRUE(m_services.messages[0].text.contains("could not be written"))
        << m_services.messages[0].text.toStdString();
    EXPECT_EQ(m_services.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(m_folder.read("out/report.txt"), "previous\n");
    EXPECT_EQ(outputEntries(), QStringList{"report.txt"});
}

TEST_F(ConvertDocumentTest, ASaveOntoAFolderOrIntoAMissingFolderFails)
{
    const QString source = m_folder.write("in/report.doc", "Text\n");
    m_folder.folder("out/report.txt/inside");
    EXPECT_EQ(convert(source, m_folder.path("out/report")), DocumentConversion::Failed);
    EXPECT_TRUE(QFileInfo(m_folder.path("out/report.txt/inside")).isDir());
    EXPECT_EQ(outputEntries(), QStringList{"report.txt"});

    EXPECT_EQ(convert(source, m_folder.path("gone/report")), DocumentConversion::Failed);
    EXPECT_EQ(m_services.messages.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(m_folder.path("gone")));
}

TEST_F(ConvertDocumentTest, TheConverterWorkRunsThroughTheRunnerAndTheMessageComesAfterIt)
{
    const QString good = m_folder.write("in/good.doc", "Text\n");
    const QString bad = m_folder.write("in/bad.doc", QByteArray());
    m_folder.folder("out");
    int runs = 0;
    DocumentConversion conversion(
        m_module, m_services, m_engine, [&](int row) { return row == 1   ? good
                                                              : row == 2 ? bad
                                                                         : QString(); },
        [&](const std::function<void()>& work) {
            ++runs;
            work();
            EXPECT_TRUE(m_services.messages.empty()); // shown by the caller's thread, after the work
        });
    m_module.OutputBase = m_folder.path("out/good");
    EXPECT_EQ(conversion.ConvertDocument(1), DocumentConversion::Converted);
    m_module.OutputBase = m_folder.path("out/bad");
    EXPECT_EQ(conversion.ConvertDocument(2), DocumentConversion::Failed);
    EXPECT_EQ(conversion.ConvertDocument(3), DocumentConversion::NoSourceDocument);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(m_services.messages.size(), 1u);
}
