// The two debug lines of a control's life, caught as a debugger would see
// them (OutputDebugString raises them as exceptions first).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C
std::vector<std::string>* g_lines = nullptr;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (!g_lines || record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C) {
        g_lines->emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    } else if (record.ExceptionCode == kPrintWide) {
        const auto* text = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
        std::string narrow;
        for (; *text; ++text) narrow.push_back(static_cast<char>(*text));  // the lines are ASCII
        g_lines->push_back(narrow);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines) {
        if (line.find(wanted) != std::string::npos) return true;
    }
    return false;
}

TEST(DebugLines, CreationAndDestructionNameTheControlWindow) {
    for (const GUID* clsid : {&flickon::kClsidTorFlickon, &flickon::kClsidTorFlickon2}) {
        std::vector<std::string> lines;
        g_lines = &lines;
        PVOID handler = ::AddVectoredExceptionHandler(1, &CatchDebugOutput);
        HWND window = nullptr;
        {
            HostedControl c(*clsid, true);
            c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&window);
        }
        ::RemoveVectoredExceptionHandler(handler);
        g_lines = nullptr;
        ASSERT_TRUE(window);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
        EXPECT_TRUE(Contains(lines, std::string("Flickon::Initialize() ==> hWnd = ") + hex)) << lines.size();
        EXPECT_TRUE(Contains(lines, std::string("Flackon::Terminate() ==> hWnd = ") + hex)) << lines.size();
    }
}

}  // namespace
}  // namespace flktest
