// The settings dialog on its own: its layout, how it reads "set.txt" when it
// opens, and what OK, Cancel, the close box and the keyboard write.

#include "state/Setting.h"

#include "RecordingServices.h"
#include "TempFolder.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace plainora;
using plainora::test::RecordingServices;
using plainora::test::TempFolder;

namespace {

class SettingTest : public ::testing::Test
{
protected:
    std::unique_ptr<Setting> open()
    {
        auto dialog = std::make_unique<Setting>(m_state.path(), m_services);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    static QPushButton* button(const Setting& dialog, const char* name)
    {
        auto* found = dialog.findChild<QPushButton*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(QAbstractButton* target) { QTest::mouseClick(target, Qt::LeftButton); }

    TempFolder m_state;
    RecordingServices m_services;
};

TEST_F(SettingTest, HasItsCaptionFixedFrameAndPlaceOnTheScreen)
{
    const auto dialog = open();
    EXPECT_EQ(dialog->objectName(), "Setting");
    EXPECT_EQ(dialog->windowTitle(), "Setting");
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->font().family(), "Arial");
    // 3732 x 1560 twips, the client area at 2760, 3756 twips on the screen.
    EXPECT_EQ(dialog->size(), QSize(249, 104));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->geometry().topLeft(),
              QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(184, 250));
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

TEST_F(SettingTest, ControlsHaveTheirCaptionsPlacesAndTabOrder)
{
    const auto dialog = open();
    QPushButton* ok = button(*dialog, "OKButton");
    QPushButton* cancel = button(*dialog, "CancelButton");
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(24, 72, 81, 25));
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(cancel->geometry(), QRect(136, 72, 81, 25));
    // Check1's caption ends with a line break.
    EXPECT_EQ(dialog->Check1()->text(), "Automatically save the current file\n");
    EXPECT_EQ(dialog->Check2()->text(), "Automatically save the output directory");
    // Designed places; a caption that needs more room only widens its box,
    // never past the dialog.
    const struct
    {
        QCheckBox* box;
        QRect designed;
    } boxes[] = {{dialog->Check1(), QRect(24, 16, 193, 25)}, {dialog->Check2(), QRect(24, 40, 209, 17)}};
    for (const auto& [box, designed] : boxes) {
        const std::string name = box->objectName().toStdString();
        EXPECT_EQ(box->pos(), designed.topLeft()) << name;
        EXPECT_EQ(box->height(), designed.height()) << name;
        EXPECT_EQ(box->width(), qMax(designed.width(), box->sizeHint().width())) << name;
        EXPECT_LE(box->geometry().right(), dialog->width()) << name;
    }

    EXPECT_EQ(QApplication::focusWidget(), ok);
    EXPECT_EQ(ok->nextInFocusChain(), cancel);
    EXPECT_EQ(cancel->nextInFocusChain(), dialog->Check1());
    EXPECT_EQ(dialog->Check1()->nextInFocusChain(), dialog->Check2());
    EXPECT_FALSE(ok->isDefault() || ok->autoDefault());
    EXPECT_FALSE(cancel->isDefault() || cancel->autoDefault());
}

TEST_F(SettingTest, OpensWithTheBoxesTheFileSays)
{
    struct Case
    {
        const char* file;
        bool check1;
        bool check2;
    };
    const Case cases[] = {
        {"1\r\n1\r\n", true, true},     {"1\r\n0\r\n", true, false},
        {"0\r\n1", false, true},        {"1", true, false},
        {"1 \r\n 1\r\n", false, false}, {"yes\r\n\r\n", false, false},
        {"\r\n1\r\n", false, true},     {"", false, false},
    };
    for (const Case& each : cases) {
        m_state.write("set.txt", each.file);
        const auto dialog = open();
        EXPECT_EQ(dialog->Check1()->isChecked(), each.check1) << each.file;
        EXPECT_EQ(dialog->Check2()->isChecked(), each.check2) << each.file;
    }
}

TEST_F(SettingTest, AMissingFileShowsBothTickedAndOkCreatesIt)
{
    const auto dialog = open();
    EXPECT_TRUE(dialog->Check1()->isChecked());
    EXPECT_TRUE(dialog->Check2()->isChecked());
    EXPECT_FALSE(QFileInfo::exists(m_state.path("set.txt"))); // opening writes nothing
    click(button(*dialog, "OKButton"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("1\r\n1\r\n"));
}

TEST_F(SettingTest, OkWritesBothLinesAsTheBoxesShowThem)
{
    m_state.write("set.txt", "1 \r\n");
    const auto dialog = open();
    click(dialog->Check2()); // unticked by the missing line: now ticked
    click(button(*dialog, "OKButton"));
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("0\r\n1\r\n"));

    m_state.write("set.txt", "1\r\n0\r\n");
    const auto unchanged = open();
    click(button(*unchanged, "OKButton"));
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("1\r\n0\r\n"));
    EXPECT_TRUE(m_services.messages.empty());
}

TEST_F(SettingTest, CancelTheCloseBoxAndTheKeyboardWriteNothing)
{
    m_state.write("set.txt", "1\r\n0\r\n");
    {
        const auto dialog = open();
        click(dialog->Check2());
        click(button(*dialog, "CancelButton"));
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    {
        const auto dialog = open();
        EXPECT_FALSE(dialog->Check2()->isChecked()); // as before the cancelled change
        click(dialog->Check1());
        dialog->close();
        EXPECT_FALSE(dialog->isVisible());
    }
    {
        // Neither button is the default or the cancel button.
        const auto dialog = open();
        click(dialog->Check2());
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(dialog.get(), key);
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_EQ(m_state.read("set.txt"), QByteArray("1\r\n0\r\n"));
}

TEST_F(SettingTest, AFailedWriteIsToldAndTheDialogStaysOpen)
{
    m_state.folder("set.txt"); // a folder in the way of the file
    const auto dialog = open();
    click(button(*dialog, "OKButton"));
    ASSERT_EQ(m_services.messages.size(), 1u);
    const test::RecordedMessage& message = m_services.messages[0];
    EXPECT_EQ(message.title, "Plainora");
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_TRUE(message.text.contains(m_state.path("set.txt"))) << message.text.toStdString();
    EXPECT_TRUE(dialog->isVisible());
    click(button(*dialog, "CancelButton"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(m_services.messages.size(), 1u);
}

} // namespace
