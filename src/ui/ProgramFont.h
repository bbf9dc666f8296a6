#pragma once
// The one font of every window of the program: Arial at 8.25 points.

#include <QFont>

namespace plainora {

inline QFont programFont()
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(8.25);
    return arial;
}

} // namespace plainora
