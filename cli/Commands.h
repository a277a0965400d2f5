// The four commands. Each returns the exit status or throws CliError.
#pragma once

#include "Arguments.h"

namespace cli {

int SendCommand(const Arguments& arguments);
int ReadCommand(const Arguments& arguments);
int FollowCommand(const Arguments& arguments);
int CheckCommand(const Arguments& arguments);

// This client's GUID into modSettings::ClientGuid: made on first use and kept
// in the settings. A store that cannot be written costs a warning, not the command.
void LoadIdentity();

}  // namespace cli
