// Reads the monitor layout from Qt.
#include "placement/screen_layout.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace kelvara {

ScreenLayout ScreenLayout::fromQt() {
    ScreenLayout layout;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return layout;
    layout.desktop = primary->virtualGeometry().size();
    for (const QScreen* screen : QGuiApplication::screens())
        layout.monitors.append(screen->geometry());
    layout.dpi = qRound(primary->logicalDotsPerInch());
    return layout;
}

bool ScreenLayout::isOnMonitor(QPoint point) const {
    return std::any_of(monitors.cbegin(), monitors.cend(), [point](const QRect& r) { return r.contains(point); });
}

} // namespace kelvara
