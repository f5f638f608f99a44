// Draws SVG resources into pixmaps.
#include "ui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace kelvara {

QPixmap svgPixmap(const QString& resourcePath, int size, qreal devicePixelRatio) {
    const int pixels = static_cast<int>(std::ceil(size * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

} // namespace kelvara
