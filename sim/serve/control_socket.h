#pragma once
// The control socket of a running orvel-devsim: one command line in, the reply out, per
// connection. It lives in the vhid folder under a name that is not "*.sock", so the HID
// layer never takes it for a device.

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace orvel::sim {

inline constexpr const char* kControlSocketName = "orvel-devsim.control";

class ControlSocket {
public:
    using Handler = std::function<std::string(const std::string& line)>;

    ControlSocket(std::filesystem::path path, Handler handler);
    ~ControlSocket();
    ControlSocket(const ControlSocket&) = delete;
    ControlSocket& operator=(const ControlSocket&) = delete;

    // Binds (replacing a stale socket file) and starts answering; false when it cannot.
    bool Start();
    void Stop();

private:
    void Serve();
    void Answer(int fd);

    std::filesystem::path path_;
    Handler handler_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Sends one command to the control socket and returns the reply; nullopt when nothing
// answers there within the time.
std::optional<std::string> SendControlCommand(const std::filesystem::path& path, const std::string& line,
                                              int timeoutMs = 10000);

} // namespace orvel::sim
