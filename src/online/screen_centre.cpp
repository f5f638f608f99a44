// Centres a top-level window on its screen.
#include "online/screen_centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kelvara {

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace kelvara
