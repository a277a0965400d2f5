// The two debug lines of a control's life, caught as a debugger sees them
// (OutputDebugString raises them as exceptions first).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestHost.h"

namespace flktest {
namespace {

std::string* g_lines = nullptr;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (!g_lines || record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C) {
        *g_lines += reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    } else if (record.ExceptionCode == 0x4001000A) {  // DBG_PRINTEXCEPTION_WIDE_C; the lines are ASCII
        for (auto* text = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]); *text; ++text)
            g_lines->push_back(static_cast<char>(*text));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(DebugLines, CreationAndDestructionNameTheControlWindow) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        std::string lines;
        g_lines = &lines;
        PVOID handler = ::AddVectoredExceptionHandler(1, &CatchDebugOutput);
        HWND window = nullptr;
        {
            HostedControl c(*kind.clsid, true);
            c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&window);
        }
        ::RemoveVectoredExceptionHandler(handler);
        g_lines = nullptr;
        ASSERT_TRUE(window);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
        EXPECT_NE(lines.find(std::string("Flickon::Initialize() ==> hWnd = ") + hex), std::string::npos) << lines;
        EXPECT_NE(lines.find(std::string("Flackon::Terminate() ==> hWnd = ") + hex), std::string::npos) << lines;
    }
}

}  // namespace
}  // namespace flktest
