// Renders the program's own SVG pictures (":/images/...") into pixmaps at the screen's pixel density, and its icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kelvara {

// The picture at resourcePath drawn into a pixmap of logical size size × size (sharp on high-density screens).
QPixmap svgPixmap(const QString& resourcePath, int size, qreal devicePixelRatio = 1.0);

// The program's icon for its windows: the desktop's installed icon of the application id where there is one,
// otherwise the logo built into the program, drawn at the usual icon sizes.
QIcon applicationIcon();

} // namespace kelvara
