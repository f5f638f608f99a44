// Keeps the main window's position, size and show state in the settings file between runs.
#pragma once

#include "placement/screen_layout.h"
#include "settings/ini_file.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace kelvara {

// Takes the stored placement from the settings content when the window is first shown, and puts the current
// placement back when it closes. The settings file itself is read and written by the IniFile's owner.
class WindowPlacement {
public:
    explicit WindowPlacement(IniFile& store, QString section = QStringLiteral("MainForm"));

    // Applies the stored placement; call once, just before the window's first show() (not from showEvent).
    // Later calls do nothing. A position is applied only when it was stored at the current dots per inch and
    // lies on the monitors; the stored show state applies in any case. Malformed values count as missing.
    void restore(QWidget& window);

    // Writes the current placement into the settings content. Before the restore has run, only the
    // placement's version is written and the stored placement stays as it is.
    void save(QWidget& window);

    bool restoreCompleted() const { return m_restoreCompleted; }

    // Where the monitors, desktop size and dots per inch come from (default: ScreenLayout::fromQt).
    void setScreenLayoutSource(std::function<ScreenLayout()> source);

private:
    void applyStored(QWidget& window);
    // The value of a key stored for this desktop size, else the plain key's.
    std::optional<std::string> readForDesktop(const std::string& key, QSize desktop) const;

    IniFile& m_store;
    std::string m_section;
    std::function<ScreenLayout()> m_layoutSource;
    bool m_restoreStarted = false;
    bool m_restoreCompleted = false;
};

} // namespace kelvara
