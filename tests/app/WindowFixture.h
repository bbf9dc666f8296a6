#pragma once
// A main window on a temporary state folder with recording services and
// scripted dialogs, shown so that tests can click and type on its real widgets.

#include "RecordingServices.h"
#include "ScriptedDialogBackend.h"
#include "TempFolder.h"
#include "app/form1.h"
#include "doclist/EntryListView.h"
#include "doclist/ImageList.h"
#include "doclist/InputDocumentList.h"
#include "outdirs/OutputDirectoryBox.h"

#include <QApplication>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace plainora::test {

class WindowFixture : public ::testing::Test
{
protected:
    // Writes a state file into the state folder before the window opens.
    void writeState(const QString& name, const QByteArray& bytes) { m_state.write(name, bytes); }

    // Opens the window (of type Window, form1 by default) on the state folder.
    template <typename Window = form1> Window& open()
    {
        auto window = std::make_unique<Window>(m_state.path(), m_services, m_dialogs);
        Window& ref = *window;
        m_window = std::move(window);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        return ref;
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* menuItem(const char* name) const { return control<QAction>(name); }
    void click(const char* button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    // Opens a menu of the menu bar by mouse and clicks one of its items.
    void chooseMenuItem(const char* menuName, const char* item) const
    {
        auto* menu = control<QMenu>(menuName);
        QMenuBar* bar = m_window->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menuItem(item)).center());
    }

    // Clicks the entry at position (from 1) of ListView1.
    void clickEntry(int position) const
    {
        QTreeWidget* list = m_window->ListView1();
        const QRect rect = list->visualItemRect(list->topLevelItem(position - 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Clicks the tick box of a document row (from 1).
    void clickTick(int row) const
    {
        QTreeWidget* list = m_window->ListView2();
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = list->visualItemRect(list->topLevelItem(row - 1));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    }
    QStringList entryTexts() const { return m_window->inputLists().EntryTexts(); }
    int entryIcon(int position) const
    {
        return InputDocumentList::EntryIconOf(*m_window->ListView1()->topLevelItem(position - 1));
    }
    int selectedEntry() const { return m_window->inputLists().SelectedPosition(); }
    QStringList documentRows() const
    {
        QStringList rows;
        for (int i = 0; i < m_window->ListView2()->topLevelItemCount(); ++i)
            rows.append(m_window->ListView2()->topLevelItem(i)->text(0));
        return rows;
    }
    std::vector<Qt::CheckState> ticks() const
    {
        std::vector<Qt::CheckState> states;
        for (int i = 0; i < m_window->ListView2()->topLevelItemCount(); ++i)
            states.push_back(m_window->ListView2()->topLevelItem(i)->checkState(0));
        return states;
    }

    TempFolder m_state; // the state directory
    TempFolder m_files; // documents and folders the lists name
    RecordingServices m_services;
    // Answers the file and folder dialogs; an empty queue answers Cancel.
    std::shared_ptr<ScriptedDialogBackend> m_dialogs = std::make_shared<ScriptedDialogBackend>();
    std::unique_ptr<form1> m_window;
};

} // namespace plainora::test
