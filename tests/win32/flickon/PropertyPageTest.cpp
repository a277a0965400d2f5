// The property pages: both controls list the standard picture page and
// Fanservice, Fanservice shows its picture (through a temporary file it
// deletes), and the pages open in a real OLE property frame.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

constexpr GUID kStockPicturePage = {0x7EBDAAE2, 0x8120, 0x11CF, {0x89, 0x9F, 0x00, 0xAA, 0x00, 0x68, 0x8B, 0x10}};

int CountTemporaryFiles() {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    WIN32_FIND_DATAW data;
    outside::UniqueFindHandle find(::FindFirstFileW((std::wstring(folder) + L"TMP*.tmp").c_str(), &data));
    if (!find) return 0;
    int count = 1;
    while (::FindNextFileW(find.get(), &data)) ++count;
    return count;
}

SIZE PagePixels() {
    HDC screen = ::GetDC(nullptr);
    const SIZE size{::MulDiv(5895, ::GetDeviceCaps(screen, LOGPIXELSX), 1440),
                    ::MulDiv(4425, ::GetDeviceCaps(screen, LOGPIXELSY), 1440)};
    ::ReleaseDC(nullptr, screen);
    return size;
}

// A named CALLBACK, not a lambda: on i686 a lambda converts only to a cdecl
// pointer, and EnumChildWindows calls stdcall.
BOOL CALLBACK FindPictureProc(HWND w, LPARAM out) {
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    if (::lstrcmpiW(cls, L"Static") == 0 && (::GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

// The picture window of a page: a static control showing a bitmap.
HWND FindPictureWindow(HWND root) {
    HWND found = nullptr;
    ::EnumChildWindows(root, FindPictureProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

SIZE BitmapSizeOf(HWND picture) {
    auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

TEST(PropertyPages, ControlsListTheStandardPictureAndFanservicePages) {
    for (const GUID* clsid : {&flickon::kClsidTorFlickon, &flickon::kClsidTorFlickon2}) {
        ComPtr<ISpecifyPropertyPages> specify;
        ASSERT_EQ(::CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ISpecifyPropertyPages,
                                     specify.put_void()),
                  S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        ASSERT_EQ(pages.cElems, 2u);
        EXPECT_TRUE(::IsEqualGUID(pages.pElems[0], kStockPicturePage));
        EXPECT_TRUE(::IsEqualGUID(pages.pElems[1], flickon::kClsidFanservice));
        ::CoTaskMemFree(pages.pElems);
    }
}

TEST(PropertyPages, FanserviceShowsItsPictureAndLeavesNoTemporaryFile) {
    const int before = CountTemporaryFiles();
    ComPtr<IPropertyPage> page;
    ASSERT_EQ(::CoCreateInstance(flickon::kClsidFanservice, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                 page.put_void()),
              S_OK);
    EXPECT_EQ(CountTemporaryFiles(), before) << "the temporary picture file is deleted";

    PROPPAGEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Fanservice");
    const SIZE expected = PagePixels();
    EXPECT_EQ(info.size.cx, expected.cx);
    EXPECT_EQ(info.size.cy, expected.cy);
    ::CoTaskMemFree(info.pszTitle);
    ::CoTaskMemFree(info.pszDocString);
    ::CoTaskMemFree(info.pszHelpFile);

    outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                                 500, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(host);
    RECT area{0, 0, expected.cx, expected.cy};
    ASSERT_EQ(page->Activate(host.get(), &area, TRUE), S_OK);
    ASSERT_EQ(page->Show(SW_SHOW), S_OK);
    HWND picture = FindPictureWindow(host.get());
    ASSERT_TRUE(picture) << "imgTrap";
    const SIZE size = BitmapSizeOf(picture);
    EXPECT_EQ(size.cx, 393);
    EXPECT_EQ(size.cy, 295);
    RECT image{};
    RECT parent{};
    ::GetWindowRect(picture, &image);
    ::GetWindowRect(::GetParent(picture), &parent);
    EXPECT_EQ(image.left - parent.left, (expected.cx - 393) / 2);
    EXPECT_EQ(image.top - parent.top, (expected.cy - 295) / 2);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    ASSERT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(picture));
}

// Watches the modal property frame from a thread timer: records what the
// frame shows, then closes it. Time-boxed: it closes any dialog of the
// thread after ten seconds.
struct FrameWatch {
    bool sawPicture = false;
    SIZE pictureSize{};
    std::vector<std::wstring> tabs;
    int ticks = 0;
};
FrameWatch* g_watch = nullptr;

BOOL CALLBACK FindDialogProc(HWND w, LPARAM out) {
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (::lstrcmpW(cls, L"#32770") == 0 && ::IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialogOfThisThread() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK WatchFrame(HWND, UINT, UINT_PTR, DWORD) {
    FrameWatch& watch = *g_watch;
    HWND sheet = FindDialogOfThisThread();
    if (!sheet) {
        ++watch.ticks;
        return;
    }
    if (HWND picture = FindPictureWindow(sheet)) {
        watch.sawPicture = true;
        watch.pictureSize = BitmapSizeOf(picture);
        HWND tabControl = ::FindWindowExW(sheet, nullptr, L"SysTabControl32", nullptr);
        const int count = tabControl ? static_cast<int>(::SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            ::SendMessageW(tabControl, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            watch.tabs.push_back(text);
        }
    }
    if (watch.sawPicture || ++watch.ticks > 100) ::PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
}

FrameWatch OpenFrameAndWatch(const std::function<HRESULT()>& open) {
    FrameWatch watch;
    g_watch = &watch;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &WatchFrame);
    EXPECT_EQ(open(), S_OK);
    ::KillTimer(nullptr, timer);
    g_watch = nullptr;
    return watch;
}

TEST(PropertyPages, PagesOpenInAPropertyFrame) {
    outside::UniqueWindow owner(::CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                                  200, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    for (const GUID* clsid : {&flickon::kClsidTorFlickon, &flickon::kClsidTorFlickon2}) {
        SCOPED_TRACE(clsid == &flickon::kClsidTorFlickon ? "torFlickon" : "torFlickon2");
        HostedControl c(*clsid, false);

        // As a design environment does it: the pages the control names.
        FrameWatch hosted = OpenFrameAndWatch([&] {
            ComPtr<ISpecifyPropertyPages> specify = c.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
            CAUUID pages{};
            specify->GetPages(&pages);
            IUnknown* object = c.unknown();
            const HRESULT hr = ::OleCreatePropertyFrame(owner.get(), 0, 0, L"Flickon", 1, &object, pages.cElems,
                                                        pages.pElems, LOCALE_USER_DEFAULT, 0, nullptr);
            ::CoTaskMemFree(pages.pElems);
            return hr;
        });
        EXPECT_TRUE(hosted.sawPicture);
        EXPECT_EQ(hosted.pictureSize.cx, 393);
        EXPECT_EQ(hosted.pictureSize.cy, 295);
        EXPECT_NE(std::find(hosted.tabs.begin(), hosted.tabs.end(), L"Fanservice"), hosted.tabs.end());

        // The control's own properties verb opens the same frame.
        FrameWatch verb = OpenFrameAndWatch([&] {
            return c.As<IOleObject>(IID_IOleObject)
                ->DoVerb(OLEIVERB_PROPERTIES, nullptr, &c.site(), 0, owner.get(), nullptr);
        });
        EXPECT_TRUE(verb.sawPicture);
    }
}

}  // namespace
}  // namespace flktest
