// The POSIX settings file: any file parses, what the parser read is written
// back so that it reads the same, and a value stored under any section and
// key reads back exactly without disturbing the others.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "outside/posix/SettingsIni.h"

using namespace outside::ini;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(40);
    const std::string key = in.ConsumeRandomLengthString(60);
    const std::string value = in.ConsumeRandomLengthString(100);
    const std::string file = in.ConsumeRemainingBytesAsString();

    Document doc = Parse(file);
    fuzz::Require(Parse(Serialize(doc)) == doc, "a parsed file does not read back the same");

    Document before = doc;
    Put(doc, section, key, TextValue(value));
    Document after = Parse(Serialize(doc));
    Section* s = FindSection(after, section);
    fuzz::Require(s != nullptr, "a written section is missing");
    Entry* e = FindEntry(*s, key);
    fuzz::Require(e != nullptr, "a written key is missing");
    fuzz::Require(ReadTextValue(e->value) == value, "a written text does not read back");
    // Everything else is where it was.
    for (Section& old : before)
        for (const Entry& entry : old.entries) {
            if (old.name == section && entry.key == key) continue;
            Section* now = FindSection(after, old.name);
            fuzz::Require(now && FindEntry(*now, entry.key) && FindEntry(*now, entry.key)->value == entry.value,
                          "a write disturbed another key");
        }
    return 0;
}
