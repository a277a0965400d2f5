// The one failure type of the program: a run-time error with a number, a
// description and a source. Thrown by the failing call, caught by the
// operation that can report it. Never crosses a window procedure, a timer
// callback or a COM method.
#pragma once

#include <exception>
#include <string>

namespace outside {

// Numbers used by the program itself (the classic run-time error numbers
// where one exists). Operating-system failures carry an HRESULT-style number
// (0x8007xxxx for a Win32 error code), on every platform.
enum ErrorNumber : long {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscriptOutOfRange = 9,
    kErrTypeMismatch = 13,
    kErrInternal = 51,
    kErrObjectNotSet = 91,
    kErrFileNotFound = 53,
    kErrPermissionDenied = 70,
    kErrPathFileAccess = 75,
    kErrNotAtRunTime = 383,
    // The program's own numbers.
    kErrFileTooLarge = 31001,
    kErrXmlRefused = 31002,
    kErrFileChanged = 31003,
};

class RuntimeError : public std::exception {
public:
    RuntimeError(long number, std::string description, std::string source = {});

    long Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const std::string& Source() const noexcept { return source_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    long number_;
    std::string description_;
    std::string source_;
};

// HRESULT-style number of a Win32 error code, as HRESULT_FROM_WIN32 makes it.
long ErrorNumberFromWin32(unsigned long code) noexcept;

// A file above the size limit, refused before it is read.
RuntimeError FileTooLargeError(unsigned long long size, unsigned long long limit);

}  // namespace outside
