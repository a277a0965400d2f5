#include "QuilletCli.h"

#include "Commands.h"
#include "Platform.h"
#include "Printing.h"
#include "app/settings/modSettings.h"
#include "app/support/modFormatVersion.h"
#include "outside/RuntimeError.h"
#include "outside/SettingsStore.h"

namespace cli {

void LoadIdentity() {
    const IdentityLock lock;
    try {
        modSettings::LoadClientGuid();
    } catch (const outside::RuntimeError& e) {
        // The GUID is read (or made) before it is stored: this run still has one.
        ReportError("quillet-cli: this client's GUID cannot be kept in " + outside::SettingsStoreLocation() + ": " +
                    e.Description());
    }
}

int RunCli(const std::vector<std::string>& args) {
    try {
        const Arguments arguments = ParseArguments(args);
        if (arguments.help) return WriteStdout(HelpText(arguments.command)) ? kExitOk : kExitFailed;
        if (arguments.version)
            return WriteStdout(UnixLineBreaks(modFormatVersion::VersionText()) + "\n") ? kExitOk : kExitFailed;
        if (arguments.command == "send") return SendCommand(arguments);
        if (arguments.command == "read") return ReadCommand(arguments);
        if (arguments.command == "follow") return FollowCommand(arguments);
        return CheckCommand(arguments);
    } catch (const CliError& e) {
        ReportError(e.what());
        return e.ExitCode();
    } catch (const outside::RuntimeError& e) {
        ReportError("quillet-cli: " + e.Description());
        return kExitFailed;
    } catch (const std::exception& e) {
        ReportError(std::string("quillet-cli: ") + e.what());
        return kExitFailed;
    }
}

}  // namespace cli
