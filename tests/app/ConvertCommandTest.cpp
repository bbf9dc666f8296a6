// The Convert command driven as a user drives it: documents in real folders,
// the button and the menu item, the naming of the output files, failures
// among good rows, the output folder check, the progress bar and the busy
// pointer, and a window that stays painted but takes no input during a run.

#include "ScriptedConverterFactory.h"
#include "WindowFixture.h"
#include "app/TerminationSignals.h"
#include "convert/BatchRun.h"
#include "engine/Engine.h"

#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <csignal>

using namespace plainora;
using plainora::test::ScriptedConverterFactory;
using plainora::test::WindowFixture;

namespace {

QByteArray fixture(const char* name)
{
    QFile in(QStringLiteral(PLAINORA_TEST_DATA_DIR "/docx/") + QLatin1String(name));
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << name;
    return in.readAll();
}

QString engineDescription(const QString& path)
{
    auto converter = engine::Converter::create();
    return QString::fromStdString(converter.value()->open(path.toStdString()).error().description);
}

class ConvertCommand : public WindowFixture
{
protected:
    // Opens the window with the given entries, selects the first one and
    // types the output folder (relative to the test's files).
    form1& openOn(const QStringList& entries, const QString& output = QStringLiteral("out"))
    {
        writeState("TAMRIX.txt", (entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        form1& window = open();
        clickEntry(1);
        typeOutputFolder(m_files.path(output));
        m_services.busyCount = 0;
        return window;
    }
    QString document(const QString& name, const QByteArray& bytes)
    {
        return m_files.write("in/" + name, bytes);
    }
    QString in() const { return m_files.path("in"); }
    void typeOutputFolder(const QString& text)
    {
        QLineEdit* field = m_window->Combo2()->lineEdit();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    void chooseSeparate() { chooseMenuItem("Actions", "Separate"); }
    QStringList outputFiles(const QString& folder = QStringLiteral("out")) const
    {
        return QDir(m_files.path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString outputFolder() const { return m_files.path("out") + "/"; }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto& message : m_services.messages)
            texts.append(message.text);
        return texts;
    }
    std::vector<MessageIcon> messageIcons() const
    {
        std::vector<MessageIcon> icons;
        for (const auto& message : m_services.messages)
            icons.push_back(message.icon);
        return icons;
    }
    // After every run: the progress bar is back at 0 and the pointer normal.
    void expectIdle() const
    {
        EXPECT_EQ(m_window->ProgressBar1()->value(), 0);
        EXPECT_EQ(m_services.busyDepth, 0);
        EXPECT_FALSE(m_window->batchRun().isRunning());
    }
};

} // namespace

TEST_F(ConvertCommand, TheButtonAndTheMenuNameOutputsByTheRule)
{
    document("My Report.doc", "Report text\n");
    document("Minutes 2.1.docx", fixture("paragraphs.docx"));
    const QString readme = m_files.write("README", "Read me first\n");
    openOn({in(), readme});

    click("Command6");
    EXPECT_EQ(outputFiles(), (QStringList{"Minutes21.txt", "MyReport.txt"}));
    EXPECT_EQ(m_files.read("out/MyReport.txt"), "Report text\n");
    EXPECT_EQ(m_files.read("out/Minutes21.txt"), fixture("paragraphs.txt"));
    EXPECT_TRUE(m_services.messages.empty());
    EXPECT_EQ(m_services.shellTargets, QStringList{outputFolder()});
    EXPECT_EQ(m_services.busyCount, 1);
    EXPECT_EQ(m_window->ProgressBar1()->maximum(), 2);
    expectIdle();

    // A file entry without extension lists one row, converted from the menu.
    clickEntry(2);
    ASSERT_EQ(documentRows(), QStringList{"README"});
    chooseSeparate();
    EXPECT_EQ(m_files.read("out/README.txt"), "Read me first\n");
    EXPECT_EQ(m_services.shellTargets, (QStringList{outputFolder(), outputFolder()}));
    EXPECT_EQ(m_window->ProgressBar1()->maximum(), 1);
    EXPECT_EQ(ticks(), std::vector<Qt::CheckState>{Qt::Checked}); // the run leaves the lists alone
    expectIdle();
}

TEST_F(ConvertCommand, ANameOfOnlySpacesAndDotsIsWrittenAsOneTxt)
{
    const QString blank = document(" .doc", "Blank name\n");
    openOn({in()});
    click("Command6");
    EXPECT_EQ(outputFiles(), QStringList{"1.txt"});
    EXPECT_EQ(m_files.read("out/1.txt"), "Blank name\n");

    // The same row failing: nothing between "Convert " and " file failed!".
    QFile(blank).resize(0);
    click("Command6");
    EXPECT_EQ(messageTexts(), (QStringList{engineDescription(blank), "Convert  file failed!"}));
    EXPECT_EQ(m_files.read("out/1.txt"), "Blank name\n");
    expectIdle();
}

TEST_F(ConvertCommand, SubfoldersNamedLikeTheOutputGetTheCounterAppended)
{
    const QString report = document("report.doc", "Report\n");
    m_files.folder("out/report");
    openOn({in()});
    click("Command6");
    EXPECT_EQ(outputFiles(), QStringList{"report1.txt"});

    m_files.folder("out/report1");
    click("Command6");
    EXPECT_EQ(outputFiles(), (QStringList{"report1.txt", "report12.txt"}));
    EXPECT_EQ(m_files.read("out/report12.txt"), "Report\n");

    // The failure message names the cleaned name, without the counter.
    QFile(report).resize(0);
    click("Command6");
    ASSERT_EQ(m_services.messages.size(), 2u);
    EXPECT_EQ(m_services.messages[1].text, "Convert report file failed!");
    expectIdle();
}

TEST_F(ConvertCommand, TwoRowsThatCleanToOneNameWriteOneFileTheLaterRowWins)
{
    document("a b.doc", "Spaced\n");
    document("ab.docx", fixture("paragraphs.docx"));
    openOn({in()});
    const QString later = documentRows().last();
    click("Command6");
    EXPECT_EQ(outputFiles(), QStringList{"ab.txt"});
    EXPECT_EQ(m_files.read("out/ab.txt"),
              later == "ab.docx" ? fixture("paragraphs.txt") : QByteArray("Spaced\n"));
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(ConvertCommand, RowsWithoutTicksConvertNothingButTheFolderIsMadeAndOpened)
{
    document("one.doc", "1\n");
    document("two.doc", "2\n");
    ScriptedConverterFactory factory;
    openOn({in()}, "new");
    m_window->batchRun().setConverterFactory(&factory);
    clickTick(1);
    clickTick(2);
    ASSERT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Unchecked, Qt::Unchecked}));
    click("Command6");
    EXPECT_TRUE(QFileInfo(m_files.path("new")).isDir());
    EXPECT_TRUE(outputFiles("new").isEmpty());
    EXPECT_TRUE(factory.calls().empty());
    EXPECT_TRUE(m_services.messages.empty());
    EXPECT_EQ(m_services.shellTargets, QStringList{m_files.path("new") + "/"});
    EXPECT_EQ(ticks(), (std::vector<Qt::CheckState>{Qt::Unchecked, Qt::Unchecked}));
    expectIdle();
}

TEST_F(ConvertCommand, AFailingRowIsReportedTwiceInOrderAndTheRunGoesOn)
{
    document("first.doc", "First\n");
    const QString bad = document("bad.doc", QByteArray());
    document("last.doc", "Last\n");
    openOn({in()});
    m_files.write("out/bad.txt", "from an earlier run\n");
    click("Command6");
    EXPECT_EQ(messageTexts(), (QStringList{engineDescription(bad), "Convert bad file failed!"}));
    EXPECT_EQ(messageIcons(), (std::vector<MessageIcon>{MessageIcon::None, MessageIcon::Critical}));
    EXPECT_EQ(m_services.messages[0].title, "Plainora");
    EXPECT_EQ(m_services.messages[1].title, "Plainora");
    EXPECT_EQ(m_files.read("out/first.txt"), "First\n");
    EXPECT_EQ(m_files.read("out/last.txt"), "Last\n");
    EXPECT_EQ(m_files.read("out/bad.txt"), "from an earlier run\n");
    EXPECT_EQ(m_services.shellTargets, QStringList{outputFolder()});
    expectIdle();
}

TEST_F(ConvertCommand, FailuresAtEveryStepComeInRowOrder)
{
    for (const char* name : {"a.doc", "b.doc", "c.doc"})
        document(QLatin1String(name), "Text\n");
    ScriptedConverterFactory factory;
    openOn({in()});
    m_window->batchRun().setConverterFactory(&factory);
    const QStringList rows = documentRows();
    for (auto step : {ScriptedConverterFactory::Step::Open, ScriptedConverterFactory::Step::Save,
                      ScriptedConverterFactory::Step::Quit}) {
        m_services.messages.clear();
        factory.failAt = step;
        factory.failingDocument = "/" + rows[1].toStdString(); // the middle row
        factory.description = "Step failed.";
        click("Command6");
        const QString middle = rows[1].left(1);
        EXPECT_EQ(messageTexts(), (QStringList{"Step failed.", "Convert " + middle + " file failed!"}));
        EXPECT_EQ(messageIcons(), (std::vector<MessageIcon>{MessageIcon::None, MessageIcon::Critical}));
        EXPECT_TRUE(QFile::exists(m_files.path("out/" + rows[2].left(1) + ".txt")));
    }

    // The converter cannot even start: every row fails at its creation,
    // each with its two messages, and no document is opened.
    m_services.messages.clear();
    factory.failAt = ScriptedConverterFactory::Step::Create;
    factory.failingDocument.clear();
    const std::size_t before = factory.calls().size();
    click("Command6");
    QStringList expected;
    for (const QString& row : rows)
        expected << "Step failed."
                 << "Convert " + row.left(1) + " file failed!";
    EXPECT_EQ(messageTexts(), expected);
    EXPECT_EQ(factory.calls().size(), before + 3); // three creations, nothing else
    EXPECT_EQ(m_services.shellTargets.size(), 4);
    expectIdle();
}

TEST_F(ConvertCommand, ADocumentGoneSinceItWasListedGivesOneMessageOnly)
{
    const QString gone = document("gone.doc", "Gone\n");
    document("kept.doc", "Kept\n");
    openOn({in()});
    ASSERT_TRUE(QFile::remove(gone));
    click("Command6");
    EXPECT_EQ(messageTexts(), QStringList{"Convert gone file failed!"});
    EXPECT_EQ(messageIcons(), std::vector<MessageIcon>{MessageIcon::Critical});
    EXPECT_EQ(outputFiles(), QStringList{"kept.txt"});
}

TEST_F(ConvertCommand, AnExistingTextFileIsReplacedWithoutAQuestion)
{
    document("report.docx", fixture("tables.docx"));
    m_files.write("out/report.txt", QByteArray(10000, 'x'));
    openOn({in()});
    click("Command6");
    EXPECT_EQ(m_files.read("out/report.txt"), fixture("tables.txt"));
    EXPECT_EQ(outputFiles(), QStringList{"report.txt"}); // no temporary file left
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(ConvertCommand, TheProgressBarCountsEveryRowAndTheBusyPointerCoversTheRun)
{
    for (const char* name : {"a.doc", "b.doc", "c.doc", "d.doc"})
        document(QLatin1String(name), "Text\n");
    ScriptedConverterFactory factory;
    std::vector<int> busyAtOpen;
    factory.onOpen = [&] { busyAtOpen.push_back(m_services.busyDepth); };
    openOn({in()});
    m_window->batchRun().setConverterFactory(&factory);
    clickTick(2);
    std::vector<int> values;
    QObject::connect(m_window->ProgressBar1(), &QProgressBar::valueChanged,
                     [&values](int value) { values.push_back(value); });
    click("Command6");
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 4, 0}));
    EXPECT_EQ(m_window->ProgressBar1()->maximum(), 4);
    EXPECT_EQ(busyAtOpen, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(outputFiles().size(), 3);
    EXPECT_EQ(m_services.busyCount, 1);
    expectIdle();
}

TEST_F(ConvertCommand, AnEmptyDocumentListAsksForADocumentAndChecksNothing)
{
    form1& window = open(); // no entry, and an empty output directory box
    click("Command6");
    EXPECT_EQ(messageTexts(), QStringList{"Please select word at fast!"});
    EXPECT_EQ(messageIcons(), std::vector<MessageIcon>{MessageIcon::Information});
    EXPECT_EQ(m_services.messages[0].title, "Plainora");
    EXPECT_TRUE(m_services.shellTargets.isEmpty());
    EXPECT_EQ(m_services.busyCount, 0);
    EXPECT_EQ(window.ProgressBar1()->value(), 0);
}

TEST_F(ConvertCommand, AnUnusableOutputFolderStopsTheRunBeforeAnyConversion)
{
    document("a.doc", "Text\n");
    document("b.doc", "Text\n");
    ScriptedConverterFactory factory;
    m_files.write("file");
    const QString remembered = m_files.folder("remembered");
    writeState("output.txt", (remembered + "\r\n").toUtf8());
    openOn({in()});
    m_window->batchRun().setConverterFactory(&factory);
    const struct
    {
        QString typed;
        QString message;
    } cases[] = {
        {QString(), "Please select output folder"},
        {m_files.path("missing/parent"), "Failed to create folder!"},
        {m_files.path("file"), "Failed to create folder!"},
    };
    for (const auto& c : cases) {
        m_services.messages.clear();
        typeOutputFolder(c.typed);
        click("Command6");
        EXPECT_EQ(messageTexts(), QStringList{c.message});
        EXPECT_EQ(m_window->ProgressBar1()->maximum(), 2);
    }
    // A remembered folder chosen from the list that has gone since.
    m_services.messages.clear();
    m_window->Combo2()->setCurrentIndex(0);
    ASSERT_TRUE(QDir(remembered).removeRecursively());
    click("Command6");
    EXPECT_EQ(messageTexts(), QStringList{"Folder does not exist!"});

    EXPECT_TRUE(factory.calls().empty());
    EXPECT_TRUE(m_services.shellTargets.isEmpty());
    EXPECT_EQ(m_services.busyCount, 0);
    expectIdle();
}

TEST_F(ConvertCommand, HoweverTheSelectionMovesTheRowsAndTheRunFollowIt)
{
    // Each folder holds one document named after it, so a stale list shows.
    QStringList entries;
    for (const char* name : {"alpha", "beta", "gamma"}) {
        m_files.write(QStringLiteral("%1/%1.doc").arg(QLatin1String(name)), QByteArray(name) + "\n");
        entries.append(m_files.path(QLatin1String(name)));
    }
    const auto viewport = [this] { return m_window->ListView1()->viewport(); };
    const auto rowCenter = [this](int position) {
        QTreeWidget* list = m_window->ListView1();
        return list->visualItemRect(list->topLevelItem(position - 1)).center();
    };
    const struct
    {
        const char* way;
        bool fromBeta; // beta is clicked first, so that its documents show
        std::function<void()> move;
        QString shown; // the entry selected afterwards
    } cases[] = {
        {"a right-click", true, [&] { QTest::mouseClick(viewport(), Qt::RightButton, {}, rowCenter(1)); },
         "alpha"},
        {"a press released over another row", true,
         [&] {
             QTest::mousePress(viewport(), Qt::LeftButton, {}, rowCenter(1));
             QTest::mouseMove(viewport(), rowCenter(3));
             QTest::mouseRelease(viewport(), Qt::LeftButton, {}, rowCenter(3));
         },
         "gamma"},
        {"Space on the row the keyboard focus came to", false,
         [&] {
             QTest::mouseClick(m_window->ListView2()->viewport(), Qt::LeftButton, {}, QPoint(5, 100));
             QTest::keyClick(m_window->ListView2(), Qt::Key_Backtab);
             QTest::keyClick(m_window->ListView1(), Qt::Key_Space);
         },
         "alpha"},
        {"the program", true,
         [&] { m_window->ListView1()->setCurrentItem(m_window->ListView1()->topLevelItem(2)); }, "gamma"},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        m_services.messages.clear();
        writeState("TAMRIX.txt", (entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        open();
        if (c.fromBeta)
            clickEntry(2);
        c.move();
        const QString selected = entryTexts().value(selectedEntry() - 1);
        EXPECT_EQ(selected, m_files.path(c.shown));
        EXPECT_EQ(documentRows(), QStringList{c.shown + ".doc"});
        const QString out = QStringLiteral("out%1").arg(++run);
        typeOutputFolder(m_files.path(out));
        click("Command6");
        EXPECT_EQ(outputFiles(out), QStringList{c.shown + ".txt"});
        EXPECT_EQ(m_files.read(out + "/" + c.shown + ".txt"), c.shown.toUtf8() + "\n");
        EXPECT_EQ(messageTexts(), QStringList{});
    }
}

TEST_F(ConvertCommand, DotNamedFoldersTheUserNamedWorkLikeAnyOther)
{
    // A dot-named document inside a scanned folder stays out of its rows.
    m_files.write(".in/.skipped.doc", "Skipped\n");
    m_files.write(".in/seen.doc", "Seen\n");
    const QString dotted = m_files.path(".in");
    const QString plain = document("plain.doc", "Plain\n");
    const QString hiddenDocument = m_files.write(".alone.doc", "Alone\n");
    m_files.folder(".out");
    const struct
    {
        const char* what;
        QString entry;
        QString output;
        QString written;
    } cases[] = {
        {"a dot-named folder entry", dotted, "plainout", "seen.txt"},
        {"a dot-named document entry", hiddenDocument, "plainout", "alone.txt"},
        {"an existing dot-named output folder", plain, ".out", "plain.txt"},
        {"a new dot-named output folder", plain, ".new", "plain.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_services.messages.clear();
        openOn({c.entry}, c.output);
        EXPECT_EQ(documentRows().size(), 1);
        click("Command6");
        EXPECT_EQ(messageTexts(), QStringList{});
        EXPECT_TRUE(outputFiles(c.output).contains(c.written))
            << outputFiles(c.output).join(' ').toStdString();
    }
    EXPECT_EQ(m_files.read("plainout/seen.txt"), "Seen\n");
    EXPECT_EQ(m_files.read("plainout/alone.txt"), "Alone\n");
    EXPECT_EQ(m_files.read(".new/plain.txt"), "Plain\n");
}

namespace {

// A user who, while a run goes, every 25 ms uncovers part of the window and
// clicks and types everywhere and starts Convert again.
// Records what of it reached the window and what the window painted.
class ImpatientUser : public QObject
{
public:
    ImpatientUser(form1& window, const std::function<void(const char*)>& click,
                  const std::function<void()>& clickTickAndEntry)
        : m_window(window)
    {
        window.ProgressBar1()->installEventFilter(this);
        window.ListView2()->viewport()->installEventFilter(this);
        const auto countWhileRunning = [this] { taken += running() ? 1 : 0; };
        for (const char* button : {"Command6", "Command2"})
            connect(window.findChild<QPushButton*>(QLatin1String(button)), &QPushButton::clicked,
                    countWhileRunning);
        connect(window.ListView1(), &EntryListView::ItemClick, countWhileRunning);
        connect(window.ListView2(), &QTreeWidget::itemChanged, countWhileRunning);
        m_timer.setInterval(25);
        connect(&m_timer, &QTimer::timeout, [this, &window, click, clickTickAndEntry] {
            if (!running())
                return;
            ++attempts;
            // As when another window uncovers part of this one.
            window.ListView2()->viewport()->update();
            click("Command6");
            window.Convert();
            clickTickAndEntry();
            QTest::keyClick(window.ListView1(), Qt::Key_Down);
            click("Command2");
            stayedVisible = stayedVisible && window.isVisible();
        });
        m_timer.start();
    }

    int attempts = 0;
    int taken = 0; // commands that reached the window during the run
    bool stayedVisible = true;
    int listPaintsDuringRun = 0;     // paints that come only through the event loop
    std::vector<int> progressPaints; // the value shown at each paint of the progress bar

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (watched == m_window.ProgressBar1())
                progressPaints.push_back(m_window.ProgressBar1()->value());
            else if (running())
                ++listPaintsDuringRun;
        }
        return false;
    }

private:
    bool running() const { return m_window.batchRun().isRunning(); }

    form1& m_window;
    QTimer m_timer;
};

} // namespace

class ConvertCommandWhileRunning : public ConvertCommand
{
protected:
    std::unique_ptr<ImpatientUser> impatientUser(form1& window)
    {
        return std::make_unique<ImpatientUser>(
            window, [this](const char* button) { click(button); },
            [this] {
                clickTick(1);
                clickEntry(1);
            });
    }
    void expectNothingTaken(const ImpatientUser& user, int documents)
    {
        EXPECT_EQ(user.taken, 0);
        EXPECT_TRUE(user.stayedVisible);
        EXPECT_EQ(ticks(), std::vector<Qt::CheckState>(documents, Qt::Checked));
        EXPECT_EQ(documentRows().size(), documents);
        EXPECT_EQ(m_services.shellTargets.size(), 1);
        expectIdle();
        // The ignored clicks do not come back.
        QTest::qWait(50);
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_EQ(m_services.shellTargets.size(), 1);
    }
};

TEST_F(ConvertCommandWhileRunning, ManyDocumentsTheProgressBarAdvancesOnScreenAndInputIsIgnored)
{
    constexpr int Documents = 60;
    for (int i = 0; i < Documents; ++i)
        document(QStringLiteral("doc%1.doc").arg(i, 2, 10, QLatin1Char('0')), "Text\n");
    ScriptedConverterFactory factory;
    factory.openDelay = std::chrono::milliseconds(5);
    form1& window = openOn({in()});
    window.batchRun().setConverterFactory(&factory);
    const auto user = impatientUser(window);
    click("Command6");

    EXPECT_GE(user->attempts, 3);
    EXPECT_GE(user->listPaintsDuringRun, 2);
    std::vector<int> midRun;
    std::copy_if(user->progressPaints.begin(), user->progressPaints.end(), std::back_inserter(midRun),
                 [](int value) { return value > 0 && value < Documents; });
    EXPECT_GE(midRun.size(), 3u);
    EXPECT_TRUE(std::is_sorted(midRun.begin(), midRun.end()));
    EXPECT_LT(midRun.front(), midRun.back());
    // One run only, every row converted.
    const std::vector<std::string> calls = factory.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "create"), Documents);
    EXPECT_EQ(outputFiles().size(), Documents);
    expectNothingTaken(*user, Documents);
}

TEST_F(ConvertCommandWhileRunning, OneLongDocumentTheWindowKeepsPaintingWhileItConverts)
{
    document("long.doc", "Long\n");
    document("short.doc", "Short\n");
    ScriptedConverterFactory factory;
    factory.openDelay = std::chrono::milliseconds(150);
    form1& window = openOn({in()});
    window.batchRun().setConverterFactory(&factory);
    const auto user = impatientUser(window);
    click("Command6");

    EXPECT_GE(user->attempts, 6);
    EXPECT_GE(user->listPaintsDuringRun, 5);
    EXPECT_EQ(outputFiles(), (QStringList{"long.txt", "short.txt"}));
    expectNothingTaken(*user, 2);
}

TEST_F(ConvertCommandWhileRunning, TheCloseBoxExitAndTheTerminationSignalsStopAfterTheCurrentDocument)
{
    constexpr int Documents = 20;
    for (int i = 0; i < Documents; ++i)
        document(QStringLiteral("doc%1.doc").arg(i, 2, 10, QLatin1Char('0')), "Text\n");
    ASSERT_TRUE(TerminationSignals::Catch());
    const TerminationSignals termination;
    const struct
    {
        const char* way;
        std::function<void()> stop;
    } cases[] = {
        {"the close box", [this] { m_window->close(); }},
        {"Exit", [this] { click("Command9"); }},
        {"SIGTERM", [] { ::raise(SIGTERM); }},
        {"SIGINT", [] { ::raise(SIGINT); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        ASSERT_TRUE(QDir(m_files.path("out")).removeRecursively());
        m_services.shellTargets.clear();
        ScriptedConverterFactory factory;
        factory.openDelay = std::chrono::milliseconds(30);
        form1& window = openOn({in()});
        window.batchRun().setConverterFactory(&factory);
        writeState("TAMRIX.txt", "stale\r\n"); // the exit writes the list over this
        // The user acts while the first document converts.
        std::atomic<bool> asked = false;
        factory.onOpen = [&] {
            if (!asked.exchange(true))
                QMetaObject::invokeMethod(&window, c.stop, Qt::QueuedConnection);
        };
        click("Command6");
        QTest::qWait(50);

        EXPECT_FALSE(window.isVisible());
        const QStringList written = outputFiles();
        EXPECT_GE(written.size(), 1);
        EXPECT_LT(written.size(), Documents);
        for (const QString& name : written)
            EXPECT_EQ(m_files.read("out/" + name), "Text\n") << name.toStdString();
        EXPECT_EQ(m_state.read("TAMRIX.txt"), (in() + "\r\n").toUtf8());
        EXPECT_TRUE(m_services.shellTargets.isEmpty()); // a stopped run opens no folder
        EXPECT_TRUE(m_services.messages.empty());
        expectIdle();
    }
}
