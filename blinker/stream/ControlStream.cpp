#include "ControlStream.h"

#include <algorithm>
#include <cstring>

namespace flickon::stream {

const uint8_t kPictureClassBytes[16] = {0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                                        0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};

namespace {

constexpr uint8_t kMagic[4] = {'F', 'L', 'K', 'B'};
constexpr uint32_t kVersion = 1;

struct Damaged {};

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::span<const uint8_t> Take(size_t size) {
        if (size > bytes_.size() - at_) throw Damaged{};
        const auto piece = bytes_.subspan(at_, size);
        at_ += size;
        return piece;
    }
    uint32_t U32() { return Little(Take(4)); }
    uint16_t U16() { return static_cast<uint16_t>(Little(Take(2))); }
    std::u16string Text(uint32_t maxChars) {
        const uint32_t count = U32();
        if (count > maxChars) throw Damaged{};
        const auto raw = Take(size_t{count} * 2);  // checked against what is there before anything is made
        std::u16string text(count, u'\0');
        for (uint32_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
        return text;
    }

private:
    static uint32_t Little(std::span<const uint8_t> b) {
        uint32_t v = 0;
        for (size_t i = b.size(); i-- > 0;) v = (v << 8) | b[i];
        return v;
    }

    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    for (const char16_t c : text) PutU16(out, static_cast<uint16_t>(c));
}

}  // namespace

bool IsPictureObject(std::span<const uint8_t> object) {
    return object.size() >= sizeof kPictureClassBytes &&
           std::equal(kPictureClassBytes, kPictureClassBytes + sizeof kPictureClassBytes, object.begin());
}

std::optional<uint32_t> ParseHeader(std::span<const uint8_t> header) {
    if (header.size() < kHeaderBytes || !std::equal(kMagic, kMagic + 4, header.begin())) return std::nullopt;
    Reader reader(header.subspan(4));
    if (reader.U32() != kVersion) return std::nullopt;
    const uint32_t length = reader.U32();
    if (length > kMaxBodyBytes) return std::nullopt;
    return length;
}

std::vector<Entry> ParseBody(std::span<const uint8_t> body) {
    std::vector<Entry> entries;
    Reader reader(body);
    try {
        const uint32_t count = reader.U32();
        if (count > kMaxEntries) return entries;
        for (uint32_t i = 0; i < count; ++i) {
            Entry e;
            e.name = reader.Text(kMaxNameChars);
            e.type = static_cast<EntryType>(reader.U16());
            switch (e.type) {
                case EntryType::Bool:
                    e.number = static_cast<int16_t>(reader.U16()) != 0 ? -1 : 0;
                    break;
                case EntryType::Long:
                    e.number = static_cast<int32_t>(reader.U32());
                    break;
                case EntryType::Text:
                    e.text = reader.Text(kMaxTextChars);
                    break;
                case EntryType::Object: {
                    const auto object = reader.Take(reader.U32());
                    if (!IsPictureObject(object)) continue;  // another class: this property takes its default
                    e.object.assign(object.begin(), object.end());
                    break;
                }
                default:
                    return entries;
            }
            entries.push_back(std::move(e));
        }
    } catch (const Damaged&) {
        // keep what was read
    }
    return entries;
}

std::vector<uint8_t> WriteStream(const std::vector<Entry>& entries) {
    std::vector<uint8_t> body;
    PutU32(body, static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        PutText(body, e.name);
        PutU16(body, static_cast<uint16_t>(e.type));
        switch (e.type) {
            case EntryType::Bool: PutU16(body, static_cast<uint16_t>(e.number ? -1 : 0)); break;
            case EntryType::Long: PutU32(body, static_cast<uint32_t>(e.number)); break;
            case EntryType::Text: PutText(body, e.text); break;
            case EntryType::Object:
                PutU32(body, static_cast<uint32_t>(e.object.size()));
                body.insert(body.end(), e.object.begin(), e.object.end());
                break;
        }
    }
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    PutU32(out, kVersion);
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace flickon::stream
