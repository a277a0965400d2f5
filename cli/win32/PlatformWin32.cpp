// The console: characters to a console window (WriteConsoleW), UTF-8 bytes to
// a pipe or file, so that Cyrillic survives both.
#include <windows.h>

#include <atomic>

#include "../Platform.h"
#include "outside/RuntimeError.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

namespace cli {
namespace {

std::atomic<bool> stopRequested{false};

// Signalled by a stop request; lets a pause end at once.
outside::UniqueHandle& StopEvent() {
    static outside::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event;
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    stopRequested = true;
    ::SetEvent(StopEvent().get());
    // A closing console ends the process when this returns: give the loop a moment to save.
    if (type == CTRL_CLOSE_EVENT) ::Sleep(1000);
    return TRUE;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode) != 0;
}

bool Write(DWORD which, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
    if (IsConsole(handle)) {
        std::wstring wide = outside::W(text);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(rest.size() < 8192 ? rest.size() : 8192);
            if (!::WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0) return false;
            rest.remove_prefix(written);
        }
        return true;
    }
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(text.size() < (1u << 20) ? text.size() : (1u << 20));
        if (!::WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteStdout(std::string_view text) { return Write(STD_OUTPUT_HANDLE, text); }
bool WriteStderr(std::string_view text) { return Write(STD_ERROR_HANDLE, text); }
bool StdoutIsTerminal() { return IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE)); }
bool StdinIsTerminal() { return IsConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

bool EnableTerminalColours() {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(handle, &mode)) return false;
    return ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::string ReadStdin() {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return {};
    if (IsConsole(handle)) {
        // Typed text ends with Ctrl+Z at the start of a line.
        std::wstring text;
        wchar_t buffer[4096];
        for (;;) {
            DWORD read = 0;
            if (!::ReadConsoleW(handle, buffer, 4096, &read, nullptr))
                throw outside::RuntimeError(outside::ErrorNumberFromWin32(::GetLastError()), "ReadConsoleW");
            if (read == 0 || stopRequested) break;
            const std::wstring_view chunk(buffer, read);
            const size_t eof = chunk.find(L'\x1A');
            text.append(chunk.substr(0, eof));
            if (eof != std::wstring_view::npos) break;
        }
        return outside::U8(text);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(handle, buffer, sizeof buffer, &read, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            throw outside::RuntimeError(outside::ErrorNumberFromWin32(error), "ReadFile");
        }
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

void CatchStopRequests() {
    StopEvent();
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopRequested() { return stopRequested; }

void Pause(int milliseconds) {
    if (StopEvent())
        ::WaitForSingleObject(StopEvent().get(), static_cast<DWORD>(milliseconds));
    else
        ::Sleep(static_cast<DWORD>(milliseconds));
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(outside::W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A named mutex of this session, taken by every quillet-cli.
struct IdentityLock::Handle {
    outside::UniqueHandle mutex;
    bool owned = false;
    ~Handle() {
        if (owned) ::ReleaseMutex(mutex.get());
    }
};

IdentityLock::IdentityLock() : handle_(std::make_unique<Handle>()) {
    handle_->mutex.reset(::CreateMutexW(nullptr, FALSE, L"Local\\Greyfen Works Quillet-cli identity"));
    if (handle_->mutex) {
        const DWORD waited = ::WaitForSingleObject(handle_->mutex.get(), INFINITE);
        handle_->owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

IdentityLock::~IdentityLock() = default;

std::string FollowStateFolder() { return {}; }

}  // namespace cli
