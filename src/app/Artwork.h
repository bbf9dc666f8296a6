#pragma once
// The program's pictures, drawn from the SVG files in icons/.

#include <QIcon>
#include <QString>

namespace plainora {

// The picture icons/<name>.svg as an icon with pixmaps of 16, 32 and 48
// pixels; a null icon when there is no such picture.
QIcon Artwork(const QString& name);

} // namespace plainora
