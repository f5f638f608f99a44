// The system's text for a Windows error code, as UTF-8.
#pragma once

#include <string>

namespace kelvara {

// The message Windows gives for a GetLastError() value, without its trailing line end and full stop.
std::string windowsReason(unsigned long errorCode);

} // namespace kelvara
