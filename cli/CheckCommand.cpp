// check: what the program's readers make of given message files.
#include "Commands.h"
#include "Platform.h"
#include "Printing.h"
#include "QuilletCli.h"
#include "app/settings/modSettings.h"

namespace cli {
namespace {

const char* ResultName(exchange::DispatchResult result) {
    switch (result) {
        case exchange::DispatchResult::Retry: return "Retry";
        case exchange::DispatchResult::Processed: return "Processed";
        case exchange::DispatchResult::Broken: return "Broken";
    }
    return "?";
}

// "  label:  value", further lines of the value under its first.
std::string Field(const std::string& label, const std::string& value) {
    const std::string indent(11, ' ');
    std::string head = "  " + label + ":";
    head.resize(indent.size(), ' ');
    std::string out = head;
    for (const char c : SafeForTerminal(UnixLineBreaks(value))) {
        out += c;
        if (c == '\n') out += indent;
    }
    return out + "\n";
}

std::string AsText(const DecodedFile& file) {
    std::string out = SafeForTerminal(file.path) + "\n" + Field("result", ResultName(file.result));
    if (file.hasMessage) {
        out += Field("kind", file.kind == exchange::MessageKind::Mine ? "Mine" : "Other");
        out += Field("format", FormatOf(file.path));
        out += Field("time", IsoTime(file.time));
        out += Field("user", file.userName);
        out += Field("client", file.clientGuid.empty() ? "(none)" : file.clientGuid);
        out += Field("text", file.text);
    }
    for (const auto* notices : {&file.systemNotices, &file.debugNotices})
        for (const std::string& notice : *notices) out += Field("notice", notice);
    return out;
}

std::string AsJson(const DecodedFile& file) {
    std::string out = "{\"path\":";
    out += JsonString(file.path);
    out += ",\"result\":";
    out += JsonString(ResultName(file.result));
    if (file.hasMessage) {
        out += ",";
        out += MessageJsonMembers(file, {});  // no chat is open: a copy's path is relative
    }
    out += ",\"notices\":[";
    bool first = true;
    for (const auto* notices : {&file.systemNotices, &file.debugNotices})
        for (const std::string& notice : *notices) {
            if (!first) out += ",";
            out += JsonString(notice);
            first = false;
        }
    out += "]}\n";
    return out;
}

}  // namespace

int CheckCommand(const Arguments& arguments) {
    if (arguments.operands.empty())
        throw CliError(kExitUsage, "quillet-cli check: no file given\n" + UsageLine("check"));
    LoadIdentity();
    bool allProcessed = true;
    for (size_t i = 0; i < arguments.operands.size(); ++i) {
        const DecodedFile file = DecodeMessageFile(arguments.operands[i], modSettings::ClientGuid);
        allProcessed = allProcessed && file.result == exchange::DispatchResult::Processed;
        if (!arguments.json && i > 0 && !WriteStdout("\n")) return OutputFailed();
        if (!WriteStdout(arguments.json ? AsJson(file) : AsText(file))) return OutputFailed();
    }
    return allProcessed ? kExitOk : kExitBadFiles;
}

}  // namespace cli
