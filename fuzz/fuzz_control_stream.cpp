// The blinker control's stream format: any bytes parse without reading past
// them, no entry claims more than the input holds, only picture objects come
// through, and what was read is written so that it reads back the same.
#include <numeric>

#include "FuzzSupport.h"
#include "blinker/stream/ControlStream.h"

using namespace flickon::stream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    std::vector<Entry> entries;
    if (const auto length = ParseHeader(bytes)) {
        if (*length > size - kHeaderBytes) return 0;  // the control refuses a stream shorter than its header says
        entries = ParseBody(bytes.subspan(kHeaderBytes, *length));
    } else {
        entries = ParseBody(bytes);
    }
    size_t held = 0;
    for (const Entry& e : entries) {
        held += e.name.size() * 2 + e.text.size() * 2 + e.object.size();
        if (e.type == EntryType::Object) fuzz::Require(IsPictureObject(e.object), "an object that is no picture");
    }
    fuzz::Require(held <= size, "entries hold more than the stream did");
    fuzz::Require(entries.size() <= kMaxEntries, "too many entries");

    const std::vector<uint8_t> written = WriteStream(entries);
    const auto length = ParseHeader(written);
    fuzz::Require(length && *length == written.size() - kHeaderBytes, "a written header does not read back");
    fuzz::Require(ParseBody(std::span(written).subspan(kHeaderBytes)) == entries, "written entries do not read back");
    return 0;
}
