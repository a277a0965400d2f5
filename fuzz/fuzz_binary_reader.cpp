// The binary reader on any file: it never fails to decide, everything it shows
// is UTF-8, and a message it shows reaches the pane and its RTF intact.
#include "FuzzSupport.h"
#include "app/exchange/MessageFiles.h"
#include "outside/TextFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // What DispatchMessage_Binary does once the file is read, without the file.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::CheckedDisplay display;
    const exchange::DispatchResult result = exchange::ReadBinaryRecord(
        outside::DecodeTextBytes(bytes), "/chat/2024-01-31 13-05-07-042 {A}.ZPMF", display, "{MINE}");
    fuzz::CheckReading(result, display);
    return 0;
}
