// The stream form of a blinker control's properties, as bytes: portable, so
// that the parser is fuzzed natively and the control library only moves bytes
// between it and an IStream.
//
// Little-endian: "FLKB", version (uint32 = 1), byte length of the body
// (uint32); the body: entry count (uint32); each entry: name length in UTF-16
// units (uint32), the name, type (uint16: 11 boolean, 3 integer, 8 text,
// 13 object), then a boolean int16 / an integer int32 / a text length +
// UTF-16 / an object byte count (uint32) + the object's saved form (its class
// identifier first, then its own data).
//
// Everything in a stream is untrusted: no length is believed beyond the bytes
// that are really there, and an object entry is kept only when its class is
// the standard picture, the one kind of object a control stores.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace flickon::stream {

enum class EntryType : uint16_t { Long = 3, Text = 8, Bool = 11, Object = 13 };

struct Entry {
    std::u16string name;
    EntryType type = EntryType::Long;
    int32_t number = 0;           // Bool (0 or -1) and Long
    std::u16string text;          // Text
    std::vector<uint8_t> object;  // Object: class identifier, then the object's data

    friend bool operator==(const Entry&, const Entry&) = default;
};

inline constexpr size_t kHeaderBytes = 12;
inline constexpr uint32_t kMaxEntries = 64;
inline constexpr uint32_t kMaxNameChars = 256;
inline constexpr uint32_t kMaxTextChars = 1u << 20;
inline constexpr uint32_t kMaxBodyBytes = 64u << 20;

// The standard picture's class identifier {0BE35204-8F91-11CE-9DE3-00AA004BB851}
// as it lies in a stream.
extern const uint8_t kPictureClassBytes[16];

// The body length a header announces; nullopt when the bytes are not our
// header or announce more than kMaxBodyBytes.
std::optional<uint32_t> ParseHeader(std::span<const uint8_t> header);

// The entries of a body. A damaged entry ends the reading (the entries before
// it count; each property stands on its own); an object entry of any class but
// the picture is left out, and reading goes on behind it.
std::vector<Entry> ParseBody(std::span<const uint8_t> body);

// Header and body of entries, as ParseHeader and ParseBody read them back.
std::vector<uint8_t> WriteStream(const std::vector<Entry>& entries);

bool IsPictureObject(std::span<const uint8_t> object);

}  // namespace flickon::stream
