#pragma once
// Linux hidraw nodes: listing them with libudev, learning their ids and report
// descriptors from sysfs (readable without access to the node), and channels over the node.

#include "platform/hid/hid_channel.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::hid::hidraw {

struct Node {
    std::string devnode; // "/dev/hidraw3"
    InterfaceInfo info;
};

// Every hidraw node with its interface facts; false when udev could not be asked.
bool EnumerateNodes(std::vector<Node>& nodes);

// The facts of one node, looked up by its device file.
std::optional<InterfaceInfo> Describe(const std::string& devnode);

// Parses a HID_ID property ("0003:0000320F:0000221C") into vendor and product.
bool ParseHidId(std::string_view hidId, uint16_t& vendorId, uint16_t& productId);
// Reads a sysfs number written in hexadecimal ("01\n", "0100"); fallback when it is not one.
uint32_t ParseHexAttribute(const char* text, uint32_t fallback);

// Opens the node with the access asked for. usesReportIds tells whether the node's reports
// start with their id; when not, the channel adds the 0 byte the program expects.
std::unique_ptr<Channel> OpenChannel(const std::string& devnode, bool forRead, bool forWrite,
                                     ReportIdFilter filter, bool usesReportIds);

// A channel over an open descriptor that behaves as a hidraw node (one report per read);
// takes over fd. Null (and fd closed) when the channel's wake-up event cannot be made.
std::unique_ptr<Channel> MakeChannel(int fd, ReportIdFilter filter, bool usesReportIds);

} // namespace orvel::hid::hidraw
