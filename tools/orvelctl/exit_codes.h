#pragma once
// The exit codes of every orvelctl command.

namespace orvel::ctl {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // a device, link or file operation failed or was refused
    kExitUsage = 2,  // the command line is wrong
};

} // namespace orvel::ctl
