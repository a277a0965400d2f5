// The binary reader on any file: it never fails to decide, everything it shows
// is UTF-8, and a message it shows reaches the pane and its RTF intact.
#include "FuzzSupport.h"
#include "app/exchange/MessageFiles.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path =
        fuzz::WriteScratch("2024-01-31 13-05-07-042 {A}.ZPMF", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::CheckedDisplay display;
    const exchange::DispatchResult result = exchange::DispatchMessage_Binary(path, display, "{MINE}");
    fuzz::Require(result != exchange::DispatchResult::Retry, "a readable file was left for later");
    fuzz::Require(result == exchange::DispatchResult::Processed ? display.shown.messages == 1
                                                                 : display.shown.notices == 1,
                  "the result and what was shown disagree");
    fuzz::CheckPane(display.pane);
    return 0;
}
