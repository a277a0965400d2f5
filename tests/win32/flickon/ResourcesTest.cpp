// The bitmaps the library carries and its version block (the picture of the
// Fanservice page and the type library are checked where they are used).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

TEST(Resources, BitmapsHaveTheirSizesAndDepth) {
    const struct {
        const wchar_t* name;
        int width, height;
    } rows[] = {{L"BACK", 38, 38}, {L"BACK2", 38, 38}, {MAKEINTRESOURCEW(30000), 16, 15},
                {MAKEINTRESOURCEW(30001), 16, 15}};
    outside::UniqueModule library(
        ::LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(library);
    for (const auto& row : rows) {
        SCOPED_TRACE(IS_INTRESOURCE(row.name) ? std::to_string(reinterpret_cast<uintptr_t>(row.name)) : "named");
        outside::UniqueGdiObject bitmap(::LoadImageW(library.get(), row.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        DIBSECTION info{};
        ASSERT_TRUE(bitmap && ::GetObjectW(bitmap.get(), sizeof info, &info));
        EXPECT_EQ(info.dsBm.bmWidth, row.width);
        EXPECT_EQ(info.dsBm.bmHeight, row.height);
        EXPECT_EQ(info.dsBm.bmBitsPixel, 24);
    }
}

TEST(Resources, VersionBlockMarksTheFileSelfRegistering) {
    const std::wstring path = LibraryPath();
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000005u);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"1.00.0005"}, {L"ProductVersion", L"1.00.0005"}, {L"OLESelfRegister", L""}};
    for (const auto& [name, expected] : strings) {
        void* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(block.data(), key.c_str(), &value, &length)) << key;
        EXPECT_EQ(length ? std::wstring(static_cast<const wchar_t*>(value)) : L"", expected) << key;
    }
}

}  // namespace
}  // namespace flktest
