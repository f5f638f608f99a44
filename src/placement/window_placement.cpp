// Restores and saves the main window's placement through the settings content.
#include "placement/window_placement.h"

#include "settings/ini_values.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <utility>

namespace kelvara {

namespace {

// Show-command values of the stored placement, as the platform numbers them. Saving writes only the first three;
// reading also takes the platform's other minimising commands.
constexpr int showCommandNormal = 1;
constexpr int showCommandMinimized = 2;
constexpr int showCommandMaximized = 3;
constexpr int showCommandMinimize = 6;
constexpr int showCommandMinimizedNoActivate = 7;

enum class ShowState { normal, minimized, maximized };

// Every value that is not a minimising or maximising command (1, 5 and 9 among them) shows the window normally.
ShowState showStateFor(int showCommand) {
    switch (showCommand) {
    case showCommandMinimized:
    case showCommandMinimize:
    case showCommandMinimizedNoActivate:
        return ShowState::minimized;
    case showCommandMaximized:
        return ShowState::maximized;
    default:
        return ShowState::normal;
    }
}

std::string withDesktopSuffix(const std::string& key, QSize desktop) {
    return key + '(' + std::to_string(desktop.width()) + 'x' + std::to_string(desktop.height()) + ')';
}

// start + length without overflowing int (a stored start may be anything).
int endOf(int start, int length) {
    return static_cast<int>(std::min<qint64>(qint64{start} + length, INT_MAX));
}

// The frame the window system draws around the client area, asked anew: a value read before the window
// manager had framed the window must not be used once it has.
QMargins frameMargins(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// The window's outer rectangle in the normal state, also while it is minimised or maximised. It is never smaller
// than the window can be, so a fixed-size window always stores its full size.
QRect normalFrameRect(const QWidget& window) {
    QRect normal = window.normalGeometry();
    if (!normal.isValid())
        normal = window.geometry();
    normal.setSize(normal.size().expandedTo(window.minimumSize()));
    return normal.marginsAdded(frameMargins(window));
}

} // namespace

WindowPlacement::WindowPlacement(IniFile& store, QString section)
    : m_store(store), m_section(section.toStdString()), m_layoutSource(&ScreenLayout::fromQt) {}

void WindowPlacement::setScreenLayoutSource(std::function<ScreenLayout()> source) {
    m_layoutSource = std::move(source);
}

std::optional<std::string> WindowPlacement::readForDesktop(const std::string& key, QSize desktop) const {
    if (auto sized = m_store.readString(m_section, withDesktopSuffix(key, desktop)))
        return sized;
    return m_store.readString(m_section, key);
}

void WindowPlacement::restore(QWidget& window) {
    if (m_restoreStarted)
        return;
    m_restoreStarted = true;
    applyStored(window);
    m_restoreCompleted = true;
}

void WindowPlacement::applyStored(QWidget& window) {
    if (m_store.readInteger(m_section, "FormVersion", 0) < 0)
        return;

    // "Flags" holds the platform's placement flags; Qt windows have none, so it is not read.
    const ScreenLayout layout = m_layoutSource();
    const QRect current = window.frameGeometry();
    bool found = false;

    // Qt has no minimised or maximised positions to set; the value still marks a stored placement.
    if (const auto minMax = readForDesktop("MinMaxPos", layout.desktop); minMax && !minMax->empty())
        found = true;

    int left = current.left();
    int top = current.top();
    int right = endOf(left, current.width());
    int bottom = endOf(top, current.height());
    if (const auto norm = readForDesktop("NormPos", layout.desktop); norm && !norm->empty()) {
        found = true;
        const std::vector<std::string> words = splitWords(*norm);
        left = integerWord(words, 0, current.left());
        top = integerWord(words, 1, current.top());
        // A missing right or bottom keeps the window's current size at the stored position.
        right = integerWord(words, 2, endOf(left, current.width()));
        bottom = integerWord(words, 3, endOf(top, current.height()));
    }

    if (found)
        found = m_store.readInteger(m_section, "PixelsPerInch", layout.dpi) == layout.dpi;

    // Only a rectangle whose corners both lie on monitors is applied, so the window never opens out of reach.
    if (found && left < right && top < bottom && layout.isOnMonitor(QPoint(left, top)) &&
        layout.isOnMonitor(QPoint(right - 1, bottom - 1))) {
        const QSize frameExtra = current.size() - window.geometry().size();
        window.move(left, top);
        window.resize(QSize(right - left, bottom - top) - frameExtra);
    }

    const Qt::WindowStates others = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (showStateFor(m_store.readInteger(m_section, "ShowCmd", 0))) {
    case ShowState::minimized:
        // The window comes up first and goes to the taskbar at once, once it has been shown.
        window.setWindowState(others);
        QTimer::singleShot(0, &window, [&window] { window.showMinimized(); });
        return;
    case ShowState::maximized:
        if (window.isVisible()) {
            window.setWindowState(others | Qt::WindowMaximized);
            break;
        }
        // Qt remembers the rectangle to return to when the state changes; before the first show it would take
        // the frame position as the client position and the window would creep by its frame at every run.
        // So the window is maximised once it is on screen.
        window.setWindowState(others);
        QTimer::singleShot(0, &window, [&window] { window.showMaximized(); });
        break;
    case ShowState::normal:
        window.setWindowState(others);
        break;
    }
    window.update();
}

void WindowPlacement::save(QWidget& window) {
    m_store.writeInteger(m_section, "FormVersion", 0);
    if (!m_restoreCompleted)
        return;

    const ScreenLayout layout = m_layoutSource();
    int showCommand = showCommandNormal;
    if (window.isMinimized())
        showCommand = showCommandMinimized;
    else if (window.isMaximized())
        showCommand = showCommandMaximized;
    const QRect normal = normalFrameRect(window);
    // Qt has no minimised or maximised positions: stored as a window that never had one.
    const std::string minMax = formatFourIntegers(-1, -1, -1, -1);
    const std::string norm = formatFourIntegers(normal.left(), normal.top(), endOf(normal.left(), normal.width()),
                                                endOf(normal.top(), normal.height()));

    m_store.writeInteger(m_section, "ShowCmd", showCommand);
    m_store.writeInteger(m_section, "Flags", 0);
    m_store.writeInteger(m_section, "PixelsPerInch", layout.dpi);
    m_store.writeString(m_section, withDesktopSuffix("MinMaxPos", layout.desktop), minMax);
    m_store.writeString(m_section, "MinMaxPos", minMax);
    m_store.writeString(m_section, withDesktopSuffix("NormPos", layout.desktop), norm);
    m_store.writeString(m_section, "NormPos", norm);
}

} // namespace kelvara
