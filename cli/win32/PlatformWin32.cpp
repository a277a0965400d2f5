// The console: characters to a console window (WriteConsoleW), UTF-8 bytes to
// a pipe or file, so that Cyrillic survives both.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "../Platform.h"
#include "../QuilletCli.h"
#include "../SystemReason.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

namespace cli {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<DWORD> stopEvent{0};  // the console event that asked to stop
DWORD stdoutError = 0;

// Signalled by a stop request; lets a pause end at once.
outside::UniqueHandle& StopEvent() {
    static outside::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event;
}

// The thread that writes and waits; a stop request cancels its blocked I/O.
outside::UniqueHandle& MainThread() {
    static outside::UniqueHandle thread;
    return thread;
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    DWORD none = 0;
    stopEvent.compare_exchange_strong(none, type);
    stopRequested = true;
    ::SetEvent(StopEvent().get());
    if (MainThread()) ::CancelSynchronousIo(MainThread().get());  // a write a reader no longer takes
    // A closing console ends the process when this returns: give the loop a moment to save.
    if (type == CTRL_CLOSE_EVENT) ::Sleep(1000);
    return TRUE;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode) != 0;
}

std::string ReasonOf(DWORD error) {
    const std::string reason = Win32Reason(error);
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

// 0 when all was written, else the Windows error.
DWORD Write(DWORD which, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return ERROR_INVALID_HANDLE;
    if (IsConsole(handle)) {
        std::wstring wide = outside::W(text);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(rest.size() < 8192 ? rest.size() : 8192);
            if (!::WriteConsoleW(handle, rest.data(), chunk, &written, nullptr)) return ::GetLastError();
            if (written == 0) return ERROR_WRITE_FAULT;
            rest.remove_prefix(written);
        }
        return 0;
    }
    while (!text.empty()) {
        if (which == STD_OUTPUT_HANDLE && stopRequested) return ERROR_OPERATION_ABORTED;
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(text.size() < (1u << 20) ? text.size() : (1u << 20));
        if (!::WriteFile(handle, text.data(), chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        text.remove_prefix(written);
    }
    return 0;
}

// Lines on standard input not yet taken as acknowledgements.
int pendingLines = 0;

}  // namespace

bool WriteStdout(std::string_view text) {
    stdoutError = Write(STD_OUTPUT_HANDLE, text);
    return stdoutError == 0;
}
bool WriteStderr(std::string_view text) { return Write(STD_ERROR_HANDLE, text) == 0; }

std::string StdoutFailure() {
    if (stdoutError == 0 || stdoutError == ERROR_BROKEN_PIPE || stdoutError == ERROR_NO_DATA ||
        stdoutError == ERROR_OPERATION_ABORTED)
        return {};
    return ReasonOf(stdoutError);
}

bool StdoutIsTerminal() { return IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE)); }
bool StdinIsTerminal() { return IsConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

bool EnableTerminalColours() {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(handle, &mode)) return false;
    return ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::string ReadStdin(size_t maxBytes) {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return {};
    if (IsConsole(handle)) {
        // Typed text ends with Ctrl+Z at the start of a line.
        std::wstring text;
        wchar_t buffer[4096];
        while (text.size() <= maxBytes) {
            DWORD read = 0;
            if (!::ReadConsoleW(handle, buffer, 4096, &read, nullptr))
                throw CliError(kExitFailed, "quillet-cli: standard input: " + ReasonOf(::GetLastError()));
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
    while (bytes.size() <= maxBytes) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(sizeof buffer, maxBytes + 1 - bytes.size()));
        if (!::ReadFile(handle, buffer, want, &read, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            throw CliError(kExitFailed, "quillet-cli: standard input: " + ReasonOf(error));
        }
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

Acknowledgement WaitForAcknowledgement() {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return Acknowledgement::Ended;
    const DWORD type = ::GetFileType(handle);
    char buffer[4096];
    while (pendingLines == 0) {
        if (stopRequested) return Acknowledgement::Stopped;
        // A pipe is read once it holds something, so that a stop request is seen
        // meanwhile; one that cannot be asked is read at once (a stop request
        // cancels that read).
        if (type == FILE_TYPE_PIPE) {
            DWORD available = 0;
            if (::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
                Pause(100);
                continue;
            }
        } else if (type == FILE_TYPE_CHAR && ::WaitForSingleObject(handle, 100) != WAIT_OBJECT_0) {
            continue;
        }
        DWORD read = 0;
        if (IsConsole(handle)) {
            wchar_t wide[1024];
            if (!::ReadConsoleW(handle, wide, 1024, &read, nullptr)) return Acknowledgement::Ended;
            for (DWORD i = 0; i < read; ++i) pendingLines += wide[i] == L'\n';
            if (read == 0) return Acknowledgement::Ended;
            continue;
        }
        if (!::ReadFile(handle, buffer, sizeof buffer, &read, nullptr) || read == 0)
            return stopRequested ? Acknowledgement::Stopped : Acknowledgement::Ended;
        for (DWORD i = 0; i < read; ++i) pendingLines += buffer[i] == '\n';
    }
    --pendingLines;
    return Acknowledgement::Given;
}

void CatchStopRequests() {
    StopEvent();
    HANDLE thread = nullptr;
    if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &thread, 0, FALSE,
                          DUPLICATE_SAME_ACCESS))
        MainThread().reset(thread);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopRequested() { return stopRequested; }

int StopExitStatus() {
    const DWORD type = stopEvent;
    return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT ? kExitInterrupted : kExitOk;
}

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

std::string FolderListingProblem(const std::string& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(outside::W(path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? std::string() : ReasonOf(error);
    }
    ::FindClose(search);
    return {};
}

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
