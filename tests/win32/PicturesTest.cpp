// Pictures through the standard loader and real GDI+ into real OLE pictures.
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "WindowTestSupport.h"
#include "app/support/win32/csGDIPlusToken.h"
#include "app/support/win32/modGDIPlusLoadAndSave.h"
#include "app/support/win32/modLoadResPictureByData.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/PictureSupport.h"
#include "support/Errors.h"
#include "support/TempDir.h"

using outside::ComPtr;
using outside::RuntimeError;
using testsupport::ErrorOf;
using namespace modLoadResPictureByData;

namespace {

constexpr uint32_t kButtonFace = 0x8000000F;

// A 1 x 1 BMP of one colour.
std::string MakeBmp(COLORREF colour) {
    const BITMAPINFOHEADER info{sizeof info, 1, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, offset + 4, 0, 0, offset};
    return std::string(reinterpret_cast<const char*>(&file), sizeof file) +
           std::string(reinterpret_cast<const char*>(&info), sizeof info) +
           std::string{static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                       static_cast<char>(GetRValue(colour)), 0};
}

// A 1 x 1 GIF whose one pixel is colour 0 of its table: pure red.
const std::string kRedGif("GIF89a\1\0\1\0\x80\0\0\xFF\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2\x44\1\0;", 35);

wintest::Pixels Read(const ComPtr<IPicture>& picture) {
    SHORT type = -1;
    EXPECT_EQ(picture->get_Type(&type), S_OK);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    return wintest::BitmapPixels(static_cast<HBITMAP>(wintest::PictureHandle(picture.get())));
}

}  // namespace

TEST(PictureSupport, ColoursTranslateAndBecomeArgb) {
    const std::pair<uint32_t, COLORREF> translations[] = {
        {0x8000000F, ::GetSysColor(COLOR_BTNFACE)}, {0x80000012, ::GetSysColor(COLOR_BTNTEXT)}, {0x123456, 0x123456}};
    for (const auto& [colour, rgb] : translations)
        EXPECT_EQ(outside::esTranslateColor(colour, nullptr), rgb) << std::hex << colour;
    EXPECT_EQ(ErrorOf([] { outside::esTranslateColor(0x7F000000u, nullptr); }).Number(), outside::kErrInvalidCall);

    const std::pair<uint32_t, uint32_t> argb[] = {{0x00000000, 0xFF000000}, {0x00123456, 0xFF563412}};
    for (const auto& [rgb, want] : argb) EXPECT_EQ(outside::esRGBtoD3DRGBA(rgb), want) << std::hex << rgb;
}

TEST(PictureSupport, BitmapPictureOwnsItsHandle) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 7, 5);
    ::ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    {
        ComPtr<IPicture> picture = outside::asGetBitmapFromHandle(bitmap);
        ASSERT_TRUE(picture);
        // Handles are 32 bits wide inside OLE pictures.
        EXPECT_EQ(HandleToULong(wintest::PictureHandle(picture.get())), HandleToULong(bitmap));
        EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the last reference gone, the bitmap is gone with it";
    EXPECT_EQ(ErrorOf([] { outside::asGetBitmapFromHandle(nullptr); }).Number(), outside::kErrInvalidCall);
}

// Opaque pixels keep their colour, transparent ones are the background, and a
// quarter-opaque one is a blend, not a one-bit mask (what Wine's standard loader gives).
TEST(Pictures, ProgramPngsAreBlendedOntoTheBackground) {
    const std::pair<uint32_t, COLORREF> backgrounds[] = {{kButtonFace, ::GetSysColor(COLOR_BTNFACE)},
                                                         {0x00804020, RGB(0x20, 0x40, 0x80)}};
    for (const auto& [backColor, background] : backgrounds) {
        SCOPED_TRACE(std::to_string(backColor));
        for (const char* name : {"IDP_LOCAL_SETTINGS", "IDP_GLOBAL_SETTINGS", "IDP_SHOW_LOGS", "IDP_MAKE_TRANSPARENT",
                                 "IDP_EXIT", "IDP_NEW_SESSION", "IDP_OPEN_SESSION"}) {
            SCOPED_TRACE(name);
            const wintest::Pixels px = Read(LoadResPictureByData(name, "PNG_PICTURES", backColor));
            ASSERT_EQ(std::pair(px.width, px.height), std::pair(32, 32));
            for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(px.Rgb(x, y), background);
            int seeThrough = 0;
            for (uint32_t p : px.argb) seeThrough += (p >> 24) != 0xFF ? 1 : 0;
            EXPECT_EQ(seeThrough, 0) << "pixels that are not opaque";
        }
        const auto centre = [&](const char* name) {
            return Read(LoadResPictureByData(name, "PNG_PICTURES", backColor)).Rgb(16, 16);
        };
        EXPECT_EQ(centre("IDP_EXIT"), RGB(34, 46, 72));
        // 0x404B87D7 over the background.
        const COLORREF blended = centre("IDP_LOCAL_SETTINGS");
        const auto mix = [](int c, int b) { return (c * 0x40 + b * (255 - 0x40) + 127) / 255; };
        EXPECT_NEAR(GetRValue(blended), mix(0x4B, GetRValue(background)), 2);
        EXPECT_NEAR(GetGValue(blended), mix(0x87, GetGValue(background)), 2);
        EXPECT_NEAR(GetBValue(blended), mix(0xD7, GetBValue(background)), 2);
    }
    EXPECT_EQ(ErrorOf([] { LoadResPictureByData("IDP_NO_SUCH_PICTURE", "PNG_PICTURES", kButtonFace); }).Number(),
              outside::ErrorNumberFromWin32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Pictures, StandardFormatsLoadWithoutStartingGdiPlusAndAFailedStartIsReported) {
    support::csGDIPlusToken::ReleaseShared();
    ASSERT_EQ(support::csGDIPlusToken::SharedIfStarted(), nullptr);
    for (const auto& [bytes, colour] : {std::pair{MakeBmp(RGB(12, 200, 99)), RGB(12, 200, 99)},
                                        std::pair{kRedGif, RGB(255, 0, 0)}}) {
        SCOPED_TRACE(colour);
        const wintest::Pixels px = Read(LoadPictureFromBytes(bytes, kButtonFace));
        EXPECT_EQ(std::pair(px.width, px.height), std::pair(1, 1));
        EXPECT_EQ(px.Rgb(0, 0), colour);
        EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), nullptr) << "GDI+ was started";
    }

    // A PNG is what starts it; a second load shares the one token.
    LoadResPictureByData("IDP_EXIT", "PNG_PICTURES", kButtonFace);
    const auto* first = support::csGDIPlusToken::SharedIfStarted();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->Token(), 0u);
    LoadResPictureByData("IDP_SHOW_LOGS", "PNG_PICTURES", kButtonFace);
    EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), first);
    const RuntimeError unsupported = ErrorOf([] { support::csGDIPlusToken version99(99); });
    EXPECT_EQ(unsupported.Number(), static_cast<long>(0x80040000u));
    EXPECT_EQ(unsupported.Description(), "Can't initialize GDI+. Unsupported library version");
}

TEST(Pictures, TemporaryFileIsGoneAfterSuccessAndFailure) {
    const std::string png(ResourceBytes("IDP_EXIT", "PNG_PICTURES"));
    const struct {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"PNG through GDI+", png, true},
        {"BMP through the standard loader", MakeBmp(RGB(1, 2, 3)), true},
        {"no picture at all", "this is plain text, not a picture", false},
        {"a PNG cut short", png.substr(0, 60), false},
        {"no bytes", "", false},
    };
    // The loader's temporary files are made where this one is.
    const std::string probe = outside::esGetTempFileName2({}, "TMP");
    const std::string temp = outside::esGetFilePath(probe);
    outside::RemoveFile(probe);
    const std::vector<std::string> before = testsupport::FolderNames(temp);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RuntimeError e = ErrorOf([&] { EXPECT_TRUE(LoadPictureFromBytes(c.bytes, kButtonFace)); });
        EXPECT_EQ(e.Number(), c.loads ? 0 : support::kErrObjectError) << e.Description();
        EXPECT_TRUE(c.loads || testsupport::StartsWith(e.Description(), "Can't load bitmap file. ")) << e.Description();
        EXPECT_EQ(testsupport::FolderNames(temp), before);
    }
}

TEST(Pictures, AFileIsLoadedByItsContentAndAMissingOneReportedSo) {
    testsupport::TempDir dir;
    EXPECT_EQ(ErrorOf([&] { modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "missing.png", 0); }).Number(),
              outside::kErrFileNotFound);
    testsupport::WriteRaw(dir / "really-a-bitmap.png", MakeBmp(RGB(9, 8, 7)));
    EXPECT_EQ(Read(modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "really-a-bitmap.png", 0)).Rgb(0, 0), RGB(9, 8, 7));
}
