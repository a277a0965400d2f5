// The property pages: both controls list the standard picture page and
// Fanservice, Fanservice shows its picture (through a temporary file it
// deletes), and the pages open in a real OLE property frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

int CountTemporaryFiles() {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    WIN32_FIND_DATAW data;
    outside::UniqueFindHandle find(::FindFirstFileW((std::wstring(folder) + L"TMP*.tmp").c_str(), &data));
    int count = find ? 1 : 0;
    while (find && ::FindNextFileW(find.get(), &data)) ++count;
    return count;
}

// A named CALLBACK, not a lambda: on i686 a lambda converts only to a cdecl
// pointer, and EnumChildWindows calls stdcall.
BOOL CALLBACK FindPictureProc(HWND w, LPARAM out) {
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    if (::lstrcmpiW(cls, L"Static") != 0 || (::GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
}

// The size of the bitmap in a page's picture window (a static control).
SIZE PictureSize(HWND root, HWND* picture = nullptr) {
    HWND found = nullptr;
    ::EnumChildWindows(root, FindPictureProc, reinterpret_cast<LPARAM>(&found));
    if (picture) *picture = found;
    auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(found, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!found || !bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
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
    HDC screen = ::GetDC(nullptr);
    const SIZE expected{::MulDiv(5895, ::GetDeviceCaps(screen, LOGPIXELSX), 1440),
                        ::MulDiv(4425, ::GetDeviceCaps(screen, LOGPIXELSY), 1440)};
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(info.size.cx, expected.cx);
    EXPECT_EQ(info.size.cy, expected.cy);
    ::CoTaskMemFree(info.pszTitle);
    ::CoTaskMemFree(info.pszDocString);
    ::CoTaskMemFree(info.pszHelpFile);

    outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                                 500, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(host);
    RECT area{0, 0, expected.cx, expected.cy}, image{}, parent{};
    ASSERT_EQ(page->Activate(host.get(), &area, TRUE), S_OK);
    ASSERT_EQ(page->Show(SW_SHOW), S_OK);
    HWND picture = nullptr;
    const SIZE size = PictureSize(host.get(), &picture);
    ASSERT_TRUE(picture) << "imgTrap";
    EXPECT_EQ(size.cx, 393);
    EXPECT_EQ(size.cy, 295);
    ::GetWindowRect(picture, &image);
    ::GetWindowRect(::GetParent(picture), &parent);
    EXPECT_EQ(image.left - parent.left, (expected.cx - 393) / 2) << "centred";
    EXPECT_EQ(image.top - parent.top, (expected.cy - 295) / 2) << "centred";
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    ASSERT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(picture));
}

// The picture the modal property frame shows, seen from a thread timer that
// then closes it (any dialog of the thread after ten seconds).
SIZE g_framePicture{};
int g_ticks = 0;

BOOL CALLBACK FindDialogProc(HWND w, LPARAM out) {
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (::lstrcmpW(cls, L"#32770") != 0 || !::IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
}

void CALLBACK WatchFrame(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&sheet));
    if (sheet) g_framePicture = PictureSize(sheet);
    if (sheet && (g_framePicture.cx || ++g_ticks > 100)) ::PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
}

// As a design environment asks for them: the pages the control names, in a
// property frame its properties verb opens.
TEST(PropertyPages, ControlsListThePicturePageAndFanserviceWhichTheirVerbOpens) {
    constexpr GUID kStockPicturePage = {0x7EBDAAE2, 0x8120, 0x11CF, {0x89, 0x9F, 0x00, 0xAA, 0x00, 0x68, 0x8B, 0x10}};
    outside::UniqueWindow owner(::CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                                  200, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        HostedControl c(*kind.clsid, false);
        CAUUID pages{};
        ASSERT_EQ(c.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages)->GetPages(&pages), S_OK);
        ASSERT_EQ(pages.cElems, 2u);
        EXPECT_TRUE(::IsEqualGUID(pages.pElems[0], kStockPicturePage));
        EXPECT_TRUE(::IsEqualGUID(pages.pElems[1], flickon::kClsidFanservice));
        ::CoTaskMemFree(pages.pElems);

        g_framePicture = SIZE{};
        g_ticks = 0;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &WatchFrame);
        EXPECT_EQ(c.As<IOleObject>(IID_IOleObject)
                      ->DoVerb(OLEIVERB_PROPERTIES, nullptr, &c.site(), 0, owner.get(), nullptr),
                  S_OK);
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(g_framePicture.cx, 393) << "Fanservice in the frame";
        EXPECT_EQ(g_framePicture.cy, 295) << "Fanservice in the frame";
    }
}

}  // namespace
}  // namespace flktest
