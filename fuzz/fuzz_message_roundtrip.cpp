// Writer and reader agree: any user name, text and client GUID written as a
// binary or an XML message reads back as written (after the writers have made
// them carriable; the XML reader gives line breaks of the text as CR LF), with
// the same time and the right kind.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "app/exchange/MessageFiles.h"
#include "app/support/modCommon.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    outside::DateTimeRecord time;
    time.year = in.ConsumeIntegralInRange<uint16_t>(1970, 9999);
    time.month = in.ConsumeIntegralInRange<uint16_t>(1, 12);
    time.day = in.ConsumeIntegralInRange<uint16_t>(1, 28);
    time.hour = in.ConsumeIntegralInRange<uint16_t>(0, 23);
    time.minute = in.ConsumeIntegralInRange<uint16_t>(0, 59);
    time.second = in.ConsumeIntegralInRange<uint16_t>(0, 59);
    time.milliseconds = in.ConsumeIntegralInRange<uint16_t>(0, 999);
    const bool xml = in.ConsumeBool();
    const bool mine = in.ConsumeBool();
    const std::string userName = in.ConsumeRandomLengthString(200);
    const std::string guid = mine ? "{MINE}" : in.ConsumeRandomLengthString(60);
    const std::string text = in.ConsumeRemainingBytesAsString();

    fuzz::CheckedDisplay display;
    exchange::DispatchResult result;
    if (xml) {
        const std::string path = fuzz::WriteScratch("m.ZXMF", "");
        std::string step;
        exchange::WriteXmlMessage(path, time, userName, guid, text, step);
        result = exchange::DispatchMessage_XML(path, display, "{MINE}");
    } else {
        const std::string path = fuzz::WriteScratch("m.ZPMF", "");
        exchange::WriteBinaryMessage(path, exchange::BuildBinaryRecord(time, userName, text, guid));
        result = exchange::DispatchMessage_Binary(path, display, "{MINE}");
    }
    fuzz::Require(result == exchange::DispatchResult::Processed && display.shown.messages == 1,
                  "a message we wrote did not read back");
    const auto carried = [&](const std::string& s) {
        return xml ? exchange::CarriableInXml(s) : exchange::CarriableInBinary(s);
    };
    const std::string expectedText = xml ? modCommon::NormalizeLineBreaks(carried(text)) : carried(text);
    fuzz::Require(display.shown.userName == carried(userName), "the user name changed");
    fuzz::Require(display.shown.text == expectedText, "the text changed");
    fuzz::Require(display.shown.senderGuid == carried(guid), "the client GUID changed");
    fuzz::Require(display.shown.time == time, "the time changed");
    const bool shownMine = display.shown.kind == exchange::MessageKind::Mine;
    fuzz::Require(shownMine == (carried(guid) == "{MINE}"), "the kind is wrong");
    return 0;
}
