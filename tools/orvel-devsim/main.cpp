// orvel-devsim: serves emulated keyboards, mice, the mouse pad and the headset as virtual
// HID devices, and lets a user or a test plug, unplug, wake, press and inspect them.

#include "platform/hid/vhid_wire.h"
#include "sim/serve/control_socket.h"
#include "sim/serve/device_set.h"
#include "sim/serve/hardware_probe.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvel::sim::DeviceSet;
using orvel::sim::DeviceSetOptions;

const char* kUsage =
    "Usage:\n"
    "  orvel-devsim serve [OPTIONS] [--all | DEVICE...]\n"
    "  orvel-devsim ctl [--folder DIR] COMMAND...\n"
    "  orvel-devsim devices\n"
    "  orvel-devsim --hardware-present\n"
    "  orvel-devsim --help\n";

void PrintHelp()
{
    std::cout
        << "orvel-devsim - emulated VARNO Orvel 80 devices, served as virtual HID devices (vhid)\n\n"
        << kUsage
        << "\n"
           "serve    Serves the named devices until interrupted (Ctrl+C, SIGTERM or \"ctl quit\").\n"
           "         DEVICE is one of: keyboard, keyboard-receiver, mouse, mouse-receiver,\n"
           "         mousepad, headset. A keyboard or mouse by cable and through its receiver\n"
           "         is one device with one memory; serving both plugs in both.\n"
           "         --all                 every device: keyboard and mouse by cable and\n"
           "                               receiver, the mouse pad and the headset\n"
           "         --folder DIR          the vhid folder (default $ORVEL_VHID_DIR, else\n"
           "                               $XDG_RUNTIME_DIR/varno-orvel-80/vhid)\n"
           "         --memory DIR          keep each device's memory in DIR/<kind>.json, so what\n"
           "                               the program wrote survives a restart\n"
           "         --latency-cable MS    one-way delay per report by cable (default 1)\n"
           "         --latency-receiver MS one-way delay per report through a receiver (default 4)\n"
           "         --interactive         also read commands (below) from standard input\n"
           "\n"
           "ctl      Sends one command to the running serve on the same folder and prints the\n"
           "         reply; exits 1 when the command failed, 2 when nothing serves there.\n"
           "devices  Lists the identities: name, vendor:product, interfaces and socket names.\n"
           "--hardware-present\n"
           "         Exits 0 when a supported device is plugged in for real (hidraw), else 1.\n"
           "\n"
           "Each interface is a socket <folder>/<device>.if<N>.sock; removing it is an unplug.\n"
           "The control socket is <folder>/orvel-devsim.control.\n\n"
        << DeviceSet::CommandHelp()
        << "  quit                          stop serving\n"
           "\nExamples:\n"
           "  orvel-devsim serve --all &\n"
           "  orvel-devsim ctl unplug mouse cable      the mouse goes on through its receiver\n"
           "  orvel-devsim ctl sleep mouse             the receiver now answers AA\n"
           "  orvel-devsim ctl press keyboard profile  on-board profile key\n"
           "  orvel-devsim ctl fault mouse drop command 05 times 2\n"
           "  orvel-devsim ctl show keyboard keys      what the program wrote to the key table\n";
}

int Devices()
{
    for (const auto& identity : orvel::sim::AllIdentities()) {
        std::printf("%-18s %04x:%04x  %s\n", identity.name.c_str(), identity.vendorId, identity.productId,
                    identity.product.c_str());
        for (const auto& hid : identity.interfaces) {
            std::printf("    interface %d  %s.if%d.sock\n", hid.number, identity.name.c_str(), hid.number);
        }
    }
    return 0;
}

bool TakeValue(std::vector<std::string>& args, std::size_t& i, std::string& value)
{
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvel-devsim: %s needs a value\n", args[i].c_str());
        return false;
    }
    value = args[++i];
    return true;
}

bool TakeMs(std::vector<std::string>& args, std::size_t& i, std::optional<std::chrono::milliseconds>& ms)
{
    std::string value;
    if (!TakeValue(args, i, value)) return false;
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || n < 0) {
        std::fprintf(stderr, "orvel-devsim: %s needs milliseconds, not \"%s\"\n", args[i - 1].c_str(), value.c_str());
        return false;
    }
    ms = std::chrono::milliseconds(n);
    return true;
}

int Serve(std::vector<std::string> args)
{
    DeviceSetOptions options;
    options.folder = orvel::vhid::Folder();
    std::vector<std::string> names;
    bool interactive = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a == "--all") {
            for (const auto& identity : orvel::sim::AllIdentities()) names.push_back(identity.name);
        } else if (a == "--folder") {
            if (!TakeValue(args, i, value)) return 2;
            options.folder = value;
        } else if (a == "--memory") {
            if (!TakeValue(args, i, value)) return 2;
            options.memoryFolder = value;
        } else if (a == "--latency-cable") {
            if (!TakeMs(args, i, options.cableLatency)) return 2;
        } else if (a == "--latency-receiver") {
            if (!TakeMs(args, i, options.receiverLatency)) return 2;
        } else if (a == "--interactive") {
            interactive = true;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "orvel-devsim: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            names.push_back(a);
        }
    }
    if (names.empty()) {
        std::fprintf(stderr, "orvel-devsim: name the devices to serve, or --all\n%s", kUsage);
        return 2;
    }
    if (!orvel::vhid::EnsureFolder(options.folder) || !orvel::vhid::FolderIsPrivate(options.folder)) {
        std::fprintf(stderr, "orvel-devsim: %s is not a private folder of this user (mode 0700)\n",
                     options.folder.string().c_str());
        return 1;
    }
    if (!options.memoryFolder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.memoryFolder, ec);
    }

    // Signals are taken by sigwait below, never by the serving threads.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    DeviceSet devices(options);
    for (const auto& name : names) {
        std::string error;
        if (!devices.Serve(name, &error)) {
            std::fprintf(stderr, "orvel-devsim: %s\n", error.c_str());
            return 1;
        }
    }
    auto handle = [&devices](const std::string& line) -> std::string {
        if (line == "quit") {
            ::kill(::getpid(), SIGTERM);
            return "ok\n";
        }
        return devices.Execute(line);
    };
    orvel::sim::ControlSocket control(options.folder / orvel::sim::kControlSocketName, handle);
    if (!control.Start()) {
        std::fprintf(stderr, "orvel-devsim: cannot open the control socket in %s\n", options.folder.string().c_str());
        return 1;
    }
    std::fprintf(stderr, "orvel-devsim: serving in %s (control: orvel-devsim ctl help)\n", options.folder.string().c_str());
    if (interactive) {
        std::thread([handle] {
            std::string line;
            while (std::getline(std::cin, line)) {
                std::cout << handle(line) << std::flush;
            }
            ::kill(::getpid(), SIGTERM);
        }).detach();
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    control.Stop();
    return 0;
}

int Control(std::vector<std::string> args)
{
    std::filesystem::path folder = orvel::vhid::Folder();
    if (args.size() >= 2 && args[0] == "--folder") {
        folder = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::fprintf(stderr, "orvel-devsim: ctl needs a command; try \"orvel-devsim ctl help\"\n");
        return 2;
    }
    std::string line;
    for (const auto& a : args) {
        line += (line.empty() ? "" : " ") + a;
    }
    const auto reply = orvel::sim::SendControlCommand(folder / orvel::sim::kControlSocketName, line);
    if (!reply) {
        std::fprintf(stderr, "orvel-devsim: nothing serves in %s\n", folder.string().c_str());
        return 2;
    }
    std::fputs(reply->c_str(), stdout);
    return reply->starts_with("error:") ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        PrintHelp();
        return 0;
    }
    if (command == "--hardware-present") {
        return orvel::sim::SupportedHardwarePresent() ? 0 : 1;
    }
    if (command == "serve") return Serve(args);
    if (command == "ctl") return Control(args);
    if (command == "devices") return Devices();
    std::fprintf(stderr, "orvel-devsim: unknown command %s\n%s", command.c_str(), kUsage);
    return 2;
}
