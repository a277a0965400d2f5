// The Flickon0100 suite's entry point. Every run starts in a fresh Wine
// prefix, so the library is registered with regsvr32 before the tests (as an
// installer would) and unregistered after them.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "TestHost.h"

namespace {

class RegisteredLibrary : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(flktest::RunRegsvr32(L"/s"), 0u) << "regsvr32 could not register the library"; }
    void TearDown() override { flktest::RunRegsvr32(L"/s /u"); }
};

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RegisteredLibrary);
    const int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
