// Draws SVG resources into pixmaps.
#include "ui/pictures.h"

#include <QGuiApplication>
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

QIcon applicationIcon() {
    const QString installed = QGuiApplication::desktopFileName();
    if (!installed.isEmpty() && QIcon::hasThemeIcon(installed))
        return QIcon::fromTheme(installed);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(svgPixmap(QStringLiteral(":/images/logo.svg"), size));
    return icon;
}

} // namespace kelvara
