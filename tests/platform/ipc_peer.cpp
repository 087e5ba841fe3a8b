// A second process for the ipc tests:
//   ipc_peer mutex <name>             holds the named mutex until stdin closes; prints
//                                     "created", "exists" or "failed <why>"
//   ipc_peer window <class> <title> <message> [no-files]
//                                     a window with an endpoint; prints "ready", then
//                                     "got <wParam> <lParam>" for the first <message> (and
//                                     ends), "other <number>" for any other message; with
//                                     no-files the process can open no further file once
//                                     the endpoint is made
//   ipc_peer broadcast <message> <wParam> <lParam>
//                                     prints how many peers took it
#include "platform/ipc.h"
#include "platform/namedmutex.h"
#include "platform/text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace orvel;

namespace {

class Quitter : public IMessageHandler {
public:
    explicit Quitter(UINT wanted) : wanted_(wanted) {}
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == wanted_) {
            std::printf("got %llu %lld\n", static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
            std::fflush(stdout);
            PostQuitMessage(0);
        } else {
            std::printf("other %u\n", msg);
            std::fflush(stdout);
        }
        return 0;
    }

private:
    UINT wanted_;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "mutex" && argc == 3) {
        auto mutex = ipc::NamedMutex::CreateMutexW(argv[2]);
        switch (mutex.status()) {
        case ipc::NamedMutex::Status::Created:
            std::printf("created\n");
            break;
        case ipc::NamedMutex::Status::AlreadyExists:
            std::printf("exists\n");
            break;
        case ipc::NamedMutex::Status::Failed:
            std::printf("failed %s\n", mutex.error().c_str());
            break;
        }
        std::fflush(stdout);
        char c;
        while (::read(STDIN_FILENO, &c, 1) > 0) {
        }
        return 0;
    }
    if (mode == "window" && (argc == 5 || (argc == 6 && std::string(argv[5]) == "no-files"))) {
        Quitter handler(RegisterWindowMessageW(text::FromUtf8(argv[4])));
        HWND hwnd = CreateWindowHandle(&handler, text::FromUtf8(argv[2]), text::FromUtf8(argv[3]));
        std::string error;
        auto endpoint = ipc::Endpoint::Create(hwnd, &error);
        if (!endpoint) {
            std::printf("failed %s\n", error.c_str());
            return 1;
        }
        if (argc == 6) {
            // The endpoint's thread makes its first calls before the files run out: the sanitizers'
            // check of a virtual call it has not seen yet opens a pipe, and would fail for want of one.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            int highest = 0;
            for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
                highest = std::max(highest, std::stoi(entry.path().filename().string()));
            }
            const rlimit none{static_cast<rlim_t>(highest + 1), static_cast<rlim_t>(highest + 1)};
            ::setrlimit(RLIMIT_NOFILE, &none);
            while (::open("/dev/null", O_RDONLY) >= 0) { // the numbers free below the limit
            }
        }
        std::printf("ready\n");
        std::fflush(stdout);
        const int code = RunMessageLoop();
        endpoint.reset();
        DestroyWindowHandle(hwnd);
        return code;
    }
    if (mode == "broadcast" && argc == 5) {
        const UINT msg = RegisterWindowMessageW(text::FromUtf8(argv[2]));
        std::printf("%d\n", ipc::BroadcastSystemMessageW(msg, std::strtoull(argv[3], nullptr, 10), std::strtoll(argv[4], nullptr, 10)));
        return 0;
    }
    std::fprintf(stderr, "usage: ipc_peer mutex NAME | window CLASS TITLE MESSAGE [no-files] | broadcast MESSAGE W L\n");
    return 2;
}
