// The process's one GDI+ start-up token. GDI+ starts the first time a picture
// is loaded through it and is shut down when the shared token is released
// (at process end, or by ReleaseShared).
#pragma once

#include <windows.h>

#include <cstdint>

namespace support {

// Number of errors raised by objects (the base of object-defined errors).
constexpr long kErrObjectError = static_cast<long>(0x80040000u);

class csGDIPlusToken {
public:
    // Starts GDI+ (version 1 unless a test asks for another). Throws
    // kErrObjectError "Can't initialize GDI+. " + status text.
    explicit csGDIPlusToken(uint32_t version = 1);
    // Shuts GDI+ down.
    ~csGDIPlusToken();
    csGDIPlusToken(const csGDIPlusToken&) = delete;
    csGDIPlusToken& operator=(const csGDIPlusToken&) = delete;

    ULONG_PTR Token() const { return token_; }
    // Does nothing; calling it on Shared() makes sure GDI+ runs.
    void Kick() const {}

    // The shared instance, created (GDI+ started) on first use. UI thread only.
    static csGDIPlusToken& Shared();
    // The shared instance if it exists, else null; starts nothing.
    static csGDIPlusToken* SharedIfStarted();
    // Releases the shared instance, shutting GDI+ down; the next Shared()
    // starts it again.
    static void ReleaseShared();

private:
    ULONG_PTR token_ = 0;
};

}  // namespace support
