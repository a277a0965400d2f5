// Pictures through the standard loader and GDI+: alpha PNGs blended onto the
// background, standard formats without GDI+, temporary files that never stay,
// and the errors with their numbers and texts. Real GDI+, real OLE pictures.
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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
#include "WindowTestSupport.h"

using outside::ComPtr;
using outside::RuntimeError;
using testsupport::ErrorOf;
using testsupport::StartsWith;

namespace {

constexpr uint32_t kButtonFace = 0x8000000F;

// ---- Picture files made here, byte by byte ---------------------------------

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    PutBig32(png, Crc32(body));
}

struct Rgba {
    uint8_t r, g, b, a;
};

// A 32-bit RGBA PNG (zlib "stored" blocks: no compressor needed).
std::string MakePng(int width, int height, const std::vector<Rgba>& pixels) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y * width + x)];
            raw += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b), static_cast<char>(p.a)};
        }
    }
    std::string zlib = "\x78\x01";
    zlib += '\x01';  // one final stored block (small pictures only)
    const uint16_t len = static_cast<uint16_t>(raw.size());
    zlib += {static_cast<char>(len & 0xFF), static_cast<char>(len >> 8), static_cast<char>(~len & 0xFF),
             static_cast<char>((~len >> 8) & 0xFF)};
    zlib += raw;
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(zlib, (b << 16) | a);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header += {8, 6, 0, 0, 0};  // 8 bits, RGBA, deflate, no filter set, not interlaced
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

void PutLittle(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 24-bit bottom-up BMP file of one colour.
std::string MakeBmp(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    std::string bmp = "BM";
    PutLittle(bmp, static_cast<uint32_t>(54 + stride * height), 4);
    PutLittle(bmp, 0, 4);
    PutLittle(bmp, 54, 4);
    PutLittle(bmp, 40, 4);
    PutLittle(bmp, static_cast<uint32_t>(width), 4);
    PutLittle(bmp, static_cast<uint32_t>(height), 4);
    PutLittle(bmp, 1, 2);
    PutLittle(bmp, 24, 2);
    PutLittle(bmp, 0, 4);
    PutLittle(bmp, static_cast<uint32_t>(stride * height), 4);
    PutLittle(bmp, 2835, 4);
    PutLittle(bmp, 2835, 4);
    PutLittle(bmp, 0, 4);
    PutLittle(bmp, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bmp += {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                    static_cast<char>(GetRValue(colour))};
        bmp.append(static_cast<size_t>(stride - width * 3), '\0');
    }
    return bmp;
}

// A 1 x 1 GIF whose one pixel is colour 0 of its table: pure red.
std::string MakeRedGif() {
    static const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
                                        0xFF, 0, 0, 0, 0, 0,  // colour table: red, black
                                        ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};
    return std::string(reinterpret_cast<const char*>(gif), sizeof gif);
}

// ---- Reading pictures back -----------------------------------------------------

// A picture's own pixels.
wintest::Pixels Read(const ComPtr<IPicture>& picture) {
    return wintest::BitmapPixels(static_cast<HBITMAP>(wintest::PictureHandle(picture.get())));
}

SHORT TypeOf(const ComPtr<IPicture>& picture) {
    SHORT type = -1;
    EXPECT_EQ(picture->get_Type(&type), S_OK);
    return type;
}

// One channel of colour over background at alpha a (0..255).
int Blend(int colour, int background, int a) { return (colour * a + background * (255 - a) + 127) / 255; }

void ExpectNear(COLORREF got, COLORREF want, int tolerance, const std::string& what) {
    EXPECT_NEAR(GetRValue(got), GetRValue(want), tolerance) << what;
    EXPECT_NEAR(GetGValue(got), GetGValue(want), tolerance) << what;
    EXPECT_NEAR(GetBValue(got), GetBValue(want), tolerance) << what;
}

// Points TMP and TEMP at a fresh folder while it lives, so the loader's
// temporary files can be counted.
class TempFolderRedirect {
public:
    TempFolderRedirect() {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t old[MAX_PATH] = {};
            saved_.push_back(::GetEnvironmentVariableW(name, old, MAX_PATH) ? std::wstring(old) : std::wstring());
            ::SetEnvironmentVariableW(name, outside::W(dir_.path()).c_str());
        }
    }
    ~TempFolderRedirect() {
        ::SetEnvironmentVariableW(L"TMP", saved_[0].empty() ? nullptr : saved_[0].c_str());
        ::SetEnvironmentVariableW(L"TEMP", saved_[1].empty() ? nullptr : saved_[1].c_str());
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data{};
        HANDLE find = ::FindFirstFileW(outside::W(dir_ / "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") names.push_back(outside::U8(name));
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
        return names;
    }
    const std::string& Path() const { return dir_.path(); }

private:
    testsupport::TempDir dir_;
    std::vector<std::wstring> saved_;
};

// A 4 x 2 PNG: transparent, opaque red, half red, opaque dark blue-grey;
// then a quarter-opaque blue and three opaque colours.
const std::vector<Rgba> kTestPngPixels = {
    {0, 0, 0, 0},       {255, 0, 0, 255}, {255, 0, 0, 128}, {10, 20, 30, 255},
    {0, 0, 255, 64},    {0, 255, 0, 255}, {1, 2, 3, 255},   {200, 100, 50, 255},
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
    for (const auto& t : translations) EXPECT_EQ(outside::esTranslateColor(t.colour, nullptr), t.rgb) << std::hex << t.colour;
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
    // The last reference gone, the bitmap is gone with it.
    EXPECT_EQ(::GetObjectType(bitmap), 0u);

    EXPECT_EQ(ErrorOf([] { outside::asGetBitmapFromHandle(nullptr); }).Number(), outside::kErrInvalidCall);
}

TEST(Pictures, AlphaPngIsBlendedOntoTheBackground) {
    const std::string png = MakePng(4, 2, kTestPngPixels);
    const struct {
        uint32_t backColor;
        COLORREF background;
    } cases[] = {
        {kButtonFace, ::GetSysColor(COLOR_BTNFACE)},
        {0x0000FF00, RGB(0, 255, 0)},
        {0x00804020, RGB(0x20, 0x40, 0x80)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.backColor));
        ComPtr<IPicture> picture = modLoadResPictureByData::LoadPictureFromBytes(png, c.backColor);
        ASSERT_TRUE(picture);
        EXPECT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        const wintest::Pixels px = Read(picture);
        ASSERT_EQ(px.width, 4);
        ASSERT_EQ(px.height, 2);
        for (int i = 0; i < 8; ++i) {
            const Rgba& p = kTestPngPixels[static_cast<size_t>(i)];
            const COLORREF want = RGB(Blend(p.r, GetRValue(c.background), p.a), Blend(p.g, GetGValue(c.background), p.a),
                                      Blend(p.b, GetBValue(c.background), p.a));
            // Fully transparent and fully opaque pixels are exact; partial ones within rounding.
            const int tolerance = (p.a == 0 || p.a == 255) ? 0 : 2;
            ExpectNear(px.Rgb(i % 4, i / 4), want, tolerance, "pixel " + std::to_string(i));
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
        ASSERT_EQ(px.width, 32);
        ASSERT_EQ(px.height, 32);
        // The corners are fully transparent in every picture.
        for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(px.Rgb(x, y), face);
        int seeThrough = 0;
        for (uint32_t p : px.argb) seeThrough += (p >> 24) != 0xFF ? 1 : 0;
        EXPECT_EQ(seeThrough, 0) << "pixels that are not opaque";
    }
    // Opaque pixels keep their colour; a quarter-opaque one is a blend, not a
    // one-bit mask (what Wine's standard loader would give).
    ComPtr<IPicture> exit = modLoadResPictureByData::LoadResPictureByData("IDP_EXIT", "PNG_PICTURES", kButtonFace);
    EXPECT_EQ(Read(exit).Rgb(16, 16), RGB(34, 46, 72));
    ComPtr<IPicture> local =
        modLoadResPictureByData::LoadResPictureByData("IDP_LOCAL_SETTINGS", "PNG_PICTURES", 0x00000000);
    ExpectNear(Read(local).Rgb(16, 16), RGB(Blend(75, 0, 64), Blend(135, 0, 64), Blend(215, 0, 64)), 2,
               "IDP_LOCAL_SETTINGS at 16,16 (75,135,215 at alpha 64) on black");

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
        {"GIF", MakeRedGif(), 1, 1, RGB(255, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IPicture> picture = modLoadResPictureByData::LoadPictureFromBytes(c.bytes, kButtonFace);
        ASSERT_TRUE(picture);
        ASSERT_EQ(TypeOf(picture), PICTYPE_BITMAP);
        const wintest::Pixels px = Read(picture);
        EXPECT_EQ(px.width, c.width);
        EXPECT_EQ(px.height, c.height);
        EXPECT_EQ(px.Rgb(0, 0), c.colour);
        EXPECT_EQ(px.Rgb(c.width - 1, c.height - 1), c.colour);
        EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), nullptr) << "GDI+ was started";
    }

    // A PNG is what starts it.
    modLoadResPictureByData::LoadPictureFromBytes(MakePng(4, 2, kTestPngPixels), kButtonFace);
    ASSERT_NE(support::csGDIPlusToken::SharedIfStarted(), nullptr);
    EXPECT_NE(support::csGDIPlusToken::SharedIfStarted()->Token(), 0u);
    // A second load shares the one token.
    const auto* first = support::csGDIPlusToken::SharedIfStarted();
    const ULONG_PTR token = first->Token();
    modLoadResPictureByData::LoadResPictureByData("IDP_EXIT", "PNG_PICTURES", kButtonFace);
    EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted(), first);
    EXPECT_EQ(support::csGDIPlusToken::SharedIfStarted()->Token(), token);
}

TEST(Pictures, TemporaryFileIsGoneAfterSuccessAndFailure) {
    const struct {
        const char* name;
        std::string bytes;
        long error;              // 0: loads
        const char* errorStart;  // description begins so
    } cases[] = {
        {"PNG through GDI+", MakePng(4, 2, kTestPngPixels), 0, ""},
        {"BMP through the standard loader", MakeBmp(2, 2, RGB(1, 2, 3)), 0, ""},
        {"no picture at all", "this is plain text, not a picture", support::kErrObjectError, "Can't load bitmap file. "},
        {"a PNG cut short", MakePng(4, 2, kTestPngPixels).substr(0, 40), support::kErrObjectError,
         "Can't load bitmap file. "},
        {"no bytes", "", support::kErrObjectError, "Can't load bitmap file. "},
    };
    TempFolderRedirect temp;
    // The loader's temporary files now land in the redirected folder.
    const std::string probe = outside::esGetTempFileName2({}, "TMP");
    ASSERT_EQ(temp.Files(), std::vector<std::string>{outside::esGetFileName(probe)});
    outside::RemoveFile(probe);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RuntimeError e =
            ErrorOf([&] { EXPECT_TRUE(modLoadResPictureByData::LoadPictureFromBytes(c.bytes, kButtonFace)); });
        EXPECT_EQ(e.Number(), c.error) << e.Description();
        EXPECT_TRUE(!c.error || StartsWith(e.Description(), c.errorStart)) << e.Description();
        EXPECT_TRUE(temp.Files().empty()) << temp.Files().front();
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
    ComPtr<IPicture> picture = modGDIPlusLoadAndSave::LoadPictureFromFile(dir / "really-a-bitmap.png", 0);
    EXPECT_EQ(Read(picture).Rgb(1, 1), RGB(9, 8, 7));
}

TEST(GDIPlusToken, StartsAndReportsAFailedStart) {
    {
        support::csGDIPlusToken token;
        EXPECT_NE(token.Token(), 0u);
    }
    const RuntimeError unsupported = ErrorOf([] { support::csGDIPlusToken version99(99); });
    EXPECT_EQ(unsupported.Number(), static_cast<long>(0x80040000u));
    EXPECT_EQ(unsupported.Description(), "Can't initialize GDI+. Unsupported library version");
}
