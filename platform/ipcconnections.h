#pragma once
// The sending side's connections kept between messages, one set per endpoint. A connection is
// used by one thread at a time: taken out, written on, and given back once it is known to be in
// step with the peer (its frames read, its answers in). Not for callers outside platform/ipc*.

#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>

namespace orvel::ipc::detail {

// Connections kept for one endpoint, and in all; the oldest given back goes first.
inline constexpr std::size_t kKeptPerPeer = 4;
inline constexpr std::size_t kKeptInAll = 16;

struct KeptConnection {
    int fd = -1;
    int unanswered = 0;  // answers of sends that did not wait for them, still to be read
    bool posted = false; // posts were written on it, which the peer does not answer
};

class KeptConnections {
public:
    // A kept connection to the endpoint that is ready for a new frame: every answer owed read
    // here, every post read by the peer. Connections found otherwise are closed on the way.
    // Nothing when none is ready.
    std::optional<KeptConnection> Take(const std::filesystem::path& socket);
    // Keeps a connection whose exchange went through; the oldest beyond the limits are closed.
    void Give(const std::filesystem::path& socket, KeptConnection connection);

private:
    struct Entry {
        std::filesystem::path socket;
        KeptConnection connection;
    };
    std::mutex mutex_;
    std::deque<Entry> kept_; // oldest first
};

KeptConnections& Kept();

} // namespace orvel::ipc::detail
