// Centring by the frame: a window is framed by the window system only after it is first shown, so the frame is
// guessed before then and the window placed again once the real frame is known.
#include "ui/window_centring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace kelvara {

namespace {
const char* const recentringName = "kelvaraRecentring";

QMargins frameMarginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// The window's own frame once it is known, else that of another framed window on screen (the same window system
// draws both), else none.
QMargins expectedMargins(const QWidget* window) {
    if (const QMargins own = frameMarginsOf(window); !own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible())
            if (const QMargins margins = frameMarginsOf(other); !margins.isNull())
                return margins;
    return {};
}

// Positions the client area through the native window, so that the frame around it (as the window system
// reports it, else as expected) comes to lie in the middle of the area. The widget's own idea of its frame is
// not used: it can be stale for a window framed for the first time.
void place(QWidget* window, const QRect& area, const QMargins& expected) {
    QWindow* handle = window->windowHandle();
    if (!area.isValid() || handle == nullptr)
        return;
    const QMargins own = handle->frameMargins();
    const QMargins margins = own.isNull() ? expected : own;
    const QSize frame = window->size().grownBy(margins);
    const QPoint frameTopLeft(area.x() + (area.width() - frame.width()) / 2,
                              area.y() + (area.height() - frame.height()) / 2);
    window->setAttribute(Qt::WA_Moved); // a dialog does not place itself over its parent then
    handle->setPosition(frameTopLeft + QPoint(margins.left(), margins.top()));
}

// Centres the window once more at its first painting after a show, when the window system has framed it; then
// removes itself. A hide before that removes it too.
class RecentreWhenFramed final : public QObject {
public:
    RecentreWhenFramed(QWidget* window, std::function<QRect()> area)
        : QObject(window), m_window(window), m_area(std::move(area)) {
        setObjectName(QLatin1String(recentringName));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Paint) {
            place(m_window, m_area(), expectedMargins(m_window));
            deleteLater();
        } else if (watched == m_window && event->type() == QEvent::Hide) {
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    std::function<QRect()> m_area;
};
} // namespace

void waitUntilOnScreen(QWidget* window, int timeoutMs) {
    const QWindow* handle = window != nullptr ? window->windowHandle() : nullptr;
    if (handle == nullptr || !window->isVisible() || handle->isExposed())
        return;
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (handle->isExposed() || waited.elapsed() >= timeoutMs)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
}

QRect frameOnScreen(const QWidget* window) {
    return window->geometry().marginsAdded(frameMarginsOf(window));
}

void centreFrameIn(QWidget* window, std::function<QRect()> area) {
    // Where the window system tells the frame as soon as the window exists (Windows), create it to know it.
    (void)window->winId();
    delete window->findChild<QObject*>(QLatin1String(recentringName), Qt::FindDirectChildrenOnly);
    place(window, area(), expectedMargins(window));
    new RecentreWhenFramed(window, std::move(area));
}

} // namespace kelvara
