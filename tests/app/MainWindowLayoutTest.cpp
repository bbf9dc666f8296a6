// The main window as the user sees it: size, border, controls, captions,
// tab order, menus, typeface and pictures.

#include "WindowFixture.h"
#include "app/Artwork.h"
#include "app/PictureButton.h"
#include "doclist/ImageList.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

using namespace plainora;
using plainora::test::WindowFixture;

namespace {

QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

struct ControlRow
{
    const char* name;
    QString caption; // for buttons and the label
    QRect geometry;
    int pictureSize; // 0: not a picture button
};

const std::vector<ControlRow>& controlTable()
{
    static const std::vector<ControlRow> rows{
        {"Command5", "Add Folder", twips(120, 0, 1210, 975), 48},
        {"Command1", "Add Word", twips(1440, 0, 1210, 975), 48},
        {"Command2", "Remove File", twips(2760, 0, 1330, 975), 32},
        {"Command6", "Convert", twips(5640, 0, 1090, 975), 48},
        {"Command8", "Help", twips(6840, 0, 970, 975), 32},
        {"Command7", "HomePage", twips(7920, 0, 1090, 975), 48},
        {"Command9", "Exit", twips(9120, 0, 970, 975), 32},
        {"ListView1", {}, twips(120, 1080, 5175, 4935), 0},
        {"ListView2", {}, twips(5880, 1080, 4215, 4935), 0},
        {"Command3", "", twips(5400, 2160, 370, 610), 32},
        {"Command4", "", twips(5400, 3000, 370, 610), 32},
        {"ProgressBar1", {}, twips(120, 6480, 10095, 255), 0},
        {"Command11", "View", twips(9120, 6120, 855, 325), 0},
        {"Command10", "Browse", twips(8040, 6120, 975, 325), 0},
        {"Combo2", {}, twips(2160, 6120, 5775, 330), 0},
        {"Label1", "Select  output directory:", twips(120, 6120, 1935, 255), 0},
    };
    return rows;
}

// The named control that holds the keyboard focus (an inner widget counts
// for the control it belongs to).
QString focusedControl()
{
    for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
            return widget->objectName();
    }
    return {};
}

} // namespace

class MainWindowLayout : public WindowFixture
{
};

TEST_F(MainWindowLayout, CaptionFixedClientAreaAndOnlyACloseBox)
{
    form1& window = open();
    EXPECT_EQ(window.windowTitle(), "Plainora");
    EXPECT_EQ(window.centralWidget()->size(), QSize(686, 452)); // 10284 x 6780 twips
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.size(), window.minimumSize());
    EXPECT_EQ(window.centralWidget()->geometry().top(), window.menuBar()->geometry().bottom() + 1);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(MainWindowLayout, EveryControlAtItsPlaceWithItsCaption)
{
    open();
    for (const ControlRow& row : controlTable()) {
        QWidget* widget = control(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), m_window->centralWidget()) << row.name;
        EXPECT_EQ(widget->geometry(), row.geometry) << row.name;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), row.caption) << row.name;
            EXPECT_FALSE(button->text().contains('&')) << row.name;
            EXPECT_EQ(qobject_cast<PictureButton*>(button) != nullptr, row.pictureSize > 0) << row.name;
            if (row.pictureSize > 0) {
                EXPECT_EQ(button->iconSize(), QSize(row.pictureSize, row.pictureSize)) << row.name;
                EXPECT_FALSE(button->icon().isNull()) << row.name;
            }
        }
    }
    EXPECT_EQ(control<QLabel>("Label1")->text(), "Select  output directory:");
}

TEST_F(MainWindowLayout, TabOrderFollowsTheTable)
{
    open();
    control("Command5")->setFocus();
    QStringList visited{focusedControl()};
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(focusedControl());
    }
    // ProgressBar1 and Label1 take no focus; Tab wraps round to the start.
    EXPECT_EQ(visited, (QStringList{"Command5", "Command1", "Command2", "Command6", "Command8", "Command7",
                                    "Command9", "ListView1", "ListView2", "Command3", "Command4", "Command11",
                                    "Command10", "Combo2", "Command5"}));
}

TEST_F(MainWindowLayout, ListsHaveOneColumnEachWithTheirHeaders)
{
    form1& window = open();
    QTreeWidget* entries = window.ListView1();
    QTreeWidget* documents = window.ListView2();
    ASSERT_EQ(entries->columnCount(), 1);
    ASSERT_EQ(documents->columnCount(), 1);
    EXPECT_EQ(entries->headerItem()->text(0), "Please Select the Word File or Folder to Convert");
    EXPECT_EQ(documents->headerItem()->text(0), "Word Document");
    EXPECT_EQ(entries->columnWidth(0), 320);   // 4800 twips
    EXPECT_EQ(documents->columnWidth(0), 247); // 3700 twips
    EXPECT_FALSE(entries->header()->isHidden());
    EXPECT_FALSE(entries->rootIsDecorated());
    EXPECT_FALSE(entries->isSortingEnabled());
    EXPECT_EQ(entries->iconSize(), QSize(16, 16));
    EXPECT_EQ(documents->topLevelItemCount(), 0);
}

TEST_F(MainWindowLayout, ImageListHoldsThreeSmallImages)
{
    form1& window = open();
    const ImageList& images = window.ImageList1();
    EXPECT_EQ(images.objectName(), "ImageList1");
    ASSERT_EQ(images.count(), 3);
    for (int i = 1; i <= 3; ++i) {
        const QImage image = images.image(i).pixmap(16, 16).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16)) << i;
        EXPECT_NE(image.pixelColor(8, 8).alpha() + image.pixelColor(4, 12).alpha(), 0)
            << i; // drawn, not blank
    }
    EXPECT_NE(images.image(1).pixmap(16).toImage(), images.image(2).pixmap(16).toImage());
    EXPECT_NE(images.image(2).pixmap(16).toImage(), images.image(3).pixmap(16).toImage());
}

TEST_F(MainWindowLayout, EveryPictureIsDrawn)
{
    for (const char* name :
         {"notepad", "document", "folder", "remove", "up", "down", "browser", "help", "exit", "missing"}) {
        const QImage image = Artwork(QLatin1String(name)).pixmap(32, 32).toImage();
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += image.pixelColor(x, y).alpha() > 128;
        EXPECT_GT(opaque, 40) << name;
    }
    EXPECT_TRUE(Artwork(QStringLiteral("no-such-picture")).isNull());
}

TEST_F(MainWindowLayout, BottomRowProgressBarAndOutputBox)
{
    form1& window = open();
    EXPECT_EQ(window.ProgressBar1()->minimum(), 0);
    EXPECT_EQ(window.ProgressBar1()->maximum(), 100);
    EXPECT_EQ(window.ProgressBar1()->value(), 0);
    EXPECT_TRUE(window.Combo2()->isEditable());
    EXPECT_EQ(window.Combo2()->count(), 0);
    EXPECT_EQ(window.Combo2()->currentIndex(), -1);
    EXPECT_EQ(window.Combo2()->currentText(), "");
}

TEST_F(MainWindowLayout, MenusInOrderWithTheirNamesAndCaptions)
{
    form1& window = open();
    struct Expected
    {
        QString name, caption;
        std::vector<std::pair<QString, QString>> items;
    };
    const std::vector<Expected> expected{
        {"EE", "File", {{"AddFolder", "Add Folder"}, {"AddTamrix", "Add Word"}}},
        {"FF",
         "Edit",
         {{"RemoveItem", "Remove Item"},
          {"RemoveAll", "Remove All Items"},
          {"Removeoutput", "Remove Current Output Directory"},
          {"RemoveAllOutput", "Remove All Output Directory"}}},
        {"Actions", "Actions", {{"Separate", "Convert"}}},
        {"Settings", "Settings", {}},
        {"Help", "Help", {{"Help1", "Help"}, {"HomePage", "HomePage"}, {"About", "About"}}},
    };
    const QList<QAction*> top = window.menuBar()->actions();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QAction* action = top[static_cast<qsizetype>(i)];
        EXPECT_EQ(action->objectName(), expected[i].name);
        EXPECT_EQ(action->text(), expected[i].caption);
        QMenu* menu = action->menu();
        if (expected[i].items.empty()) {
            EXPECT_EQ(menu, nullptr) << "Settings acts when chosen";
            continue;
        }
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), expected[i].name);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[i].items.size()));
        for (qsizetype j = 0; j < items.size(); ++j) {
            const auto& [name, caption] = expected[i].items[static_cast<std::size_t>(j)];
            EXPECT_EQ(items[j]->objectName(), name);
            EXPECT_EQ(items[j]->text(), caption);
            EXPECT_TRUE(items[j]->shortcut().isEmpty());
        }
    }
}

TEST_F(MainWindowLayout, ArialThroughout)
{
    form1& window = open();
    for (QWidget* widget : window.findChildren<QWidget*>())
        EXPECT_EQ(widget->font().family(), "Arial")
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    for (QMenu* menu : window.findChildren<QMenu*>())
        EXPECT_EQ(menu->font().family(), "Arial") << menu->objectName().toStdString();
}
