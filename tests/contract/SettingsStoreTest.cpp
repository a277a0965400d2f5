// The settings store: values and placements come back as written, kept apart by
// section, key and window. Natively in a temporary XDG_CONFIG_HOME; under Wine
// each test writes into sections of its own.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "support/Errors.h"
#ifndef _WIN32
#include "support/ScopedEnv.h"
#endif
#include "support/TempDir.h"

using outside::SettingsStore;
using outside::SettingValue;
using outside::ValueKind;
using outside::WindowPlacement;

namespace {

struct SettingsStoreFixture : ::testing::Test {
    testsupport::TempDir config;
#ifndef _WIN32
    testsupport::ScopedEnv configHome{"XDG_CONFIG_HOME", config.path()};
#endif
    // A section no other test and no real setting uses.
    const std::string unique = "Тест " + outside::esGetNewGUID();
};

}  // namespace

TEST_F(SettingsStoreFixture, EveryKindRoundTripsUnderAnySectionAndKey) {
    const std::string sections[] = {unique, unique + "\\Icon Style\\Tray", unique + "\\Секция [x] = y; #z"};
    const std::string keys[] = {"My GUID", "C:\\Users\\Аня\\Чаты\\Семья=дом.ZPMFChat",
                                "\\\\server\\share\\chat.ZPMFChat", "/home/ann/чат.ZPMFChat", "[looks like a header]",
                                ";comment", "#hash", "  blanks at the edges  ", "100% = \"quoted\""};
    const SettingValue values[] = {std::string(), std::string("Анна Петрова"), std::string("C:\\Temp\\a\\\\b\\"),
                                   std::string("line 1\r\nline 2\ttab"), std::string("  blanks  "),
                                   std::string("\"quoted\" %41 [x] ;y =z"), std::string("nul\0inside", 10),
                                   int32_t{0}, int32_t{-1}, int32_t{INT32_MIN}, int32_t{INT32_MAX},
                                   int32_t{0x00FF0080}, true, false};
    // The kind of each alternative of the value, in the variant's order.
    const ValueKind kinds[] = {ValueKind::String, ValueKind::Long, ValueKind::Boolean};
    const SettingValue otherThan[] = {std::string("default"), int32_t{12345}, false};
    std::vector<std::tuple<std::string, std::string, SettingValue>> stored;
    for (const auto& section : sections)
        for (const auto& key : keys) stored.emplace_back(section, key, values[stored.size() % std::size(values)]);
    SettingsStore writer;
    for (const auto& [section, key, value] : stored) writer.WriteValue(section, key, kinds[value.index()], value);
    // A fresh object, as a later run would make.
    SettingsStore reader;
    for (const auto& [section, key, value] : stored) {
        SettingValue fallback = otherThan[value.index()];
        if (value == fallback) fallback = true;  // the one default that equals a value
        EXPECT_EQ(reader.ReadValue(section, key, kinds[value.index()], fallback), value) << section << " | " << key;
    }
}

// Only the last value of a section and key, of the kind asked for, comes
// back; anything else reads as the default, and a value that does not fit
// its kind is refused.
TEST_F(SettingsStoreFixture, LastValueOfItsKindOrTheDefault) {
    SettingsStore store;
    store.WriteString(unique, "k", "first");
    store.WriteString(unique, "k2", "other key");
    store.WriteString(unique + "\\Nested", "k", "nested section");
    store.WriteString(unique, "k", "второй");
    store.WriteLong(unique, "n", 1);
    store.WriteLong(unique, "n", -2);
    store.WriteBoolean(unique, "b", true);
    store.WriteBoolean(unique, "b", false);
    store.WriteString(unique, "text", "5");
    store.WriteLong(unique, "number", 5);
    store.WriteBoolean(unique, "flag", true);

    SettingsStore later;
    const auto string = [&](const std::string& section, const char* key) {
        return later.ReadString(section, key, "d");
    };
    EXPECT_EQ(string(unique, "k"), "второй");
    EXPECT_EQ(string(unique, "k2"), "other key");
    EXPECT_EQ(string(unique + "\\Nested", "k"), "nested section");
    EXPECT_EQ(later.ReadLong(unique, "n", 0), -2);
    EXPECT_FALSE(later.ReadBoolean(unique, "b", true));
    for (const std::string& section : {unique, unique + "\\never written"}) {
        EXPECT_EQ(string(section, "absent"), "d");
        EXPECT_EQ(later.ReadLong(section, "absent", -7), -7);
        EXPECT_TRUE(later.ReadBoolean(section, "absent", true));
    }
    EXPECT_EQ(string("", unique.c_str()), "d");
    // Another kind reads as the default; Long and Boolean share one kind of storage: a number.
    EXPECT_EQ(later.ReadLong(unique, "text", 7), 7);
    EXPECT_EQ(string(unique, "number"), "d");
    EXPECT_TRUE(later.ReadBoolean(unique, "number", false));
    EXPECT_EQ(later.ReadLong(unique, "flag", 0), 1);

    const auto number = [](auto&& call) { return testsupport::ErrorOf(call).Number(); };
    EXPECT_EQ(number([&] { store.WriteValue(unique, "k3", ValueKind::Long, std::string("5")); }),
              outside::kErrTypeMismatch);
    EXPECT_EQ(number([&] { store.WriteValue(unique, "k3", ValueKind::String, true); }), outside::kErrTypeMismatch);
    EXPECT_EQ(number([&] { store.ReadValue(unique, "k3", ValueKind::Boolean, int32_t{1}); }),
              outside::kErrTypeMismatch);
    EXPECT_EQ(string(unique, "k3"), "d") << "nothing written";
}

// (Kept apart per window and per chat: the Windows placement suite.)
TEST_F(SettingsStoreFixture, PlacementsComeBackAndParseOnlyWhole) {
    const std::string chat = "C:\\Чаты\\" + unique + "\\a.ZPMFChat";
    const WindowPlacement viewer{-1200, 5, -100, 700, true};
    SettingsStore store;
    WindowPlacement got{1, 2, 3, 4, true};
    EXPECT_FALSE(store.RestoreWindowPlacement("", chat, "frmLogs", got));
    EXPECT_EQ(got, (WindowPlacement{1, 2, 3, 4, true})) << "left alone when nothing was stored";
    store.SaveWindowPlacement("", chat, "frmLogs", {0, 0, 5, 5, false});
    store.SaveWindowPlacement("", chat, "frmLogs", viewer);
    store.WriteString("", chat, "a setting");  // placements do not disturb a setting of the same key
    SettingsStore later;
    EXPECT_TRUE(later.RestoreWindowPlacement("", chat, "frmLogs", got));
    EXPECT_EQ(got, viewer);
    EXPECT_EQ(later.ReadString("", chat, ""), "a setting");

    for (const char* bad : {"", "1,2,3,4", "1,2,3,4,1,6", "10,0,5,5,1", "5,0,5,5,1", "0,5,5,5,1", "0,0,5,5,2",
                            "0,0,5,5,1,", "0,0,5,5,x", " 0,0,5,5,1", "0,0,5,5,99999999999"}) {
        WindowPlacement untouched = viewer;
        EXPECT_FALSE(outside::ParseWindowPlacement(bad, untouched)) << '"' << bad << '"';
        EXPECT_EQ(untouched, viewer);
    }
    EXPECT_TRUE(outside::ParseWindowPlacement("0,0,5,5,1", got));
    EXPECT_EQ(got, (WindowPlacement{0, 0, 5, 5, false})) << "a normal window";
}

#ifndef _WIN32

// The file lives under the config folder, and a damaged one is read around
// its bad lines and stays writable.
TEST_F(SettingsStoreFixture, TheFileAndADamagedOne) {
    using namespace std::string_literals;
    SettingsStore store;
    store.WriteLong("Icon Style\\Tray", "/home/ann/a.ZPMFChat", 3);
    EXPECT_EQ(outside::SettingsStoreLocation(), config / "greyfen-works/quillet.ini");
    const std::string text = testsupport::ReadRaw(outside::SettingsStoreLocation());
    EXPECT_NE(text.find("[Icon Style\\Tray]\n/home/ann/a.ZPMFChat=3\n"), std::string::npos) << text;

    testsupport::WriteRaw(outside::SettingsStoreLocation(),
                          "top = \"in the empty section\"\r\n"
                          "a line without an equals sign\n"
                          "[Before]\n"
                          "kept=1\n"
                          "[Broken section\n"
                          "hidden=5\n"
                          "[Good]\r\n"
                          "  n = 42  \r\r\n"
                          "s=\"text\"\n"
                          "bad%=1\n"
                          "badvalue=\"%zz\"\n"
                          "unterminated=\"text\n"
                          "trailing=12abc\n"
                          "huge=99999999999\n"
                          "\xff\xfe\x00junk=\x01\n"
                          "[also %broken]\n"
                          "lost=1\n"s);
    EXPECT_EQ(store.ReadString("", "top", ""), "in the empty section");
    EXPECT_EQ(store.ReadLong("Before", "kept", 0), 1);
    EXPECT_EQ(store.ReadLong("Before", "hidden", -1), -1) << "lines under a broken header stay out of the section above";
    EXPECT_EQ(store.ReadLong("Good", "n", 0), 42);
    EXPECT_EQ(store.ReadString("Good", "s", ""), "text");
    for (const char* key : {"bad%", "badvalue", "unterminated", "trailing", "huge", "lost"}) {
        EXPECT_EQ(store.ReadString("Good", key, "d"), "d") << key;
        EXPECT_EQ(store.ReadLong("Good", key, -1), -1) << key;
    }
    store.WriteLong("Good", "m", 7);
    EXPECT_EQ(store.ReadLong("Good", "m", 0), 7);
    EXPECT_EQ(store.ReadLong("Good", "n", 0), 42);
    EXPECT_EQ(store.ReadString("", "top", ""), "in the empty section");
}

#endif
