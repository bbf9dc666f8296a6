// The About box: its layout, its texts, its two links and OK.

#include "app/Dialog1.h"

#include "GTestQtPrinters.h"
#include "app/ProgramLinks.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace plainora;

namespace {

class Dialog1Test : public ::testing::Test
{
protected:
    QStringList opened;
    Dialog1 box{[this](const QString& target) { opened << target; }};

    QLabel* label(const char* name) { return box.findChild<QLabel*>(QString::fromLatin1(name)); }
};

TEST_F(Dialog1Test, HasItsCaptionAndFixedClientArea)
{
    EXPECT_EQ(box.objectName(), "Dialog1");
    EXPECT_EQ(box.windowTitle(), "About us");
    EXPECT_TRUE(box.isModal());
    // 4908 x 4116 twips at 15 twips a pixel.
    EXPECT_EQ(box.size(), QSize(327, 274));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.font().family(), "Arial");
}

TEST_F(Dialog1Test, PlacesEveryControlInTwipsOverFifteen)
{
    struct Place
    {
        const char* name;
        const char* parent;
        QPoint topLeft;
        int height;
    };
    const Place places[] = {
        {"Label1", "Dialog1", {56, 16}, 17}, {"Label4", "Dialog1", {56, 32}, 17},
        {"Label3", "Frame1", {8, 16}, 17},   {"Label2", "Frame1", {120, 16}, 17},
        {"Label7", "Frame1", {8, 32}, 17},   {"Label8", "Frame1", {120, 32}, 17},
        {"Label6", "Frame1", {8, 48}, 17},   {"Label5", "Dialog1", {8, 152}, 73},
    };
    for (const Place& place : places) {
        QLabel* found = label(place.name);
        ASSERT_NE(found, nullptr) << place.name;
        EXPECT_EQ(found->parentWidget()->objectName(), place.parent) << place.name;
        EXPECT_EQ(found->pos(), place.topLeft) << place.name;
        EXPECT_EQ(found->height(), place.height) << place.name;
    }
    auto* frame = box.findChild<QGroupBox*>("Frame1");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), QRect(16, 64, 297, 73));
    EXPECT_TRUE(frame->title().isEmpty());
    auto* ok = box.findChild<QPushButton*>("OKButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(8, 240, 81, 25));
    EXPECT_EQ(ok->text(), "OK");
}

TEST_F(Dialog1Test, ShowsItsFixedTexts)
{
    EXPECT_EQ(label("Label1")->text(), "Plainora");
    EXPECT_EQ(label("Label4")->text(), "Version:2009.9.9");
    EXPECT_EQ(label("Label3")->text(), "Technical Support:");
    EXPECT_EQ(label("Label7")->text(), " Website:");
    EXPECT_EQ(label("Label5")->text(), " \r\n");
    EXPECT_FALSE(label("Label6")->text().isEmpty());
    EXPECT_EQ(label("Label2")->text(), SupportEmail());
    EXPECT_EQ(label("Label8")->text(), HomePageDisplayText(HomePageUrl()));
    EXPECT_FALSE(label("Label8")->text().contains("://"));
}

TEST_F(Dialog1Test, NoTextIsClipped)
{
    for (QLabel* each : box.findChildren<QLabel*>()) {
        const QFontMetrics metrics(each->font());
        for (const QString& line : each->text().split(QRegularExpression("[\r\n]+")))
            EXPECT_LE(metrics.horizontalAdvance(line), each->width()) << each->objectName().toStdString();
        EXPECT_LE(each->geometry().right(), each->parentWidget()->width())
            << each->objectName().toStdString();
    }
}

TEST_F(Dialog1Test, LinksAreHighlightedWithTheirOwnPointer)
{
    const QColor highlight = box.palette().color(QPalette::Highlight);
    for (const char* name : {"Label2", "Label8"}) {
        EXPECT_EQ(label(name)->palette().color(QPalette::WindowText), highlight) << name;
        EXPECT_EQ(label(name)->cursor().shape(), Qt::BitmapCursor) << name;
        EXPECT_FALSE(label(name)->cursor().pixmap().isNull()) << name;
    }
    EXPECT_NE(label("Label3")->palette().color(QPalette::WindowText), highlight);
    EXPECT_EQ(label("Label3")->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Dialog1Test, ClickingALinkOpensItsTarget)
{
    box.show();
    QTest::mouseClick(label("Label2"), Qt::LeftButton);
    QTest::mouseClick(label("Label8"), Qt::LeftButton);
    QTest::mouseClick(label("Label8"), Qt::RightButton);
    QTest::mouseClick(label("Label3"), Qt::LeftButton);
    EXPECT_EQ(opened, (QStringList{"mailto:" + label("Label2")->text(), HomePageUrl()}));
}

TEST_F(Dialog1Test, OkClosesTheModalBoxAndANewOneShowsTheSameTexts)
{
    QWidget mainWindow;
    mainWindow.show();
    bool mainWindowBlocked = false;
    QTimer::singleShot(0, [&] {
        mainWindowBlocked = QApplication::activeModalWidget() == &box;
        QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_TRUE(mainWindowBlocked);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(opened.isEmpty());

    Dialog1 again{nullptr};
    for (QLabel* each : box.findChildren<QLabel*>())
        EXPECT_EQ(again.findChild<QLabel*>(each->objectName())->text(), each->text());
}

TEST(ProgramLinksTest, HomePageIsShownWithoutSchemeOrTrailingSlash)
{
    EXPECT_EQ(HomePageDisplayText("https://plainora.example.org/"), "plainora.example.org");
    EXPECT_EQ(HomePageDisplayText("http://example.org/tools/plainora/"), "example.org/tools/plainora");
    EXPECT_EQ(HomePageDisplayText("example.org"), "example.org");
    EXPECT_EQ(MailLink(), "mailto:" + SupportEmail());
    EXPECT_FALSE(SupportEmail().isEmpty());
}

TEST(HelpFileTest, BesideTheProgramNamesEveryCommandAndNeedsNothingOutside)
{
    QFile help(QStringLiteral(PLAINORA_BUILT_HELP_FILE));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly)) << PLAINORA_BUILT_HELP_FILE;
    const QString html = QString::fromUtf8(help.readAll());
    for (const char* caption : {"Add Folder",
                                "Add Word",
                                "Remove File",
                                "Remove Item",
                                "Remove All Items",
                                "Convert",
                                "Browse",
                                "View",
                                "Remove Current Output Directory",
                                "Remove All Output Directory",
                                "Help",
                                "HomePage",
                                "About",
                                "Settings",
                                "Exit",
                                "Stopping a run",
                                "set.txt",
                                "TAMRIX.txt",
                                "output.txt",
                                "plainora-cli",
                                "--recursive",
                                "--jobs",
                                "--encoding",
                                "--eol",
                                "--headers-footers",
                                "--comments",
                                "--keep-tree",
                                "--stdout",
                                "--version"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(caption))) << caption;
    // Self-contained: no script, and no style sheet, image or font fetched from elsewhere.
    EXPECT_FALSE(html.contains(QRegularExpression(R"((src|href)\s*=\s*"(https?:)?//)")));
    EXPECT_FALSE(html.contains("<script"));
    EXPECT_FALSE(html.contains("@import"));
}

} // namespace
