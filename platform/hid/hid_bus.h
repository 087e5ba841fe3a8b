#pragma once
// The HID interfaces of the system, hidraw nodes and vhid sockets together: one path per
// top-level collection, opening a path, and the presence check of the scan thread.

#include "platform/hid/hid_channel.h"
#include "platform/hid/report_descriptor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::hid {

// The paths of one interface at a location: a single path without "&col" when the
// descriptor has one top-level collection, else one "&colNN" path per collection.
std::vector<std::string> CollectionPaths(std::string_view location, const InterfaceInfo& info, size_t collectionCount);

// Appends the path of every present interface: hidraw nodes, then the vhid folder's sockets.
// False only when the system's list could not be read; an unusable socket or node is skipped.
bool EnumeratePaths(std::vector<std::string>& paths);

struct OpenedCollection {
    InterfaceInfo info;
    ReportDescriptor descriptor;
    size_t collection = 0;               // index into descriptor.collections
    std::unique_ptr<Channel> channel;    // null when opened with no access rights
};

// Opens the collection a path names. With neither read nor write only the facts are
// gathered (what a handle without access rights allows). Null when the interface is gone,
// its descriptor is malformed, or the path names no collection of it.
std::optional<OpenedCollection> OpenPath(const std::string& path, bool forRead, bool forWrite);

// The scan thread's presence check: the interface a path names is still there.
bool IsPresent(const std::string& path);

} // namespace orvel::hid
