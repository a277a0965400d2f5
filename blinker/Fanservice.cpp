// Fanservice: the controls' custom property page. It edits nothing; it
// shows the library's "TRAP" picture in its image imgTrap. The picture goes
// from the resource through a temporary file into a picture object, every
// step on its own: a failing step is skipped, the page never reports an
// error, and the temporary file is deleted whenever it was created.
#include <string>
#include <vector>

#include "Classes.h"
#include "ComSupport.h"
#include "Flickon0100_idl.h"
#include "Module.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"

namespace flickon {

namespace {

constexpr wchar_t kCaption[] = L"Fanservice";
// The page's inner size in twips: the picture's own size at 15 twips a pixel.
constexpr int kPageWidthTwips = 5895;
constexpr int kPageHeightTwips = 4425;

std::vector<BYTE> ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HMODULE module = ModuleInstance();
    HRSRC found = ::FindResourceW(module, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data) return {};
    return std::vector<BYTE>(data, data + ::SizeofResource(module, found));
}

void WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes) {
    outside::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

ComPtr<IPicture> LoadTrapPicture() noexcept {
    std::vector<BYTE> bytes;
    std::wstring temporary;
    ComPtr<IPicture> picture;
    try {
        bytes = ResourceBytes(L"TRAP", L"JPEG_PICTURES");
    } catch (...) {
    }
    try {
        temporary = outside::W(outside::asGetTempFileName2("", "TMP"));
    } catch (...) {
    }
    if (temporary.empty()) return picture;
    try {
        WriteWholeFile(temporary, bytes);
    } catch (...) {
    }
    try {
        ::OleLoadPicturePath(const_cast<LPOLESTR>(temporary.c_str()), nullptr, 0, 0, IID_IPicture,
                             picture.put_void());
    } catch (...) {
    }
    ::DeleteFileW(temporary.c_str());
    return picture;
}

SIZE PixelsOfTwips(int widthTwips, int heightTwips) {
    HDC screen = ::GetDC(nullptr);
    const int dpiX = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return SIZE{::MulDiv(widthTwips, dpiX, 1440), ::MulDiv(heightTwips, dpiY, 1440)};
}

class Fanservice final : public DualObject<Fanservice, _Fanservice, IPropertyPage> {
public:
    Fanservice() : DualObject(IID__Fanservice), picture_(LoadTrapPicture()) {}

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override {
        site_ = ComPtr<IPropertyPageSite>::Share(site);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL) override {
        if (!rect) return E_POINTER;
        if (page_) return S_OK;
        page_.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, L"Static", L"", WS_CHILD | WS_CLIPCHILDREN, rect->left,
                                      rect->top, rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                                      ModuleInstance(), nullptr));
        if (!page_) return E_FAIL;
        ShowTrap();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Deactivate() override {
        image_.reset();
        page_.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override {
        if (!info) return E_POINTER;
        info->pszTitle = CoTaskCopy(kCaption);
        if (!info->pszTitle) return E_OUTOFMEMORY;
        info->size = PixelsOfTwips(kPageWidthTwips, kPageHeightTwips);
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG, IUnknown**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Show(UINT command) override {
        if (page_) ::ShowWindow(page_.get(), static_cast<int>(command));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override {
        if (!rect) return E_POINTER;
        if (page_) {
            ::MoveWindow(page_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                         TRUE);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    friend ComObject;
    ~Fanservice() = default;
    bool OfferInterface(REFIID iid, void** out) {
        return OfferDual(iid, out) || Offer(iid, IID_IPropertyPage, static_cast<IPropertyPage*>(this), out);
    }

    // imgTrap, centred in the page's inner size (at the top left when the
    // picture has the page's own size).
    void ShowTrap() {
        OLE_HANDLE handle = 0;
        SHORT type = PICTYPE_NONE;
        if (!picture_ || FAILED(picture_->get_Type(&type)) || type != PICTYPE_BITMAP ||
            FAILED(picture_->get_Handle(&handle)) || !handle) {
            return;
        }
        auto* bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
        BITMAP info{};
        if (!::GetObjectW(bitmap, sizeof info, &info)) return;
        const SIZE inner = PixelsOfTwips(kPageWidthTwips, kPageHeightTwips);
        const int left = (inner.cx - info.bmWidth) / 2;
        const int top = (inner.cy - info.bmHeight) / 2;
        // No window text: for SS_BITMAP it would name a bitmap resource.
        image_.reset(::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, left, top, info.bmWidth,
                                       info.bmHeight, page_.get(), nullptr, nullptr, nullptr));
        if (image_) ::SendMessageW(image_.get(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }

    ComPtr<IPropertyPageSite> site_;
    ComPtr<IPicture> picture_;   // owns the bitmap imgTrap shows, so it outlives the windows
    outside::UniqueWindow page_;
    outside::UniqueWindow image_;
};

}  // namespace

HRESULT CreateFanservice(REFIID iid, void** out) {
    ComPtr<_Fanservice> page = ComPtr<_Fanservice>::Attach(new Fanservice());
    return page->QueryInterface(iid, out);
}

}  // namespace flickon
