// The resources the library carries and its version block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

outside::UniqueModule OpenAsData() {
    return outside::UniqueModule(
        ::LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

TEST(Resources, BitmapsHaveTheirSizesAndDepth) {
    struct Row {
        const wchar_t* name;
        int width;
        int height;
    };
    const Row rows[] = {
        {L"BACK", 38, 38},
        {L"BACK2", 38, 38},
        {MAKEINTRESOURCEW(30000), 16, 15},
        {MAKEINTRESOURCEW(30001), 16, 15},
    };
    outside::UniqueModule library = OpenAsData();
    ASSERT_TRUE(library);
    for (const Row& row : rows) {
        outside::UniqueGdiObject bitmap(::LoadImageW(library.get(), row.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_TRUE(bitmap) << "bitmap " << (IS_INTRESOURCE(row.name) ? 0 : 1);
        DIBSECTION info{};
        ASSERT_TRUE(::GetObjectW(bitmap.get(), sizeof info, &info));
        EXPECT_EQ(info.dsBm.bmWidth, row.width);
        EXPECT_EQ(info.dsBm.bmHeight, row.height);
        EXPECT_EQ(info.dsBm.bmBitsPixel, 24);
    }
}

TEST(Resources, TrapIsAJpegOfThePagesSize) {
    outside::UniqueModule library = OpenAsData();
    ASSERT_TRUE(library);
    HRSRC found = ::FindResourceW(library.get(), L"TRAP", L"JPEG_PICTURES");
    ASSERT_TRUE(found);
    const DWORD size = ::SizeofResource(library.get(), found);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(library.get(), found)));
    ASSERT_TRUE(bytes);
    ASSERT_GT(size, 3u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    ComPtr<IPicture> picture;
    ASSERT_EQ(::OleLoadPicture(StreamOf(bytes, size).get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.put_void()), S_OK);
    OLE_HANDLE handle = 0;
    ASSERT_EQ(picture->get_Handle(&handle), S_OK);
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 393);
    EXPECT_EQ(info.bmHeight, 295);
}

TEST(Resources, TypeLibraryIsEmbedded) {
    outside::UniqueModule library = OpenAsData();
    ASSERT_TRUE(library);
    EXPECT_TRUE(::FindResourceW(library.get(), MAKEINTRESOURCEW(1), L"TYPELIB"));
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &length)) return L"<missing>";
    return length ? std::wstring(static_cast<const wchar_t*>(value)) : std::wstring();
}

TEST(Resources, VersionBlockMarksTheFileSelfRegistering) {
    const std::wstring path = LibraryPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000005u);
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.00.0005");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.00.0005");
    EXPECT_NE(VersionString(block, L"OLESelfRegister"), L"<missing>");
}

}  // namespace
}  // namespace flktest
