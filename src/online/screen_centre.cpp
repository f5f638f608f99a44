// Centres a top-level window's frame on its screen.
#include "online/screen_centre.h"

#include "ui/window_centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kelvara {

void centreOnScreen(QWidget* window) {
    centreFrameIn(window, [window] {
        QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->availableGeometry() : QRect();
    });
}

} // namespace kelvara
