#include "platform/hid/hid_bus.h"

#include "platform/debuglog.h"
#include "platform/hid/hid_path.h"
#include "platform/hid/hidraw_backend.h"
#include "platform/hid/vhid_client.h"

#include <unistd.h>

namespace orvel::hid {

namespace {

// How long a vhid server may take to greet a new client.
constexpr int kHelloTimeoutMs = 500;

std::optional<ReportDescriptor> ParseFor(const std::string& location, const InterfaceInfo& info)
{
    std::string error;
    auto descriptor = ParseReportDescriptor(info.reportDescriptor, &error);
    if (!descriptor) {
        debuglog::Writef("hid: %s: report descriptor refused: %s", location.c_str(), error.c_str());
    }
    return descriptor;
}

InterfaceInfo InfoFromHello(const vhid::Hello& hello)
{
    InterfaceInfo info;
    info.vendorId = hello.vendorId;
    info.productId = hello.productId;
    info.version = hello.version;
    info.interfaceNumber = hello.interfaceNumber;
    info.reportDescriptor = hello.reportDescriptor;
    return info;
}

// The collection index a path names; nullopt when the descriptor has no such collection.
std::optional<size_t> CollectionIndex(const std::string& path, const ReportDescriptor& descriptor)
{
    const uint32_t col = PathNumber(path, "&col");
    if (col == 0) {
        if (descriptor.collections.size() == 1) {
            return 0;
        }
        return std::nullopt;
    }
    if (col > descriptor.collections.size()) {
        return std::nullopt;
    }
    return col - 1;
}

// The interface must still be the device the path was made for.
bool SameDevice(const std::string& path, const InterfaceInfo& info)
{
    return PathNumber(path, "vid_") == info.vendorId && PathNumber(path, "pid_") == info.productId;
}

} // namespace

std::vector<std::string> CollectionPaths(std::string_view location, const InterfaceInfo& info, size_t collectionCount)
{
    std::vector<std::string> paths;
    if (collectionCount == 1) {
        paths.push_back(std::string(location) + PathSuffix(info.vendorId, info.productId, info.interfaceNumber, 0));
        return paths;
    }
    for (size_t i = 0; i < collectionCount; ++i) {
        paths.push_back(std::string(location)
                        + PathSuffix(info.vendorId, info.productId, info.interfaceNumber, static_cast<uint32_t>(i + 1)));
    }
    return paths;
}

bool EnumeratePaths(std::vector<std::string>& paths)
{
    std::vector<hidraw::Node> nodes;
    if (!hidraw::EnumerateNodes(nodes)) {
        return false;
    }
    for (const hidraw::Node& node : nodes) {
        if (auto descriptor = ParseFor(node.devnode, node.info)) {
            for (auto& path : CollectionPaths(node.devnode, node.info, descriptor->collections.size())) {
                paths.push_back(std::move(path));
            }
        }
    }
    for (const auto& socket : vhidclient::Sockets(vhid::Folder())) {
        auto session = vhidclient::Connect(socket, kHelloTimeoutMs);
        if (!session) {
            continue;
        }
        ::close(session->fd);
        const InterfaceInfo info = InfoFromHello(session->hello);
        const std::string location = std::string(kVhidScheme) + socket.string();
        if (auto descriptor = ParseFor(location, info)) {
            for (auto& path : CollectionPaths(location, info, descriptor->collections.size())) {
                paths.push_back(std::move(path));
            }
        }
    }
    return true;
}

std::optional<OpenedCollection> OpenPath(const std::string& path, bool forRead, bool forWrite)
{
    const std::string location(PathLocation(path));
    OpenedCollection opened;
    // A vhid interface is opened once in the process, as a hidraw node serves all its handles.
    std::shared_ptr<vhidclient::Connection> connection;
    const bool vhidPath = IsVhidPath(location);
    if (vhidPath) {
        const std::filesystem::path socket = location.substr(kVhidScheme.size());
        if (!vhid::FolderIsPrivate(socket.parent_path())) {
            debuglog::Writef("vhid: %s is not in a private folder of this user", socket.c_str());
            return std::nullopt;
        }
        connection = vhidclient::Share(socket, kHelloTimeoutMs);
        if (!connection) {
            return std::nullopt;
        }
        opened.info = InfoFromHello(vhidclient::HelloOf(*connection));
    } else {
        auto info = hidraw::Describe(location);
        if (!info) {
            return std::nullopt;
        }
        opened.info = std::move(*info);
    }
    auto descriptor = ParseFor(location, opened.info);
    const auto collection = descriptor ? CollectionIndex(path, *descriptor) : std::nullopt;
    if (!collection || !SameDevice(path, opened.info)) {
        return std::nullopt;
    }
    opened.descriptor = std::move(*descriptor);
    opened.collection = *collection;
    if (forRead || forWrite) {
        const ReportIdFilter filter(opened.descriptor, opened.collection);
        opened.channel = vhidPath ? vhidclient::MakeChannel(std::move(connection), filter)
                                  : hidraw::OpenChannel(location, forRead, forWrite, filter, opened.descriptor.usesReportIds);
        if (!opened.channel) {
            return std::nullopt;
        }
    }
    return opened;
}

bool IsPresent(const std::string& path)
{
    const std::string location(PathLocation(path));
    if (IsVhidPath(location)) {
        return vhidclient::Accepts(location.substr(kVhidScheme.size()));
    }
    // hidraw numbers are reused: the node must still belong to the same device.
    auto info = hidraw::Describe(location);
    return info && SameDevice(path, *info);
}

} // namespace orvel::hid
