// kelvara-cli's console on Windows: the wide command line and environment, UTF-8 console output, and
// questions on the console (CONIN$/CONOUT$) with echo switched off through SetConsoleMode.
#include "cli/console.h"

#include "operations/system_file.h"
#include "text/utf8.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h> // after windows.h, which it builds on

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace kelvara::cli {
namespace {

std::string toUtf8(const wchar_t* text, std::size_t length) {
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

SecretBytes toSecretUtf8(const wchar_t* text, std::size_t length) {
    return utf16ToSecretUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::wstring toWide(std::string_view text) {
    const std::u16string wide = utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

// An open console handle, closed when the object goes.
class ConsoleHandle {
public:
    explicit ConsoleHandle(const wchar_t* name)
        : m_handle(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr)) {}
    ConsoleHandle(const ConsoleHandle&) = delete;
    ConsoleHandle& operator=(const ConsoleHandle&) = delete;
    ~ConsoleHandle() {
        if (isOpen())
            ::CloseHandle(m_handle);
    }
    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The console input's mode to put back when the program is interrupted while echo is off.
HANDLE silencedInput = nullptr;
DWORD silencedMode = 0;

// The console input with echo switched off for as long as the object lives.
class SilentConsole {
public:
    explicit SilentConsole(HANDLE input) : m_input(input) {
        if (::GetConsoleMode(m_input, &m_saved)) {
            silencedMode = m_saved;
            silencedInput = m_input;
            m_restore = ::SetConsoleMode(m_input, m_saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
            if (!m_restore)
                silencedInput = nullptr;
        }
    }
    SilentConsole(const SilentConsole&) = delete;
    SilentConsole& operator=(const SilentConsole&) = delete;
    ~SilentConsole() {
        if (m_restore) {
            silencedInput = nullptr;
            ::SetConsoleMode(m_input, m_saved);
        }
    }

private:
    HANDLE m_input;
    DWORD m_saved = 0;
    bool m_restore = false;
};

bool writeConsole(HANDLE output, std::string_view text) {
    const std::wstring wide = toWide(text);
    DWORD written = 0;
    return ::WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

// Reads UTF-16 units up to the line end; the console delivers a typed line with "\r\n" at its end.
TerminalReply readLine(HANDLE input, SecretBytes& line) {
    BasicSecretText<wchar_t> wide;
    TerminalReply reply = TerminalReply::nothingEntered;
    for (;;) {
        wchar_t unit = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(input, &unit, 1, &got, nullptr) || got == 0) {
            reply = wide.empty() ? TerminalReply::nothingEntered : TerminalReply::answered;
            break;
        }
        if (unit == L'\n') {
            reply = TerminalReply::answered;
            break;
        }
        if (unit != L'\r')
            wide.push_back(unit);
        wipeMemory(&unit, sizeof unit);
    }
    line = toSecretUtf8(wide.data(), wide.size());
    return reply;
}

// The console's settings as they were before the program changed them; the console outlives the program.
UINT savedOutputCodePage = 0;
DWORD savedErrorMode = 0;
bool errorModeChanged = false;

void restoreConsole() {
    if (savedOutputCodePage != 0)
        ::SetConsoleOutputCP(savedOutputCodePage);
    if (errorModeChanged)
        ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), savedErrorMode);
}

// Runs on a thread of its own when Ctrl-C, Ctrl-Break or closing the console ends the program.
BOOL WINAPI onConsoleInterrupt(DWORD event) {
    if (silencedInput != nullptr)
        ::SetConsoleMode(silencedInput, silencedMode);
    removeTemporaryFiles();
    restoreConsole();
    // The POSIX numbers of the matching signals: SIGINT for Ctrl-C, SIGTERM otherwise.
    ::ExitProcess(event == CTRL_C_EVENT ? 128 + 2 : 128 + 15);
    return TRUE;
}

} // namespace

std::vector<std::string> programArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(toUtf8(words[i], std::wcslen(words[i])));
    ::LocalFree(words);
    return arguments;
}

void prepareStandardStreams() {
    savedOutputCodePage = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (::GetConsoleMode(error, &savedErrorMode))
        errorModeChanged = ::SetConsoleMode(error, savedErrorMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    std::atexit(restoreConsole);
    // The texts and files piped through are bytes, as on POSIX: no "\r\n" translation.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

bool standardErrorIsTerminal() {
    // Only a console that understands the escape sequences of the progress line counts.
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool standardOutputIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool terminalAvailable() {
    const ConsoleHandle input(L"CONIN$");
    return input.isOpen();
}

void installInterruptHandlers() {
    ::SetConsoleCtrlHandler(onConsoleInterrupt, TRUE);
}

bool readEnvironmentVariable(const char* name, SecretBytes& value) {
    const std::wstring wideName = toWide(name);
    const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    BasicSecretText<wchar_t> wide;
    wide.resize(size);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), wide.data(), size);
    if (length == 0 || length >= size)
        return false;
    value = toSecretUtf8(wide.data(), length);
    return true;
}

namespace {

bool identifyStandardStream(DWORD stream, bool regularOnly, FileIdentity& identity) {
    const HANDLE handle = ::GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    if (regularOnly && ::GetFileType(handle) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(handle, &info) == 0)
        return false;
    identity = {info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

} // namespace

bool identifyStandardInput(FileIdentity& identity) {
    return identifyStandardStream(STD_INPUT_HANDLE, false, identity);
}

bool identifyStandardOutputFile(FileIdentity& identity) {
    return identifyStandardStream(STD_OUTPUT_HANDLE, true, identity);
}

void abandonRun(int status) {
    removeTemporaryFiles();
    restoreConsole();
    ::ExitProcess(static_cast<UINT>(status));
}

TerminalReply askOnTerminal(std::string_view prompt, Echo echo, SecretBytes& line) {
    line.clear();
    const ConsoleHandle input(L"CONIN$");
    const ConsoleHandle output(L"CONOUT$");
    if (!input.isOpen() || !output.isOpen())
        return TerminalReply::noTerminal;
    if (!writeConsole(output.get(), prompt))
        return TerminalReply::nothingEntered;
    if (echo == Echo::shown)
        return readLine(input.get(), line);
    TerminalReply reply;
    {
        const SilentConsole silent(input.get());
        reply = readLine(input.get(), line);
    }
    writeConsole(output.get(), "\r\n");
    return reply;
}

} // namespace kelvara::cli
