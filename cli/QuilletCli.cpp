#include "QuilletCli.h"

#include <new>

#include "Commands.h"
#include "Platform.h"
#include "Printing.h"
#include "SystemReason.h"
#include "QuilletIdentity.h"
#include "app/settings/modSettings.h"
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
                    SystemReason(e));
    }
}

int RunCli(const std::vector<std::string>& args) {
    try {
        const Arguments arguments = ParseArguments(args);
        if (arguments.help) return WriteStdout(HelpText(arguments.command)) ? kExitOk : OutputFailed();
        if (arguments.version)
            return WriteStdout("quillet-cli " QUILLET_VERSION_TEXT "\n"
                               "The terminal companion of Quillet (" QUILLET_PRODUCT_TITLE "), " QUILLET_COMPANY ".\n")
                       ? kExitOk
                       : OutputFailed();
        if (arguments.command == "send") return SendCommand(arguments);
        if (arguments.command == "read") return ReadCommand(arguments);
        if (arguments.command == "follow") return FollowCommand(arguments);
        return CheckCommand(arguments);
    } catch (const CliError& e) {
        ReportError(e.what());
        return e.ExitCode();
    } catch (const outside::RuntimeError& e) {
        ReportError("quillet-cli: " + SystemReason(e));
        return kExitFailed;
    } catch (const std::bad_alloc&) {
        ReportError("quillet-cli: Cannot allocate memory");
        return kExitFailed;
    } catch (const std::exception& e) {
        ReportError(std::string("quillet-cli: ") + e.what());
        return kExitFailed;
    }
}

}  // namespace cli
