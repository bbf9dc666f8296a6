#include "app/PictureButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace plainora {

PictureButton::PictureButton(const QIcon& picture, int pictureSize, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setIcon(picture);
    setIconSize(QSize(pictureSize, pictureSize));
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The bevel only; picture and caption are placed below.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect inside = rect().adjusted(2, 2, -2, -2);
    const int textHeight = text().isEmpty() ? 0 : fontMetrics().height();
    QRect textRect(inside.left(), inside.bottom() - textHeight, inside.width(), textHeight);
    const int shift = isDown() ? 1 : 0; // the pressed look
    textRect.translate(shift, shift);

    const QSize picture = iconSize();
    const int spaceAbove = inside.height() - textHeight;
    const int top = inside.top() + std::max(0, (spaceAbove - picture.height()) / 2);
    const QRect pictureRect(inside.left() + (inside.width() - picture.width()) / 2 + shift, top + shift,
                            picture.width(), picture.height());
    painter.setClipRect(inside);
    icon().paint(&painter, pictureRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    if (textHeight > 0)
        painter.drawItemText(textRect, Qt::AlignHCenter | Qt::AlignBottom, palette(), isEnabled(), text(),
                             QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.setClipping(false);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace plainora
