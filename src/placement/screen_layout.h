// The monitors, desktop size and dots per inch that the window placement depends on.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace kelvara {

struct ScreenLayout {
    // Width and height of the whole desktop, all monitors together.
    QSize desktop;
    // Each monitor's rectangle in desktop coordinates.
    QList<QRect> monitors;
    // The screen's dots per inch (96 at the standard setting).
    int dpi = 96;

    // The layout Qt reports now: the primary screen's virtual desktop and logical dots per inch.
    static ScreenLayout fromQt();

    // Whether the point lies on one of the monitors.
    bool isOnMonitor(QPoint point) const;
};

} // namespace kelvara
