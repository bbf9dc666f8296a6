#include "outdirs/OutputDirectoryBox.h"

#include <QLineEdit>

namespace plainora {

OutputDirectoryBox::OutputDirectoryBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Enter must not select a list entry that happens to match the text, and
    // typing must not be completed from the list.
    setDuplicatesEnabled(true);
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &OutputDirectoryBox::deselectKeepingText);
    // Nor may the end of typing: the box would select the entry whose text
    // matches when the field loses the focus (Tab, a click elsewhere, a
    // menu). Typed text stays typed text.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
}

QStringList OutputDirectoryBox::entries() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(itemText(i));
    return list;
}

void OutputDirectoryBox::addDirectory(const QString& path)
{
    insertItem(0, path);
    setCurrentIndex(0);
}

void OutputDirectoryBox::removeSelected()
{
    const int total = count();
    const int selected = currentIndex();
    if (total == 0 || selected == -1)
        return;
    removeItem(selected);
    const int remaining = total - 1;
    if (selected < remaining) {
        setCurrentIndex(selected); // the entry that moved up
    } else if (remaining > 0) {
        setCurrentIndex(selected - 1); // the new last entry
    } else {
        // Nothing left to select: the removed directory is not left in the
        // field, where Convert and View would still use it.
        setCurrentIndex(-1);
        clearEditText();
    }
}

void OutputDirectoryBox::removeAll()
{
    const bool hadSelection = currentIndex() != -1;
    const int total = count();
    for (int i = 0; i < total; ++i)
        removeItem(0);
    // As above: a removed entry does not stay in the field. Typed text does.
    if (hadSelection)
        clearEditText();
}

void OutputDirectoryBox::deselectKeepingText(const QString& text)
{
    if (currentIndex() == -1)
        return;
    const int cursor = lineEdit()->cursorPosition();
    setCurrentIndex(-1); // clears the text field of an editable box
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

} // namespace plainora
