#pragma once
// The client side of vhid interfaces: listing the sockets of the vhid folder, greeting,
// and a channel that moves reports over one connection.

#include "platform/hid/hid_channel.h"
#include "platform/hid/vhid_wire.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvel::hid::vhidclient {

// A connected socket whose HELLO has arrived; reader holds any bytes that came after it.
struct Session {
    int fd = -1;
    vhid::Hello hello;
    vhid::FrameReader reader;
};

// Connects and waits up to timeoutMs for HELLO. Null when nobody accepts, the greeting
// does not come or cannot be parsed.
std::optional<Session> Connect(const std::filesystem::path& socket, int timeoutMs);

// True when a server accepts connections on the socket.
bool Accepts(const std::filesystem::path& socket);

// The sockets of a vhid folder, sorted by name; none when the folder is not private.
std::vector<std::filesystem::path> Sockets(const std::filesystem::path& folder);

// A connection shared by every channel of this process on the socket's collections (a new one
// when none is open or the old one's peer went away). Null when Connect fails.
class Connection;
std::shared_ptr<Connection> Share(const std::filesystem::path& socket, int timeoutMs);
const vhid::Hello& HelloOf(const Connection& connection);
// A collection's channel on a shared connection; null when its wake-up event cannot be made.
std::unique_ptr<Channel> MakeChannel(std::shared_ptr<Connection> connection, ReportIdFilter filter);

// A channel on a connection of its own; takes over the session's socket. Null (and the socket
// closed) when the channel's wake-up event cannot be made.
std::unique_ptr<Channel> MakeChannel(Session session, ReportIdFilter filter);

} // namespace orvel::hid::vhidclient
