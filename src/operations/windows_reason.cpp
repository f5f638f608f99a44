// Windows error texts through FormatMessageW, converted to UTF-8.
#include "operations/windows_reason.h"

#include "text/utf8.h"

#include <windows.h>

namespace kelvara {

std::string windowsReason(unsigned long errorCode) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return "Windows error " + std::to_string(errorCode);
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
    ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' || text.back() == u'.'))
        text.pop_back();
    return utf16ToUtf8(text);
}

} // namespace kelvara
