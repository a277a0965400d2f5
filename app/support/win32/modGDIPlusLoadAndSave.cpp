#include "modGDIPlusLoadAndSave.h"

#include <objidl.h>
#include <olectl.h>
#include <gdiplus.h>

#include <cstring>
#include <string_view>

#include "../GDIPlusStatusText.h"
#include "csGDIPlusToken.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/PictureSupport.h"
#include "outside/win32/Wide.h"

namespace modGDIPlusLoadAndSave {
namespace {

using outside::ComPtr;
using outside::RuntimeError;

constexpr char kSource[] = "modGDIPlusLoadAndSave";
// Far above any picture the program ships; keeps a stray huge file out of memory.
constexpr uint64_t kMaxPictureBytes = 64u * 1024u * 1024u;

bool IsPngSignature(std::string_view bytes) {
    static constexpr std::string_view kPng("\x89PNG\r\n\x1a\n", 8);
    return bytes.substr(0, kPng.size()) == kPng;
}

// The standard loader over the file's bytes; null when it cannot read them.
ComPtr<IPicture> LoadWithStandardLoader(const std::string& path) {
    std::string bytes;
    try {
        bytes = outside::ReadFileBytes(path, kMaxPictureBytes);
    } catch (const RuntimeError&) {
        return nullptr;
    }
    if (bytes.empty() || IsPngSignature(bytes)) return nullptr;

    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {  // the stream frees the memory
        ::GlobalFree(memory);
        return nullptr;
    }
    ComPtr<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                picture.put_void())))
        return nullptr;
    return picture;
}

// Owns a GDI+ bitmap.
class GdiPlusBitmap {
public:
    GdiPlusBitmap() = default;
    ~GdiPlusBitmap() {
        if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
    }
    GdiPlusBitmap(const GdiPlusBitmap&) = delete;
    GdiPlusBitmap& operator=(const GdiPlusBitmap&) = delete;
    Gdiplus::GpBitmap* get() const { return bitmap_; }
    Gdiplus::GpBitmap** put() { return &bitmap_; }

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// Sets every alpha byte of a 32-bit DIB section to opaque. The colours are
// already blended onto the background, but Wine's GDI+ keeps the source alpha
// beside them, and alpha-aware drawing would then show the picture
// see-through.
void MakeOpaque(HBITMAP handle) {
    DIBSECTION dib{};
    if (::GetObjectW(handle, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits) return;
    ::GdiFlush();
    auto* rows = static_cast<unsigned char*>(dib.dsBm.bmBits);
    const int height = dib.dsBm.bmHeight < 0 ? -dib.dsBm.bmHeight : dib.dsBm.bmHeight;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = rows + static_cast<size_t>(y) * static_cast<size_t>(dib.dsBm.bmWidthBytes);
        for (int x = 0; x < dib.dsBm.bmWidth; ++x) row[x * 4 + 3] = 0xFF;
    }
}

ComPtr<IPicture> LoadWithGdiPlus(const std::string& path, uint32_t backColor) {
    if (!outside::esIsFileExist(path))
        throw RuntimeError(outside::kErrFileNotFound, "Файл не найден (" + path + ")", kSource);
    support::csGDIPlusToken::Shared().Kick();

    GdiPlusBitmap bitmap;
    const std::wstring widePath = outside::W(path);
    Gdiplus::GpStatus status = Gdiplus::DllExports::GdipCreateBitmapFromFile(widePath.c_str(), bitmap.put());
    if (status != Gdiplus::Ok)
        throw RuntimeError(support::kErrObjectError, "Can't load bitmap file. " + GDIPlusStatusText(status), kSource);

    HBITMAP handle = nullptr;
    status = Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap.get(), &handle,
                                                              outside::esRGBtoD3DRGBA(backColor));
    if (status != Gdiplus::Ok)
        throw RuntimeError(support::kErrObjectError, "Can't get bitmap handle. " + GDIPlusStatusText(status), kSource);
    ComPtr<IPicture> picture = outside::asGetBitmapFromHandle(handle);  // the picture owns the handle from here
    MakeOpaque(handle);
    return picture;
}

}  // namespace

ComPtr<IPicture> LoadPictureFromFile(const std::string& path, uint32_t backColor) {
    if (ComPtr<IPicture> picture = LoadWithStandardLoader(path)) return picture;
    return LoadWithGdiPlus(path, backColor);
}

}  // namespace modGDIPlusLoadAndSave
