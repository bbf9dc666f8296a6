#pragma once
// The windows are laid out in twips (1/1440 inch): 15 twips make one pixel at
// 96 dots per inch.

#include <QRect>

namespace plainora {

inline int px(int twips)
{
    return qRound(twips / 15.0);
}

inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace plainora
