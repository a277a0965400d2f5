// The custom-colour list of the settings: any text reads as sixteen colours
// that are written so that they read back the same, and any sixteen colours
// read back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "app/support/CustomColorsText.h"

using namespace support;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    CustomColors chosen;
    for (uint32_t& colour : chosen) colour = in.ConsumeIntegral<uint32_t>() & 0xFFFFFF;
    fuzz::Require(ParseCustomColors(FormatCustomColors(chosen)) == chosen, "written colours do not read back");

    const CustomColors read = ParseCustomColors(in.ConsumeRemainingBytesAsString());
    for (const uint32_t colour : read) fuzz::Require(colour <= 0xFFFFFF, "a colour with a high byte");
    fuzz::Require(ParseCustomColors(FormatCustomColors(read)) == read, "read colours do not survive a write");
    return 0;
}
