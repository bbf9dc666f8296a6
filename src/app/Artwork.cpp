#include "app/Artwork.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Outside any namespace, as Qt's resource initialisation requires; the
// resources live in a static library, so they must be pulled in by name.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace plainora {

QIcon Artwork(const QString& name)
{
    static const bool initialised = (initArtworkResources(), true);
    Q_UNUSED(initialised);
    // Rendered here rather than through the SVG icon plugin, so the pictures
    // do not depend on a plugin being installed.
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (const int size : {16, 32, 48, 96}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace plainora
