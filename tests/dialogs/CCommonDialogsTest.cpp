// The rules of the common dialogs object, driven through the scripted backend.

#include "dialogs/CCommonDialogs.h"

#include "GTestQtPrinters.h"
#include "ScriptedDialogBackend.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace plainora;

namespace {

const QChar Nul(u'\0');

QString nuls(int count)
{
    return QString(count, Nul);
}

class CommonDialogsTest : public ::testing::Test
{
protected:
    std::shared_ptr<ScriptedDialogBackend> backend = std::make_shared<ScriptedDialogBackend>();
    QWidget owner;
    CCommonDialogs dialogs{backend};

    void SetUp() override { dialogs.Init(&owner); }

    template <typename Show> void expectError(int number, Show&& show)
    {
        try {
            show();
            FAIL() << "no error raised";
        } catch (const CommonDialogsError& e) {
            EXPECT_EQ(e.number(), number);
            EXPECT_FALSE(e.description().isEmpty());
        }
    }
};

// ---- Properties -----------------------------------------------------------

TEST_F(CommonDialogsTest, FreshObjectHoldsNothing)
{
    CCommonDialogs fresh(backend);
    EXPECT_EQ(fresh.FileTitle(), "");
    EXPECT_EQ(fresh.Path(), "");
    EXPECT_EQ(fresh.Filter(), "");
    EXPECT_EQ(fresh.FileName(), "");
    EXPECT_EQ(fresh.Color(), 0);
    EXPECT_EQ(fresh.Title(), "");
    EXPECT_EQ(fresh.DefExt(), "");
    EXPECT_EQ(fresh.FontName(), "");
    EXPECT_EQ(fresh.FontSize(), 0);
    EXPECT_FALSE(fresh.FontBold());
    EXPECT_FALSE(fresh.FontItalic());
    EXPECT_FALSE(fresh.FontUnderline());
}

TEST_F(CommonDialogsTest, PathTextGettersCutAtTheFirstNul)
{
    const QString stored = QStringLiteral("abc") + Nul + QStringLiteral("def") + Nul;
    dialogs.setTitle(stored);
    dialogs.setPath(stored);
    dialogs.setFileTitle(stored);
    dialogs.setFileName(stored);
    EXPECT_EQ(dialogs.Title(), "abc");
    EXPECT_EQ(dialogs.Path(), "abc");
    EXPECT_EQ(dialogs.FileTitle(), "abc");
    EXPECT_EQ(dialogs.FileName(), "abc");
}

TEST_F(CommonDialogsTest, OtherGettersReturnWhatWasStored)
{
    const QString stored = QStringLiteral("abc") + Nul + QStringLiteral("def");
    dialogs.setFilter(stored);
    dialogs.setDefExt(stored);
    dialogs.setFontName(stored);
    dialogs.setColor(-1);
    dialogs.setFontSize(-7);
    EXPECT_EQ(dialogs.Filter(), stored);
    EXPECT_EQ(dialogs.DefExt(), stored);
    EXPECT_EQ(dialogs.FontName(), stored);
    EXPECT_EQ(dialogs.Color(), -1);
    EXPECT_EQ(dialogs.FontSize(), -7);
}

TEST_F(CommonDialogsTest, DefaultConstructedObjectUsesTheStandardBackend)
{
    auto previous = DialogBackend::setStandard(backend);
    {
        CCommonDialogs standard;
        standard.Init(&owner);
        backend->colorAnswers.push_back(0x0000FF);
        EXPECT_TRUE(standard.ShowColor(false));
        EXPECT_EQ(standard.Color(), 0x0000FF);
    }
    DialogBackend::setStandard(previous);
    EXPECT_EQ(backend->colorRequests.size(), 1u);
}

// ---- ShowOpen -------------------------------------------------------------

TEST_F(CommonDialogsTest, ShowOpenOffersTheWordFilterWhateverFilterHolds)
{
    dialogs.setTitle("Select Word File");
    dialogs.setFilter("Text|*.txt");
    EXPECT_FALSE(dialogs.ShowOpen());

    ASSERT_EQ(backend->fileRequests.size(), 1u);
    const FileDialogRequest& request = backend->fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(request.owner.data(), &owner);
    EXPECT_EQ(request.filterText, QStringLiteral("Word File(*.doc;*.docx)") + Nul + "*.doc;*.docx" + Nul);
    ASSERT_EQ(request.filterPairs().size(), 1u);
    EXPECT_EQ(request.filterPairs()[0].first, "Word File(*.doc;*.docx)");
    EXPECT_EQ(request.filterPairs()[0].second, "*.doc;*.docx");
    EXPECT_EQ(request.filterIndex, 0);
    EXPECT_EQ(request.fileBuffer, QString(260, u' '));
    EXPECT_EQ(request.caption, QString("Select Word File"));
    EXPECT_FALSE(request.initialFolder.has_value());
    EXPECT_FALSE(request.defaultExtension.has_value());
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_FALSE(request.allowMultipleFiles);
    EXPECT_EQ(request.maxPathLength, 260);
}

TEST_F(CommonDialogsTest, ShowOpenLeavesTheCaptionToTheDialogUntilTitleIsSet)
{
    dialogs.ShowOpen();
    dialogs.setTitle("");
    dialogs.setDefExt("doc");
    dialogs.ShowOpen();
    ASSERT_EQ(backend->fileRequests.size(), 2u);
    EXPECT_FALSE(backend->fileRequests[0].caption.has_value());
    EXPECT_EQ(backend->fileRequests[1].caption, QString(""));
    EXPECT_EQ(backend->fileRequests[1].defaultExtension, QString("doc"));
}

TEST_F(CommonDialogsTest, ShowOpenPadsTheFileNameWithSpacesTo260)
{
    dialogs.setFileName("/tmp/a.doc");
    dialogs.ShowOpen();
    dialogs.setFileName(QStringLiteral("/x") + Nul + "ignored");
    dialogs.ShowOpen();
    ASSERT_EQ(backend->fileRequests.size(), 2u);
    EXPECT_EQ(backend->fileRequests[0].fileBuffer, QStringLiteral("/tmp/a.doc") + QString(250, u' '));
    EXPECT_EQ(backend->fileRequests[1].fileBuffer, QStringLiteral("/x") + QString(258, u' '));
}

TEST_F(CommonDialogsTest, ShowOpenRejectsAFileNameLongerThan260WithoutADialog)
{
    dialogs.setFileName(QString(260, u'a'));
    dialogs.ShowOpen();
    EXPECT_EQ(backend->fileRequests.back().fileBuffer, QString(260, u'a'));

    dialogs.setFileName(QString(261, u'a'));
    dialogs.setPath("/kept");
    expectError(CommonDialogsError::InvalidArgument, [&] { dialogs.ShowOpen(); });
    EXPECT_EQ(backend->fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.Path(), "/kept");
}

TEST_F(CommonDialogsTest, ShowOpenWithoutOwnerRaisesBeforeAnyDialog)
{
    CCommonDialogs noInit(backend);
    expectError(CommonDialogsError::NoOwner, [&] { noInit.ShowOpen(); });

    auto gone = std::make_unique<QWidget>();
    CCommonDialogs closedOwner(backend);
    closedOwner.Init(gone.get());
    gone.reset();
    expectError(CommonDialogsError::NoOwner, [&] { closedOwner.ShowOpen(); });
    EXPECT_EQ(backend->dialogCount(), 0u);
}

TEST_F(CommonDialogsTest, ShowOpenConfirmedSetsFileNameTitleAndFolder)
{
    backend->fileAnswers.push_back(QString("/home/ann/My Docs/report.v2.docx"));
    EXPECT_TRUE(dialogs.ShowOpen());
    EXPECT_EQ(dialogs.FileName(), "/home/ann/My Docs/report.v2.docx");
    EXPECT_EQ(dialogs.FileTitle(), "report.v2.docx");
    EXPECT_EQ(dialogs.Path(), "/home/ann/My Docs");
}

TEST_F(CommonDialogsTest, ShowOpenOfAFileInTheRootGivesTheRootAsPath)
{
    backend->fileAnswers.push_back(QString("/notes.doc"));
    EXPECT_TRUE(dialogs.ShowOpen());
    EXPECT_EQ(dialogs.FileName(), "/notes.doc");
    EXPECT_EQ(dialogs.FileTitle(), "notes.doc");
    EXPECT_EQ(dialogs.Path(), "/");
}

TEST_F(CommonDialogsTest, ShowOpenCancelledOrFailedChangesNothing)
{
    dialogs.setFileName("/a/b.doc");
    dialogs.setFileTitle("b.doc");
    dialogs.setPath("/a");
    backend->fileAnswers.push_back(std::nullopt);
    backend->fileAnswers.push_back("/" + QString(260, u'x')); // does not fit the buffer
    EXPECT_FALSE(dialogs.ShowOpen());
    EXPECT_FALSE(dialogs.ShowOpen());
    EXPECT_EQ(dialogs.FileName(), "/a/b.doc");
    EXPECT_EQ(dialogs.FileTitle(), "b.doc");
    EXPECT_EQ(dialogs.Path(), "/a");

    backend->failing.insert(ScriptedDialogBackend::Call::File);
    expectError(CommonDialogsError::DialogFailed, [&] { dialogs.ShowOpen(); });
    EXPECT_EQ(dialogs.FileName(), "/a/b.doc");
}

TEST_F(CommonDialogsTest, SecondShowOpenStartsFromTheFirstChoice)
{
    backend->fileAnswers.push_back(QString("/d/one.doc"));
    ASSERT_TRUE(dialogs.ShowOpen());
    dialogs.ShowOpen();
    EXPECT_EQ(backend->fileRequests[1].fileBuffer, QStringLiteral("/d/one.doc") + QString(250, u' '));
}

// ---- ShowSave -------------------------------------------------------------

TEST_F(CommonDialogsTest, ShowSaveAppendsTheSlashToAnExistingFolderEvenOnCancel)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    dialogs.setPath(folder.path());
    EXPECT_FALSE(dialogs.ShowSave());
    ASSERT_EQ(backend->fileRequests.size(), 1u);
    EXPECT_EQ(backend->fileRequests[0].initialFolder, folder.path() + "/");
    EXPECT_EQ(dialogs.Path(), folder.path() + "/");
}

TEST_F(CommonDialogsTest, ShowSaveStartsInTheProgramDirectoryForNoUsableFolder)
{
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QString file = parent.path() + "/file.txt";
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    for (const QString& path : {QString(), QString("   "), parent.path() + "/missing", file}) {
        dialogs.setPath(path);
        dialogs.ShowSave();
        EXPECT_EQ(dialogs.Path(), backend->programDir) << path.toStdString();
        EXPECT_EQ(backend->fileRequests.back().initialFolder, backend->programDir);
    }
}

TEST_F(CommonDialogsTest, ShowSaveNormalisesPathBeforeItNeedsTheOwner)
{
    CCommonDialogs noInit(backend);
    expectError(CommonDialogsError::NoOwner, [&] { noInit.ShowSave(); });
    EXPECT_EQ(noInit.Path(), backend->programDir);
    EXPECT_EQ(backend->dialogCount(), 0u);
}

TEST_F(CommonDialogsTest, ShowSaveSplitsFilterAtEveryBar)
{
    const auto filterTextFor = [&](const QString& filter) {
        dialogs.setFilter(filter);
        dialogs.ShowSave();
        return backend->fileRequests.back().filterText;
    };
    EXPECT_EQ(filterTextFor("Text (*.txt)|*.txt|All|*.*"),
              QStringLiteral("Text (*.txt)") + Nul + "*.txt" + Nul + "All" + Nul + "*.*" + Nul);
    EXPECT_EQ(filterTextFor("Text|*.txt|"), QStringLiteral("Text") + Nul + "*.txt" + Nul + Nul);
    EXPECT_EQ(filterTextFor(""), QStringLiteral("*.*") + Nul + "*.*" + Nul);
    EXPECT_EQ(filterTextFor("    "), QStringLiteral("*.*") + Nul + "*.*" + Nul);
    EXPECT_EQ(filterTextFor("Everything"), QStringLiteral("Everything") + Nul);
    EXPECT_EQ(backend->fileRequests.back().filterIndex, 1);

    // The empty last piece ends the list of pairs.
    dialogs.setFilter("Text|*.txt|");
    dialogs.ShowSave();
    EXPECT_EQ(backend->fileRequests.back().filterPairs().size(), 1u);
}

TEST_F(CommonDialogsTest, ShowSaveIgnoresTitleDefExtAndFileName)
{
    dialogs.setTitle("Pick");
    dialogs.setDefExt("txt");
    dialogs.setFileName("/tmp/old.txt");
    dialogs.ShowSave();
    const FileDialogRequest& request = backend->fileRequests.back();
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.caption, QString("Save"));
    ASSERT_TRUE(request.defaultExtension.has_value());
    EXPECT_TRUE(request.defaultExtension->isEmpty());
    EXPECT_EQ(request.fileBuffer, nuls(256));
    EXPECT_FALSE(request.fileMustExist);
    EXPECT_FALSE(request.overwritePrompt);
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_EQ(request.maxPathLength, 254);
}

TEST_F(CommonDialogsTest, ShowSaveConfirmedGivesACleanFileNameAndItsFolder)
{
    backend->fileAnswers.push_back(QString("/srv/out/list.txt"));
    EXPECT_TRUE(dialogs.ShowSave());
    EXPECT_EQ(dialogs.FileName(), "/srv/out/list.txt");
    EXPECT_EQ(dialogs.FileTitle(), "list.txt");
    EXPECT_EQ(dialogs.Path(), "/srv/out");

    backend->fileAnswers.push_back(QString("/top.txt"));
    EXPECT_TRUE(dialogs.ShowSave());
    EXPECT_EQ(dialogs.Path(), "/");
}

TEST_F(CommonDialogsTest, ShowSaveFailsForAPathThatDoesNotFitItsBuffer)
{
    const QString fits = "/" + QString(253, u'f');
    backend->fileAnswers.push_back(fits);
    backend->fileAnswers.push_back(fits + "g");
    EXPECT_TRUE(dialogs.ShowSave());
    EXPECT_EQ(dialogs.FileName(), fits);
    EXPECT_FALSE(dialogs.ShowSave());
    EXPECT_EQ(dialogs.FileName(), fits);
}

// ---- ShowFolder -----------------------------------------------------------

TEST_F(CommonDialogsTest, ShowFolderShowsTitleAsThePromptFromTheDesktop)
{
    dialogs.setTitle("Add all word files in folder");
    EXPECT_FALSE(dialogs.ShowFolder());
    ASSERT_EQ(backend->folderRequests.size(), 1u);
    const FolderDialogRequest& request = backend->folderRequests[0];
    EXPECT_EQ(request.owner.data(), &owner);
    EXPECT_EQ(request.prompt, "Add all word files in folder");
    EXPECT_TRUE(request.fromDesktop);
    EXPECT_TRUE(request.fileSystemOnly);
    EXPECT_FALSE(request.belowDomain);
}

TEST_F(CommonDialogsTest, ShowFolderConfirmedSetsPathAndClearsTheFile)
{
    backend->fileAnswers.push_back(QString("/a/b/c.doc"));
    ASSERT_TRUE(dialogs.ShowOpen());
    backend->folderAnswers.push_back(QString("/home/ann/Reports"));
    EXPECT_TRUE(dialogs.ShowFolder());
    EXPECT_EQ(dialogs.Path(), "/home/ann/Reports");
    EXPECT_EQ(dialogs.FileName(), "");
    EXPECT_EQ(dialogs.FileTitle(), "");
}

TEST_F(CommonDialogsTest, ShowFolderKeepsTheRootAndAnEmptyAnswer)
{
    backend->folderAnswers.push_back(QString("/"));
    EXPECT_TRUE(dialogs.ShowFolder());
    EXPECT_EQ(dialogs.Path(), "/");
    backend->folderAnswers.push_back(QString(""));
    EXPECT_TRUE(dialogs.ShowFolder());
    EXPECT_EQ(dialogs.Path(), "");
}

TEST_F(CommonDialogsTest, ShowFolderCancelledChangesNothing)
{
    dialogs.setPath("/p");
    dialogs.setFileName("/p/f.doc");
    dialogs.setFileTitle("f.doc");
    EXPECT_FALSE(dialogs.ShowFolder());
    EXPECT_EQ(dialogs.Path(), "/p");
    EXPECT_EQ(dialogs.FileName(), "/p/f.doc");
    EXPECT_EQ(dialogs.FileTitle(), "f.doc");
}

TEST_F(CommonDialogsTest, ShowFolderWithoutOwnerRaises)
{
    CCommonDialogs noInit(backend);
    expectError(CommonDialogsError::NoOwner, [&] { noInit.ShowFolder(); });
    EXPECT_EQ(backend->dialogCount(), 0u);
}

// ---- ShowColor ------------------------------------------------------------

TEST_F(CommonDialogsTest, ShowColorOpensOnTheCurrentColourWithAFreshTable)
{
    dialogs.setColor(0x00336699);
    dialogs.ShowColor(false);
    backend->colorAnswers.push_back(0x00112233);
    EXPECT_TRUE(dialogs.ShowColor(true));
    ASSERT_EQ(backend->colorRequests.size(), 2u);
    EXPECT_EQ(backend->colorRequests[0].initialColor, 0x00336699);
    EXPECT_FALSE(backend->colorRequests[0].fullOpen);
    EXPECT_TRUE(backend->colorRequests[1].fullOpen);
    for (const ColorDialogRequest& request : backend->colorRequests)
        for (ColorRef custom : request.customColors)
            EXPECT_EQ(custom, 0);
    EXPECT_EQ(dialogs.Color(), 0x00112233);
}

TEST_F(CommonDialogsTest, ShowColorCancelledKeepsTheColour)
{
    dialogs.setColor(42);
    EXPECT_FALSE(dialogs.ShowColor(true));
    EXPECT_EQ(dialogs.Color(), 42);
    CCommonDialogs noInit(backend);
    expectError(CommonDialogsError::NoOwner, [&] { noInit.ShowColor(false); });
    EXPECT_EQ(backend->colorRequests.size(), 1u);
}

// ---- ShowFont -------------------------------------------------------------

TEST_F(CommonDialogsTest, ShowFontTurnsPointsIntoPixelsOfTheScreen)
{
    const auto heightFor = [&](int size, int dpi) {
        backend->dpiY = dpi;
        dialogs.setFontSize(std::int16_t(size));
        dialogs.ShowFont();
        EXPECT_EQ(backend->fontRequests.back().screenDpiY, dpi);
        return backend->fontRequests.back().logFont.height;
    };
    EXPECT_EQ(heightFor(12, 96), -16);
    EXPECT_EQ(heightFor(11, 96), -15);
    EXPECT_EQ(heightFor(12, 120), -20);
    EXPECT_EQ(heightFor(-11, 96), 15);
    EXPECT_EQ(heightFor(0, 96), 0);
}

TEST_F(CommonDialogsTest, ShowFontPassesWeightStyleAndColour)
{
    dialogs.setColor(0xFF);
    dialogs.setFontUnderline(true);
    dialogs.ShowFont();
    dialogs.setFontBold(true);
    dialogs.setFontItalic(true);
    dialogs.setFontUnderline(false);
    dialogs.ShowFont();
    ASSERT_EQ(backend->fontRequests.size(), 2u);
    const FontDialogRequest& plain = backend->fontRequests[0];
    EXPECT_EQ(plain.logFont.weight, 0);
    EXPECT_FALSE(plain.logFont.italic);
    EXPECT_TRUE(plain.logFont.underline);
    EXPECT_EQ(plain.color, 0xFF);
    EXPECT_EQ(plain.owner.data(), &owner);
    EXPECT_EQ(plain.printerName, QString("Office Laser"));
    EXPECT_TRUE(plain.screenFonts && plain.printerFonts && plain.initFromLogFont && plain.forceFontExist);
    EXPECT_FALSE(plain.effects);
    const FontDialogRequest& styled = backend->fontRequests[1];
    EXPECT_EQ(styled.logFont.weight, 700);
    EXPECT_TRUE(styled.logFont.italic);
    EXPECT_FALSE(styled.logFont.underline);
}

TEST_F(CommonDialogsTest, ShowFontCutsTheFaceNameAt31Characters)
{
    dialogs.ShowFont();
    dialogs.setFontName(QString(40, u'F'));
    dialogs.ShowFont();
    // A surrogate pair is never split at the cut.
    dialogs.setFontName(QString(30, u'F') + QString::fromUtf8("\U0001D4D5") + "G");
    dialogs.ShowFont();
    EXPECT_EQ(backend->fontRequests[0].logFont.faceName, "");
    EXPECT_EQ(backend->fontRequests[1].logFont.faceName, QString(31, u'F'));
    EXPECT_EQ(backend->fontRequests[2].logFont.faceName, QString(30, u'F'));
}

TEST_F(CommonDialogsTest, ShowFontConfirmedReadsFaceSizeAndStyleBack)
{
    dialogs.setFontUnderline(true);
    dialogs.setColor(7);
    backend->fontAnswers.push_back(FontChoice{"Liberation Serif", 105, true, false});
    EXPECT_TRUE(dialogs.ShowFont());
    EXPECT_EQ(dialogs.FontName(), "Liberation Serif");
    EXPECT_EQ(dialogs.FontSize(), 10);
    EXPECT_TRUE(dialogs.FontBold());
    EXPECT_FALSE(dialogs.FontItalic());
    EXPECT_TRUE(dialogs.FontUnderline());
    EXPECT_EQ(dialogs.Color(), 7);

    backend->fontAnswers.push_back(FontChoice{"DejaVu Sans", 119, false, true});
    dialogs.setFontUnderline(false);
    EXPECT_TRUE(dialogs.ShowFont());
    EXPECT_EQ(dialogs.FontSize(), 11);
    EXPECT_FALSE(dialogs.FontBold());
    EXPECT_TRUE(dialogs.FontItalic());
    EXPECT_FALSE(dialogs.FontUnderline());
}

TEST_F(CommonDialogsTest, ShowFontCancelledChangesNothing)
{
    dialogs.setFontName("Arial");
    dialogs.setFontSize(9);
    dialogs.setFontBold(true);
    EXPECT_FALSE(dialogs.ShowFont());
    EXPECT_EQ(dialogs.FontName(), "Arial");
    EXPECT_EQ(dialogs.FontSize(), 9);
    EXPECT_TRUE(dialogs.FontBold());
}

TEST_F(CommonDialogsTest, ShowFontSkipsFailingStepsAndNeverRaises)
{
    CCommonDialogs noInit(backend);
    noInit.setFontSize(12);
    backend->failing = {ScriptedDialogBackend::Call::ScreenDpi, ScriptedDialogBackend::Call::PrinterName};
    backend->fontAnswers.push_back(FontChoice{"Arial", 120, false, false});
    EXPECT_TRUE(noInit.ShowFont());
    ASSERT_EQ(backend->fontRequests.size(), 1u);
    EXPECT_EQ(backend->fontRequests[0].owner.data(), nullptr);
    EXPECT_EQ(backend->fontRequests[0].logFont.height, 0);
    EXPECT_FALSE(backend->fontRequests[0].printerName.has_value());

    backend->failing.insert(ScriptedDialogBackend::Call::Font);
    backend->fontAnswers.push_back(FontChoice{"Other", 200, true, true});
    EXPECT_FALSE(noInit.ShowFont());
    EXPECT_EQ(noInit.FontName(), "Arial");
    EXPECT_EQ(noInit.FontSize(), 12);
}

// ---- ShowPrinter ----------------------------------------------------------

TEST_F(CommonDialogsTest, ShowPrinterReportsTheDialogAndChangesNothing)
{
    dialogs.setFileName("/x.doc");
    dialogs.setColor(5);
    backend->printerAnswers = {true, false};
    EXPECT_TRUE(dialogs.ShowPrinter());
    EXPECT_FALSE(dialogs.ShowPrinter());
    ASSERT_EQ(backend->printerRequests.size(), 2u);
    const PrinterDialogRequest& request = backend->printerRequests[0];
    EXPECT_EQ(request.owner.data(), &owner);
    EXPECT_TRUE(request.noSelection && request.noPageNumbers && request.hidePrintToFile);
    EXPECT_EQ(dialogs.FileName(), "/x.doc");
    EXPECT_EQ(dialogs.Color(), 5);
}

TEST_F(CommonDialogsTest, ShowPrinterWithoutOwnerRaises)
{
    CCommonDialogs noInit(backend);
    expectError(CommonDialogsError::NoOwner, [&] { noInit.ShowPrinter(); });
    EXPECT_EQ(backend->dialogCount(), 0u);
}

// ---- ShowPrinterProperties ------------------------------------------------

TEST_F(CommonDialogsTest, ShowPrinterPropertiesReturnsWhatThePropertySheetReports)
{
    backend->printerPropertiesAnswers = {true, false};
    EXPECT_TRUE(dialogs.ShowPrinterProperties());
    EXPECT_FALSE(dialogs.ShowPrinterProperties());
    ASSERT_EQ(backend->printerPropertiesRequests.size(), 2u);
    EXPECT_EQ(backend->printerPropertiesRequests[0].printerName, "Office Laser");
    EXPECT_EQ(backend->printerPropertiesRequests[0].owner.data(), &owner);
    EXPECT_TRUE(backend->printerPropertiesRequests[0].accessUse);
}

TEST_F(CommonDialogsTest, ShowPrinterPropertiesWithoutPrinterOrOwnerIsFalseNotAnError)
{
    backend->printerName.reset();
    backend->printerPropertiesAnswers = {true};
    EXPECT_FALSE(dialogs.ShowPrinterProperties());

    backend->printerName = QString("Office Laser");
    backend->failing.insert(ScriptedDialogBackend::Call::PrinterName);
    EXPECT_FALSE(dialogs.ShowPrinterProperties());

    backend->failing = {ScriptedDialogBackend::Call::PrinterProperties};
    CCommonDialogs noInit(backend);
    EXPECT_FALSE(noInit.ShowPrinterProperties());
    backend->failing.clear();
    EXPECT_TRUE(noInit.ShowPrinterProperties());
    EXPECT_EQ(backend->printerPropertiesRequests.back().owner.data(), nullptr);
}

// ---- MulDiv ---------------------------------------------------------------

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndFailsAsMinusOne)
{
    EXPECT_EQ(MulDiv(11, 96, 72), 15);
    EXPECT_EQ(MulDiv(-11, 96, 72), -15);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(10, 1, 3), 3);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 4), 0x40000000);
}

} // namespace
