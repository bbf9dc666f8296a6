#pragma once
// The entry list's view: a one-column report view that tells a click on the
// entry already selected apart from a click that selects another one (the
// document list follows the selection by itself; a click on the selected
// entry asks for its documents afresh).

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
    // The user clicked the entry that was already selected.
    void ItemClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_pressChangedSelection = false;
};

} // namespace plainora
