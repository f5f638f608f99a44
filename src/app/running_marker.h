// While Kelvara runs it holds a named mutex, so that its installer and uninstaller can see that it runs and ask
// for it to be closed before they replace or remove its files. Only Windows has it; elsewhere it does nothing.
#pragma once

namespace kelvara {

// The mutex's name, shared with the installer template (cmake/NSIS.template.in). The Global namespace makes
// Kelvara visible across sessions: an installer for all users must see every user's running program.
inline constexpr wchar_t runningMutexName[] = L"Global\\Norvane.Kelvara.Running";

class RunningMarker {
public:
    RunningMarker();
    ~RunningMarker();
    RunningMarker(const RunningMarker&) = delete;
    RunningMarker& operator=(const RunningMarker&) = delete;

private:
    void* m_mutex = nullptr;
};

} // namespace kelvara
