#pragma once
// A device's memory as text a user or a test can read: settings blocks, key table, macro and
// shoot images, LED picture, information record and power state.

#include "sim/devices/firmware.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

// Sections: "settings", "keys", "macros", "shoot", "leds", "info", "power", "all".
const std::vector<std::string_view>& DescribeSections();
// The text of one section; empty when the section name is unknown.
std::string Describe(const Firmware& device, std::string_view section);

// One received command report as a line: the path, the request's bytes in hexadecimal up to
// its last non-zero byte (bytes 0..7 at least; the rest of the 64 are zero), then "->" and the
// status its answer carried, or "-" when none went back.
std::string ReceivedFrameText(const ReceivedFrame& frame);

// The DPI the mouse stands for at a level: step s, lowest m, and above level 48 steps of 200
// for the 0x3325 sensor.
int MouseDpiOfLevel(int level, int step, int lowest, int sensor);

} // namespace orvel::sim
