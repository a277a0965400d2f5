// The numbers of the POSIX settings file: any value reads as a number only
// when it is a plain decimal that fits, and any number stored under any
// section and key reads back from the file's text as written, never as a text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdlib>

#include "FuzzSupport.h"
#include "outside/posix/SettingsIni.h"

using namespace outside::ini;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int32_t number = in.ConsumeIntegral<int32_t>();
    const std::string section = in.ConsumeRandomLengthString(20);
    const std::string key = in.ConsumeRandomLengthString(20);
    const std::string value = in.ConsumeRemainingBytesAsString();

    // What a hand-edited file may hold: strtoll is the judge of a decimal.
    const std::optional<int32_t> read = ReadNumberValue(value);
    const bool decimal = !value.empty() && value.find_first_not_of("0123456789", value[0] == '-') == std::string::npos &&
                         value != "-";
    errno = 0;
    const long long parsed = decimal ? std::strtoll(value.c_str(), nullptr, 10) : 0;
    const bool fits = decimal && errno == 0 && parsed >= INT32_MIN && parsed <= INT32_MAX;
    fuzz::Require(read.has_value() == fits && (!fits || *read == parsed), "a number read otherwise than it stands");

    Document doc = Parse(value);
    Put(doc, section, key, NumberValue(number));
    Document again = Parse(Serialize(doc));
    Section* s = FindSection(again, section);
    Entry* e = s ? FindEntry(*s, key) : nullptr;
    fuzz::Require(e && ReadNumberValue(e->value) == number && !ReadTextValue(e->value), "a stored number changed");
    return 0;
}
