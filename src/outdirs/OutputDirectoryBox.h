#pragma once
// The output directory box: an editable combo box whose list holds the
// remembered output directories. Typing into its text field deselects the
// list (the selected index becomes -1) and never adds to the list; typed text
// stays typed even when it matches an entry.

#include <QComboBox>

namespace plainora {

class OutputDirectoryBox : public QComboBox
{
    Q_OBJECT
public:
    explicit OutputDirectoryBox(QWidget* parent = nullptr);

    // The list's entries, index 0 first.
    QStringList entries() const;

    // Puts a directory at the top of the list and selects it; a directory
    // added twice is listed twice.
    void addDirectory(const QString& path);
    // Removes the selected entry and selects its neighbour; nothing when no
    // entry is selected.
    void removeSelected();
    // Empties the list; text the user typed stays in the field.
    void removeAll();

private:
    void deselectKeepingText(const QString& text);
};

} // namespace plainora
