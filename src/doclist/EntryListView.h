#pragma once
// The entry list's view: a one-column report view that tells apart the
// user's own selections (a click, also on the row already selected, or a move
// of the selection by keyboard) from changes the program makes.

#include <QTreeWidget>

namespace plainora {

class EntryListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit EntryListView(QWidget* parent = nullptr);

    // A report view: one flat, unsorted list of rows, one selected at most,
    // no text edited in place. The document list is set up the same way.
    static void SetUpReportView(QTreeWidget& view);

signals:
    // The user selected an entry, by mouse or keyboard.
    void ItemClick();

protected:
    // Covers the arrow keys, Home, End, Page Up/Down and type-ahead search.
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace plainora
