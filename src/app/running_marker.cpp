#include "app/running_marker.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvara {

#ifdef _WIN32
// Several instances may run at once: each opens the same mutex without owning it; it exists while any of them
// runs. Failing to create it (another user's instance holds it and we may not open it) changes nothing, since
// the installer then sees that one.
RunningMarker::RunningMarker() : m_mutex(CreateMutexW(nullptr, FALSE, runningMutexName)) {}

RunningMarker::~RunningMarker() {
    if (m_mutex)
        CloseHandle(m_mutex);
}
#else
RunningMarker::RunningMarker() = default;
RunningMarker::~RunningMarker() = default;
#endif

} // namespace kelvara
