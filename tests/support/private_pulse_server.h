#pragma once
// A PulseAudio server of the test's own, in a private folder, with no configuration of the
// machine's: a null playback device and a microphone made from its monitor, both carrying the
// headset's USB ids, reached over a socket in the folder. The process environment points the
// client library at it (PULSE_SERVER, PULSE_RUNTIME_PATH, HOME for the client's cookie).
// pulseaudio 16 runs as root with a warning only, which is how CI runs it.

#include "tests/support/file_text.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace orvel::testing {

class PrivatePulseServer {
public:
    static constexpr const char* kHeadphones = "orvel_headset_out";
    static constexpr const char* kMicrophone = "orvel_headset_mic";

    // withHeadset false: the server's only devices are not the headset's.
    explicit PrivatePulseServer(TempFolder& folder, bool withHeadset = true) : folder_(folder), withHeadset_(withHeadset)
    {
        std::filesystem::create_directories(folder.path() / "pulse");
        folder.setEnv("PULSE_RUNTIME_PATH", (folder.path() / "pulse").string());
        folder.setEnv("PULSE_SERVER", "unix:" + Socket().string());
        folder.setEnv("HOME", folder.path().string());
        folder.setEnv("XDG_CONFIG_HOME", (folder.path() / "config").string());
    }
    ~PrivatePulseServer() { Kill(); }
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    std::filesystem::path Socket() const { return folder_.path() / "native"; }
    pid_t Pid() const { return pid_; }

    // Starts the server and waits until it answers; false with the server's words in error.
    bool Start(std::string& error)
    {
        const std::string ids = "'device.vendor.id=0c76 device.product.id=1630 device.bus=usb'";
        const std::string otherIds = "'device.vendor.id=046d device.product.id=0a44'";
        const std::vector<std::string> words = {
            "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--realtime=no",
            "--high-priority=no", "--log-target=stderr", "--log-level=error",
            "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket().string(),
            "--load=module-null-sink sink_name=" + std::string(kHeadphones) +
                " sink_properties=" + (withHeadset_ ? ids : otherIds),
            "--load=module-remap-source source_name=" + std::string(kMicrophone) + " master=" + kHeadphones +
                ".monitor source_properties=" + (withHeadset_ ? ids : otherIds)};
        std::vector<char*> argv;
        for (const std::string& word : words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        std::filesystem::remove(Socket());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = (folder_.path() / "pulseaudio.log").string();
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            pid_ = -1;
            error = "pulseaudio could not be started (is it installed?)";
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Pactl("info").empty()) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_ || std::chrono::steady_clock::now() > until) {
                pid_ = -1;
                error = "pulseaudio did not come up: " + FileText(log);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    void Pause() { Signal(SIGSTOP); }
    void Resume() { Signal(SIGCONT); }
    void Kill()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    // pactl's output for the arguments, empty when it failed.
    std::string Pactl(const std::string& arguments) const
    {
        const std::string command = "pactl --server=unix:" + Socket().string() + " " + arguments + " 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        std::string out;
        std::array<char, 512> chunk{};
        while (pipe && std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe.get()) != nullptr)
            out += chunk.data();
        return out;
    }

private:
    void Signal(int signal)
    {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }

    TempFolder& folder_;
    bool withHeadset_;
    pid_t pid_ = -1;
};

} // namespace orvel::testing
