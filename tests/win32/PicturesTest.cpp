// Pictures through the standard loader and GDI+: alpha PNGs blended onto the
// background, standard formats without GDI+, temporary files that never stay,
// and the errors with their numbers and texts. Real GDI+, real OLE pictures.
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
#include "outside/win32/Wide.h"
#include "support/Errors.h"
#include "support/TempDir.h"

using outside::ComPtr;
using outside::RuntimeError;
using testsupport::ErrorOf;
using testsupport::StartsWith;

namespace {

constexpr uint32_t kButtonFace = 0x8000000F;

// ---- Picture files made here, byte by byte ---------------------------------

void PutBig32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// A 32-bit RGBA PNG of 0xAARRGGBB pixels (zlib "stored" blocks: no compressor needed).
std::string MakePng(int width, int height, const std::vector<uint32_t>& argb) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < width; ++x) {
            const uint32_t p = argb[static_cast<size_t>(y * width + x)];
            raw += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p),
                    static_cast<char>(p >> 24)};
        }
    }
    // One final stored block (small pictures only), then the Adler-32 of the data.
    const auto len = static_cast<uint16_t>(raw.size());
    std::string zlib = {'\x78', '\x01', '\x01', static_cast<char>(len), static_cast<char>(len >> 8),
                        static_cast<char>(~len), static_cast<char>(~len >> 8)};
    zlib += raw;
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(zlib, (b << 16) | a);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    const auto chunk = [&png](const char* type, const std::string& data) {
        PutBig32(png, static_cast<uint32_t>(data.size()));
        const std::string body = std::string(type, 4) + data;
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : body) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        png += body;
        PutBig32(png, ~crc);
    };
    std::string header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header += {8, 6, 0, 0, 0};  // 8 bits, RGBA, deflate, no filter set, not interlaced
    chunk("IHDR", header);
    chunk("IDAT", zlib);
    chunk("IEND", {});
    return png;
}

// A 24-bit bottom-up BMP file of one colour.
std::string MakeBmp(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    const BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, offset + static_cast<DWORD>(stride * height), 0, 0, offset};
    std::string bmp = std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                      std::string(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x)
        row.replace(static_cast<size_t>(x * 3), 3, {static_cast<char>(GetBValue(colour)),
                                                    static_cast<char>(GetGValue(colour)),
                                                    static_cast<char>(GetRValue(colour))});
    for (int y = 0; y < height; ++y) bmp += row;
    return bmp;
}

// A 1 x 1 GIF whose one pixel is colour 0 of its table: pure red.
const std::string kRedGif("GIF89a\1\0\1\0\x80\0\0\xFF\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2\x44\1\0;", 35);

// A 4 x 2 PNG: transparent, opaque red, half red, opaque dark blue-grey;
// then a quarter-opaque blue and three opaque colours.
const std::vector<uint32_t> kTestPngPixels = {0x00000000, 0xFFFF0000, 0x80FF0000, 0xFF0A141E,
                                              0x400000FF, 0xFF00FF00, 0xFF010203, 0xFFC86432};

// ---- Reading pictures back -----------------------------------------------------

wintest::Pixels Read(const ComPtr<IPicture>& picture) {
    return wintest::BitmapPixels(static_cast<HBITMAP>(wintest::PictureHandle(picture.get())));
}

SHORT TypeOf(const ComPtr<IPicture>& picture) {
    SHORT type = -1;
    EXPECT_EQ(picture->get_Type(&type), S_OK);
    return type;
}

// colour (0xAARRGGBB) over background at its alpha, channel by channel.
COLORREF Blend(uint32_t colour, COLORREF background) {
    const int a = static_cast<int>(colour >> 24);
    const auto mix = [a](int c, int b) { return (c * a + b * (255 - a) + 127) / 255; };
    return RGB(mix((colour >> 16) & 0xFF, GetRValue(background)), mix((colour >> 8) & 0xFF, GetGValue(background)),
               mix(colour & 0xFF, GetBValue(background)));
}

void ExpectNear(COLORREF got, COLORREF want, int tolerance, const std::string& what) {
    EXPECT_NEAR(GetRValue(got), GetRValue(want), tolerance) << what;
    EXPECT_NEAR(GetGValue(got), GetGValue(want), tolerance) << what;
    EXPECT_NEAR(GetBValue(got), GetBValue(want), tolerance) << what;
}

// Points TMP and TEMP at a fresh folder while it lives, so the loader's
// temporary files can be counted.
class TempFolderRedirect : public testsupport::TempDir {
public:
    TempFolderRedirect() {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t old[MAX_PATH] = {};
            saved_.emplace_back(name, ::GetEnvironmentVariableW(name, old, MAX_PATH) ? old : L"");
            ::SetEnvironmentVariableW(name, outside::W(path()).c_str());
        }
    }
    ~TempFolderRedirect() {
        for (const auto& [name, old] : saved_) ::SetEnvironmentVariableW(name, old.empty() ? nullptr : old.c_str());
    }

private:
    std::vector<std::pair<const wchar_t*, std::wstring>> saved_;
};

}  // namespace

TEST(PictureSupport, ColoursTranslateAndBecomeArgb) {
    const struct {
        uint32_t colour;
        COLORREF rgb;
    } translations[] = {
        {0x8000000F, ::GetSysColor(COLOR_BTNFACE)},
        {0x80000005, ::GetSysColor(COLOR_WINDOW)},
        {0x80000012, ::GetSysColor(COLOR_BTNTEXT)},
        {0x00123456, 0x00123456},
        {0x00000000, 0x00000000},
        {0x00FFFFFF, 0x00FFFFFF},
    };
    for (const auto& t : translations)
        EXPECT_EQ(outside::esTranslateColor(t.colour, nullptr), t.rgb) << std::hex << t.colour;
    EXPECT_EQ(ErrorOf([] { outside::esTranslateColor(0x7F000000u, nullptr); }).Number(), outside::kErrInvalidCall);

    const std::pair<uint32_t, uint32_t> argb[] = {
        {0x00000000, 0xFF000000}, {0x000000FF, 0xFFFF0000}, {0x0000FF00, 0xFF00FF00},
        {0x00FF0000, 0xFF0000FF}, {0x00123456, 0xFF563412}, {0x00FFFFFF, 0xFFFFFFFF},
    };
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
        EXPECT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        // Handles are 32 bits wide inside OLE pictures.
        EXPECT_EQ(HandleToULong(wintest::PictureHandle(picture.get())), HandleToULong(bitmap));
        EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the last reference gone, the bitmap is gone with it";
    EXPECT_EQ(ErrorOf([] { outside::asGetBitmapFromHandle(nullptr); }).Number(), outside::kErrInvalidCall);
}

TEST(Pictures, AlphaPngIsBlendedOntoTheBackground) {
    const std::string png = MakePng(4, 2, kTestPngPixels);
    const std::pair<uint32_t, COLORREF> backgrounds[] = {
        {kButtonFace, ::GetSysColor(COLOR_BTNFACE)}, {0x0000FF00, RGB(0, 255, 0)}, {0x00804020, RGB(0x20, 0x40, 0x80)}};
    for (const auto& [backColor, background] : backgrounds) {
        SCOPED_TRACE(std::to_string(backColor));
        ComPtr<IPicture> picture = modLoadResPictureByData::LoadPictureFromBytes(png, backColor);
        ASSERT_TRUE(picture);
        EXPECT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        const wintest::Pixels px = Read(picture);
        ASSERT_EQ(std::pair(px.width, px.height), std::pair(4, 2));
        for (int i = 0; i < 8; ++i) {
            const uint32_t alpha = kTestPngPixels[static_cast<size_t>(i)] >> 24;
            // Fully transparent and fully opaque pixels are exact; partial ones within rounding.
            ExpectNear(px.Rgb(i % 4, i / 4), Blend(kTestPngPixels[static_cast<size_t>(i)], background),
                       alpha == 0 || alpha == 255 ? 0 : 2, "pixel " + std::to_string(i));
            EXPECT_EQ(px.At(i % 4, i / 4) >> 24, 0xFFu) << "pixel " << i << " is not opaque";
        }
    }
}

TEST(Pictures, ProgramPngResourcesLoadOnButtonFace) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (const char* name : {"IDP_LOCAL_SETTINGS", "IDP_GLOBAL_SETTINGS", "IDP_SHOW_LOGS", "IDP_MAKE_TRANSPARENT",
                             "IDP_EXIT", "IDP_NEW_SESSION", "IDP_OPEN_SESSION"}) {
        SCOPED_TRACE(name);
        ComPtr<IPicture> picture;
        ASSERT_NO_THROW(picture = modLoadResPictureByData::LoadResPictureByData(name, "PNG_PICTURES", kButtonFace));
        ASSERT_TRUE(picture);
        ASSERT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        const wintest::Pixels px = Read(picture);
        ASSERT_EQ(std::pair(px.width, px.height), std::pair(32, 32));
        // The corners are fully transparent in every picture.
        for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(px.Rgb(x, y), face);
        int seeThrough = 0;
        for (uint32_t p : px.argb) seeThrough += (p >> 24) != 0xFF ? 1 : 0;
        EXPECT_EQ(seeThrough, 0) << "pixels that are not opaque";
    }
    // Opaque pixels keep their colour; a quarter-opaque one is a blend, not a
    // one-bit mask (what Wine's standard loader would give).
    const auto centre = [](const char* name, uint32_t backColor) {
        return Read(modLoadResPictureByData::LoadResPictureByData(name, "PNG_PICTURES", backColor)).Rgb(16, 16);
    };
    EXPECT_EQ(centre("IDP_EXIT", kButtonFace), RGB(34, 46, 72));
    ExpectNear(centre("IDP_LOCAL_SETTINGS", 0), Blend(0x404B87D7, 0), 2, "IDP_LOCAL_SETTINGS at 16,16 on black");

    EXPECT_EQ(ErrorOf([] {
                  modLoadResPictureByData::LoadResPictureByData("IDP_NO_SUCH_PICTURE", "PNG_PICTURES", kButtonFace);
              }).Number(),
              outside::ErrorNumberFromWin32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Pictures, StandardFormatsLoadWithoutStartingGdiPlus) {
    support::csGDIPlusToken::ReleaseShared();
    ASSERT_EQ(support::csGDIPlusToken::SharedIfStarted(), nullptr);
    const struct {
        const char* name;
        std::string bytes;
        int width, height;
        COLORREF colour;
    } cases[] = {
        {"BMP", MakeBmp(6, 3, RGB(12, 200, 99)), 6, 3, RGB(12, 200, 99)},
        {"GIF", kRedGif, 1, 1, RGB(255, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IPicture> picture = modLoadResPictureByData::LoadPictureFromBytes(c.bytes, kButtonFace);
        ASSERT_TRUE(picture);
        ASSERT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        const wintest::Pixels px = Read(picture);
        EXPECT_EQ(std::pair(px.width, px.height), std::pair(c.width, c.height));
        EXPECT_EQ(px.Rgb(0, 0), c.colour);
        EXPECT_EQ(px.Rgb(c.width - 1, c.height - 1), c.colour);
        EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), nullptr) << "GDI+ was started";
    }

    // A PNG is what starts it; a second load shares the one token.
    modLoadResPictureByData::LoadPictureFromBytes(MakePng(4, 2, kTestPngPixels), kButtonFace);
    const auto* first = support::csGDIPlusToken::SharedIfStarted();
    ASSERT_NE(first, nullptr);
    const ULONG_PTR token = first->Token();
    EXPECT_NE(token, 0u);
    modLoadResPictureByData::LoadResPictureByData("IDP_EXIT", "PNG_PICTURES", kButtonFace);
    EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), first);
    EXPECT_EQ(first->Token(), token);
}

TEST(Pictures, TemporaryFileIsGoneAfterSuccessAndFailure) {
    const std::string png = MakePng(4, 2, kTestPngPixels);
    const struct {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"PNG through GDI+", png, true},
        {"BMP through the standard loader", MakeBmp(2, 2, RGB(1, 2, 3)), true},
        {"no picture at all", "this is plain text, not a picture", false},
        {"a PNG cut short", png.substr(0, 40), false},
        {"no bytes", "", false},
    };
    TempFolderRedirect temp;
    // The loader's temporary files now land in the redirected folder.
    const std::string probe = outside::esGetTempFileName2({}, "TMP");
    ASSERT_EQ(testsupport::FolderNames(temp.path()), std::vector<std::string>{outside::esGetFileName(probe)});
    outside::RemoveFile(probe);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RuntimeError e =
            ErrorOf([&] { EXPECT_TRUE(modLoadResPictureByData::LoadPictureFromBytes(c.bytes, kButtonFace)); });
        EXPECT_EQ(e.Number(), c.loads ? 0 : support::kErrObjectError) << e.Description();
        EXPECT_TRUE(c.loads || StartsWith(e.Description(), "Can't load bitmap file. ")) << e.Description();
        EXPECT_EQ(testsupport::FolderNames(temp.path()), std::vector<std::string>{});
    }
}

TEST(Pictures, LoadingFromAFileReportsMissingAndBrokenFiles) {
    testsupport::TempDir dir;
    EXPECT_EQ(ErrorOf([&] { modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "missing.png", 0); }).Number(),
              outside::kErrFileNotFound);

    // A PNG that claims a size but has no picture data: GDI+ refuses it.
    std::string broken = MakePng(4, 2, kTestPngPixels);
    broken.replace(broken.size() - 40, 20, std::string(20, 'x'));
    testsupport::WriteRaw(dir / "broken.png", broken);
    const RuntimeError refused = ErrorOf([&] { modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "broken.png", 0); });
    EXPECT_EQ(refused.Number(), support::kErrObjectError);
    EXPECT_TRUE(StartsWith(refused.Description(), "Can't load bitmap file. ")) << refused.Description();

    // A file named .png that holds a BMP goes by its content.
    testsupport::WriteRaw(dir / "really-a-bitmap.png", MakeBmp(3, 3, RGB(9, 8, 7)));
    EXPECT_EQ(Read(modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "really-a-bitmap.png", 0)).Rgb(1, 1), RGB(9, 8, 7));
}

TEST(GDIPlusToken, StartsAndReportsAFailedStart) {
    EXPECT_NE(support::csGDIPlusToken().Token(), 0u);
    const RuntimeError unsupported = ErrorOf([] { support::csGDIPlusToken version99(99); });
    EXPECT_EQ(unsupported.Number(), static_cast<long>(0x80040000u));
    EXPECT_EQ(unsupported.Description(), "Can't initialize GDI+. Unsupported library version");
}
