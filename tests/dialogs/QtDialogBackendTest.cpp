// Smoke tests of the real Qt dialogs: each is opened through CCommonDialogs,
// inspected while it is shown, and closed from a timer.

#include "dialogs/QtDialogBackend.h"

#include "GTestQtPrinters.h"
#include "dialogs/CCommonDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace plainora;

namespace {

// Runs act on the next modal dialog once it is shown; act must close it.
void whenModalShown(std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    int attempts = 0;
    QObject::connect(timer, &QTimer::timeout, [timer, act, attempts]() mutable {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++attempts > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog was shown";
        }
    });
    timer->start();
}

// What a file dialog showed while it was open.
struct SeenFileDialog
{
    QString caption;
    QStringList filters;
    QString directory;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool qtOwn = false;
    QWidget* parent = nullptr;
};

// Records the next file dialog, lets prepare act on it, then accepts or rejects it.
void closeNextFileDialog(SeenFileDialog& seen, bool accept, std::function<void(QFileDialog*)> prepare = {})
{
    whenModalShown([&seen, accept, prepare](QDialog* dialog) {
        auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(fileDialog, nullptr);
        seen = {fileDialog->windowTitle(),
                fileDialog->nameFilters(),
                fileDialog->directory().absolutePath(),
                fileDialog->acceptMode(),
                fileDialog->fileMode(),
                fileDialog->testOption(QFileDialog::DontUseNativeDialog),
                fileDialog->parentWidget()};
        if (prepare)
            prepare(fileDialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

class QtDialogBackendTest : public ::testing::Test
{
protected:
    QWidget owner;
    CCommonDialogs dialogs{std::make_shared<QtDialogBackend>()};
    SeenFileDialog seen;
    void SetUp() override { dialogs.Init(&owner); }
};

TEST_F(QtDialogBackendTest, OpenDialogShowsCaptionWordFilterAndInitialFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString document = folder.path() + "/minutes.docx";
    ASSERT_TRUE(QFile(document).open(QIODevice::WriteOnly));

    dialogs.setTitle("Select Word File");
    dialogs.setFileName(document);
    closeNextFileDialog(seen, true);
    EXPECT_TRUE(dialogs.ShowOpen());
    EXPECT_EQ(seen.caption, "Select Word File");
    EXPECT_EQ(seen.filters, QStringList{"Word File(*.doc;*.docx) (*.doc *.docx)"});
    EXPECT_EQ(seen.directory, folder.path());
    EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_TRUE(seen.qtOwn);
    EXPECT_EQ(seen.parent, &owner);
    EXPECT_EQ(dialogs.FileName(), document);
    EXPECT_EQ(dialogs.FileTitle(), "minutes.docx");
    EXPECT_EQ(dialogs.Path(), folder.path());
}

TEST_F(QtDialogBackendTest, SaveDialogStartsInPathWithItsFilters)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    dialogs.setPath(folder.path());
    dialogs.setFilter("Text|*.txt|All files|*.*");
    closeNextFileDialog(seen, false);
    EXPECT_FALSE(dialogs.ShowSave());
    EXPECT_EQ(seen.caption, "Save");
    EXPECT_EQ(seen.filters, (QStringList{"Text (*.txt)", "All files (*.*)"}));
    EXPECT_EQ(seen.directory, folder.path());
    EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);
    EXPECT_EQ(dialogs.Path(), folder.path() + "/");
}

TEST_F(QtDialogBackendTest, FolderDialogShowsThePromptAndGivesTheFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    dialogs.setTitle("Add all word files in folder");
    dialogs.setFileName("/left/over.doc");
    // With no name typed, the directory dialog gives the folder it shows.
    closeNextFileDialog(seen, true, [&](QFileDialog* dialog) { dialog->setDirectory(folder.path()); });
    EXPECT_TRUE(dialogs.ShowFolder());
    EXPECT_EQ(seen.caption, "Add all word files in folder");
    EXPECT_EQ(seen.fileMode, QFileDialog::Directory);
    EXPECT_EQ(dialogs.Path(), folder.path());
    EXPECT_EQ(dialogs.FileName(), "");
}

TEST_F(QtDialogBackendTest, ColourDialogOpensOnTheCurrentColour)
{
    dialogs.setColor(0x00FF8040); // blue FF, green 80, red 40
    QColor shown;
    whenModalShown([&](QDialog* dialog) {
        auto* colorDialog = qobject_cast<QColorDialog*>(dialog);
        ASSERT_NE(colorDialog, nullptr);
        shown = colorDialog->currentColor();
        colorDialog->setCurrentColor(QColor(1, 2, 3));
        colorDialog->accept();
    });
    EXPECT_TRUE(dialogs.ShowColor(false));
    EXPECT_EQ(shown, QColor(0x40, 0x80, 0xFF));
    EXPECT_EQ(dialogs.Color(), 0x00030201);
    EXPECT_EQ(QColorDialog::customColor(0), QColor(Qt::black));
}

TEST_F(QtDialogBackendTest, FontDialogRoundTripsFaceSizeAndStyle)
{
    dialogs.setFontName("Liberation Sans");
    dialogs.setFontSize(14);
    dialogs.setFontBold(true);
    QFont shown;
    whenModalShown([&](QDialog* dialog) {
        auto* fontDialog = qobject_cast<QFontDialog*>(dialog);
        ASSERT_NE(fontDialog, nullptr);
        shown = fontDialog->currentFont();
        fontDialog->accept();
    });
    EXPECT_TRUE(dialogs.ShowFont());
    EXPECT_EQ(shown.family(), "Liberation Sans");
    EXPECT_NEAR(shown.pointSizeF(), 14.0, 0.5);
    EXPECT_TRUE(shown.bold());
    EXPECT_EQ(dialogs.FontName(), "Liberation Sans");
    EXPECT_EQ(dialogs.FontSize(), 14);
    EXPECT_TRUE(dialogs.FontBold());
}

} // namespace
