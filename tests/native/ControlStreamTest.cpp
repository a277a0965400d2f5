// The blinker control's stream as the library reads it: a bad entry costs only itself, no length is believed.
#include <gtest/gtest.h>

#include "blinker/stream/ControlStream.h"

using namespace flickon::stream;

namespace {

std::vector<uint8_t> Picture() {
    std::vector<uint8_t> bytes(kPictureClassBytes, kPictureClassBytes + 16);
    for (const char c : std::string("lt\0\0\4\0\0\0BM\0\0", 12)) bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

Entry Object(const std::u16string& name, std::vector<uint8_t> bytes) {
    return Entry{name, EntryType::Object, 0, {}, std::move(bytes)};
}

TEST(ControlStream, OnlyPicturesComeBackAndEveryOtherEntryStillCounts) {
    std::vector<uint8_t> foreign = Picture();
    foreign[0] ^= 0xFF;  // another class: the loader would create whatever it names
    const std::vector<Entry> written{Entry{u"Blink", EntryType::Bool, -1, {}, {}},
                                     Object(u"StandardIcon", foreign),
                                     Entry{u"Interval", EntryType::Long, 4321, {}, {}},
                                     Object(u"BlinkIcon1", Picture()),
                                     Object(u"BlinkIcon2", {}),
                                     Entry{u"DevoteTo", EntryType::Text, 0, u"Посвящается {}", {}}};
    const std::vector<uint8_t> stream = WriteStream(written);
    ASSERT_EQ(ParseHeader(stream), stream.size() - kHeaderBytes);
    const std::vector<Entry> read = ParseBody(std::span(stream).subspan(kHeaderBytes));
    std::vector<std::u16string> names;
    for (const Entry& e : read) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Blink", u"Interval", u"BlinkIcon1", u"DevoteTo"}));
    EXPECT_EQ(read[0].number, -1) << "True";
    EXPECT_EQ(read[1].number, 4321);
    EXPECT_EQ(read[2].object, Picture());
    EXPECT_EQ(read[3].text, u"Посвящается {}");
}

TEST(ControlStream, LengthsBeyondTheBytesThereEndTheReadingWithoutTakingMemory) {
    const std::vector<uint8_t> stream =
        WriteStream({Entry{u"Interval", EntryType::Long, 99, {}, {}}, Object(u"BlinkIcon1", Picture())});
    // The second entry's name length, then its object length: ~32 MiB claimed, a few bytes there.
    const size_t second = kHeaderBytes + 4 + 4 + 16 + 2 + 4;
    for (const size_t at : {second, second + 4 + 20 + 2}) {
        std::vector<uint8_t> damaged = stream;
        damaged[at] = damaged[at + 1] = damaged[at + 2] = 0xFF;
        damaged[at + 3] = 0x01;
        EXPECT_EQ(ParseBody(std::span(damaged).subspan(kHeaderBytes)).size(), 1u)
            << "the entry before the damage at " << at << " still counts";
    }
    std::vector<uint8_t> header(stream.begin(), stream.begin() + kHeaderBytes);
    header[11] = 0x04;
    EXPECT_FALSE(ParseHeader(header)) << "a body past the largest is not believed";
    EXPECT_FALSE(ParseHeader(std::vector<uint8_t>{'F', 'L', 'K', 'B', 2, 0, 0, 0, 0, 0, 0, 0})) << "another version";
}

}  // namespace
