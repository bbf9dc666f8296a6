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
