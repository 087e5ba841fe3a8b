#pragma once
// What both sides of platform/ipc share: endpoint file names, socket reads and writes with a
// deadline, and the process's table of windows with an endpoint. Not for callers outside
// platform/ipc*.

#include "platform/ipc.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <sys/un.h>

namespace orvel::ipc::detail {

using Clock = std::chrono::steady_clock;

// An endpoint's file name: "<pid>-<serial>-<class hash>-<title hash>.sock", each hash the
// 64-bit FNV-1a of the UTF-8 text as 16 lower-case hexadecimal digits.
std::string EndpointFileName(long pid, unsigned serial, std::wstring_view className, std::wstring_view title);
std::string TextHash(std::wstring_view text);

struct EndpointName {
    long pid = 0;
    std::string classHash;
    std::string titleHash;
};
std::optional<EndpointName> ParseEndpointFileName(const std::string& name);

// A connected non-blocking socket, or -1 when the peer is gone or does not accept now (with
// until: does not accept before then).
int ConnectTo(const std::filesystem::path& socket, std::optional<Clock::time_point> until = std::nullopt);
bool FillAddress(const std::filesystem::path& path, sockaddr_un& addr);

// Waits for fd to become ready for events until the deadline; while waiting, the calling
// thread keeps handling messages sent to its own windows when pump is set.
bool WaitReady(int fd, short events, Clock::time_point deadline, bool pump);

// How a read or write with a deadline ended.
enum class Io {
    Done,
    Closed,   // the peer closed in order: it read what we wrote and had nothing (more) to say
    Lost,     // the peer is gone, or closed with what we wrote unread: it never saw it whole
    TimedOut, // the deadline passed first
    Failed,   // any other error
};
Io WriteAll(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline);
Io ReadAll(int fd, std::uint8_t* out, std::size_t size, Clock::time_point deadline, bool pump);

// The windows of this process that have an endpoint, and the sender of the message each is
// handling from outside.
struct WindowTable {
    std::mutex mutex;
    std::map<HWND, std::string> endpointOf;               // window -> its endpoint's file name
    std::map<HWND, std::optional<RemoteWindow>> senderOf; // window -> sender of the message being handled
    unsigned serial = 0;
};
WindowTable& Windows();

} // namespace orvel::ipc::detail
