// The window-placement text of the settings: any text is either refused or
// read as a whole rectangle that is written so that it reads back the same;
// any whole rectangle reads back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "outside/SettingsStore.h"

using outside::WindowPlacement;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    WindowPlacement chosen;
    chosen.left = in.ConsumeIntegralInRange<int32_t>(INT32_MIN, INT32_MAX - 1);
    chosen.top = in.ConsumeIntegralInRange<int32_t>(INT32_MIN, INT32_MAX - 1);
    chosen.right = in.ConsumeIntegralInRange<int32_t>(chosen.left + 1, INT32_MAX);
    chosen.bottom = in.ConsumeIntegralInRange<int32_t>(chosen.top + 1, INT32_MAX);
    chosen.maximized = in.ConsumeBool();
    WindowPlacement back;
    fuzz::Require(outside::ParseWindowPlacement(outside::FormatWindowPlacement(chosen), back) && back == chosen,
                  "a written placement does not read back");

    const std::string text = in.ConsumeRemainingBytesAsString();
    WindowPlacement read{1, 2, 3, 4, true};
    const WindowPlacement untouched = read;
    if (!outside::ParseWindowPlacement(text, read)) {
        fuzz::Require(read == untouched, "a refused text changed the placement");
        return 0;
    }
    fuzz::Require(read.right > read.left && read.bottom > read.top, "an empty rectangle was taken");
    fuzz::Require(outside::ParseWindowPlacement(outside::FormatWindowPlacement(read), back) && back == read,
                  "a read placement does not survive a write");
    return 0;
}
