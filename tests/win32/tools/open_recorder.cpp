// Stands for a file type's program: open_recorder.exe RECORD FILE appends
// FILE, in UTF-8, and a line break to RECORD. The tests register it as the
// open command of a file type and read what the shell asked it to open.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, line.data(), bytes, nullptr, nullptr);
    line += '\n';
    HANDLE record = ::CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (record == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(record, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(record);
    return ok ? 0 : 1;
}
