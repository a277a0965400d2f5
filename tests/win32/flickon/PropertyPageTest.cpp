// The property pages: both controls list the standard picture page and
// Fanservice, which loads its picture through a temporary file it deletes,
// and their properties verb opens them in a real OLE property frame.
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
SIZE PictureSize(HWND root) {
    HWND found = nullptr;
    ::EnumChildWindows(root, FindPictureProc, reinterpret_cast<LPARAM>(&found));
    auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(found, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!found || !bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

TEST(PropertyPages, FanserviceIsAPageOfItsSizeAndLeavesNoTemporaryFile) {
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
    EXPECT_EQ(info.size.cx, ::MulDiv(5895, ::GetDeviceCaps(screen, LOGPIXELSX), 1440));
    EXPECT_EQ(info.size.cy, ::MulDiv(4425, ::GetDeviceCaps(screen, LOGPIXELSY), 1440));
    ::ReleaseDC(nullptr, screen);
    ::CoTaskMemFree(info.pszTitle);
    ::CoTaskMemFree(info.pszDocString);
    ::CoTaskMemFree(info.pszHelpFile);
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
