// Renders the program's own SVG pictures (":/images/...") into pixmaps at the screen's pixel density.
#pragma once

#include <QPixmap>
#include <QString>

namespace kelvara {

// The picture at resourcePath drawn into a pixmap of logical size size × size (sharp on high-density screens).
QPixmap svgPixmap(const QString& resourcePath, int size, qreal devicePixelRatio = 1.0);

} // namespace kelvara
