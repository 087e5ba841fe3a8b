#pragma once
// orvelctl, the command line of VARNO Orvel 80: every command runs in-process through Run, so
// tests can call it with their own streams, HID services and instance check.

#include "devicelink/device_scan.h"
#include "tools/orvelctl/exit_codes.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace orvel::ctl {

struct Environment {
    IHidProbe* probe = nullptr;              // null: the system's HID interfaces (hidraw and vhid)
    std::function<bool()> windowRunning;     // empty: whether the window's instance holds its mutex
};

// Runs one call (the words after the program name); returns the exit code.
int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const Environment& env = {});

} // namespace orvel::ctl
