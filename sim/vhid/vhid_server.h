#pragma once
// One virtual HID interface: listens on <folder>/<name>.sock, greets every client with HELLO,
// sends input reports to every connected client, and hands what clients send (output
// reports, feature requests) to the device's callbacks. Stop (or destruction) removes the
// socket and drops every client: an unplug.
//
// Callbacks run on the server's own thread, one at a time; they may call SendInput.

#include "platform/hid/vhid_wire.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace orvel::vhid {

struct ServerCallbacks {
    // An output report as the client wrote it (byte 0 the report id).
    std::function<void(const std::vector<uint8_t>& report)> onOutput;
    // The feature report for a report id (byte 0 the id); nullopt answers "failed".
    std::function<std::optional<std::vector<uint8_t>>(uint8_t reportId)> onGetFeature;
    // A feature report the client set (byte 0 the report id).
    std::function<void(const std::vector<uint8_t>& report)> onSetFeature;
};

class Server {
public:
    Server(std::filesystem::path folder, std::string name, Hello hello, ServerCallbacks callbacks = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Creates the folder (0700) when missing, binds the socket (replacing a stale file of
    // that name) and starts serving. False, with nothing left behind, when that fails.
    bool Start();
    // Removes the socket, disconnects every client and ends the thread. Safe to repeat, and
    // from a callback (the device unplugs itself in the middle of a command).
    void Stop();
    bool Running() const { return running_; }

    // Sends one input report (byte 0 the report id) to every connected client; a client
    // that cannot take it is dropped. Returns how many clients received it.
    size_t SendInput(std::span<const uint8_t> report);

    size_t ClientCount() const;
    // Waits until at least count clients are connected; false after timeoutMs.
    bool WaitForClients(size_t count, int timeoutMs) const;

    const std::filesystem::path& SocketPath() const { return socketPath_; }

private:
    struct Client {
        int fd = -1;
        FrameReader reader;
        bool dead = false;
    };

    void Serve();
    void Accept();
    // False when the client must be dropped.
    bool ReadFrom(Client& client);
    bool Handle(Client& client, const Message& message);
    void DropDeadClients();

    std::filesystem::path folder_;
    std::filesystem::path socketPath_;
    Hello hello_;
    ServerCallbacks callbacks_;

    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::thread thread_;

    // Guards clients_ and every write to a client socket, so frames never interleave.
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Client>> clients_;
};

} // namespace orvel::vhid
