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

private:
    void deselectKeepingText(const QString& text);
};

} // namespace plainora
