#include "csGDIPlusToken.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "../GDIPlusStatusText.h"
#include "outside/RuntimeError.h"

namespace support {
namespace {

std::unique_ptr<csGDIPlusToken>& SharedSlot() {
    static std::unique_ptr<csGDIPlusToken> shared;
    return shared;
}

}  // namespace

csGDIPlusToken::csGDIPlusToken(uint32_t version) {
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok)
        throw outside::RuntimeError(kErrObjectError,
                                    "Can't initialize GDI+. " + modGDIPlusLoadAndSave::GDIPlusStatusText(status),
                                    "csGDIPlusToken");
    token_ = token;
}

csGDIPlusToken::~csGDIPlusToken() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
    token_ = 0;
}

csGDIPlusToken& csGDIPlusToken::Shared() {
    auto& shared = SharedSlot();
    if (!shared) shared = std::make_unique<csGDIPlusToken>();
    return *shared;
}

csGDIPlusToken* csGDIPlusToken::SharedIfStarted() { return SharedSlot().get(); }

void csGDIPlusToken::ReleaseShared() { SharedSlot().reset(); }

}  // namespace support
