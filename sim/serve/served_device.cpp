#include "sim/serve/served_device.h"

#include "platform/debuglog.h"

namespace orvel::sim {
namespace {

vhid::Hello MakeHello(const Identity& identity, const HidInterface& hid)
{
    vhid::Hello hello;
    hello.vendorId = identity.vendorId;
    hello.productId = identity.productId;
    hello.version = identity.version;
    hello.manufacturer = identity.manufacturer;
    hello.product = identity.product;
    hello.serial = identity.serial;
    hello.interfaceNumber = static_cast<std::uint32_t>(hid.number);
    hello.reportDescriptor = hid.reportDescriptor;
    return hello;
}

// The interface that carries the command reports: 1, or the headset's 3.
bool IsCommandInterface(int number)
{
    return number == 1 || number == 3;
}

} // namespace

ServedDevice::ServedDevice(DeviceKind kind, std::filesystem::path folder, const Clock& clock)
    : firmware_(kind, clock), folder_(std::move(folder))
{
    latency_[Path::Cable] = kDefaultCableLatency;
    latency_[Path::Receiver] = kDefaultReceiverLatency;
}

ServedDevice::~ServedDevice()
{
    Unplug(Path::Cable);
    Unplug(Path::Receiver);
    queue_.Drain();
}

bool ServedDevice::Plug(Path path)
{
    const Identity* identity = IdentityFor(Kind(), path);
    if (identity == nullptr) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (!servers_[path].empty()) {
        return true;
    }
    ServerList started;
    for (const auto& hid : identity->interfaces) {
        vhid::ServerCallbacks callbacks;
        const int number = hid.number;
        callbacks.onOutput = [this, path, number](const std::vector<std::uint8_t>& report) {
            OnOutput(path, number, report);
        };
        auto server = std::make_shared<vhid::Server>(folder_, identity->name + ".if" + std::to_string(number),
                                                     MakeHello(*identity, hid), callbacks);
        if (!server->Start()) {
            debuglog::Writef("cannot serve %s interface %d in %s", identity->name.c_str(), number,
                             folder_.string().c_str());
            for (auto& s : started) {
                s->Stop();
            }
            return false;
        }
        started.push_back(std::move(server));
    }
    servers_[path] = std::move(started);
    firmware_.SetPathPresent(path, true);
    return true;
}

void ServedDevice::Unplug(Path path)
{
    ServerList stopped;
    {
        std::lock_guard lock(mutex_);
        stopped.swap(servers_[path]);
    }
    if (stopped.empty()) {
        return;
    }
    firmware_.SetPathPresent(path, false);
    for (auto& server : stopped) {
        server->Stop();
    }
}

bool ServedDevice::Plugged(Path path) const
{
    std::lock_guard lock(mutex_);
    const auto it = servers_.find(path);
    return it != servers_.end() && !it->second.empty();
}

void ServedDevice::SetLatency(Path path, std::chrono::milliseconds oneWay)
{
    std::lock_guard lock(mutex_);
    latency_[path] = std::max(oneWay, std::chrono::milliseconds{0});
}

std::chrono::milliseconds ServedDevice::Latency(Path path) const
{
    std::lock_guard lock(mutex_);
    return latency_.at(path);
}

std::shared_ptr<vhid::Server> ServedDevice::CommandServer(Path path) const
{
    const auto it = servers_.find(path);
    if (it == servers_.end()) {
        return nullptr;
    }
    for (const auto& server : it->second) {
        const auto name = server->SocketPath().filename().string();
        if (name.ends_with(".if1.sock") || name.ends_with(".if3.sock")) {
            return server;
        }
    }
    return nullptr;
}

void ServedDevice::SendLater(Path path, std::chrono::milliseconds extra, std::vector<std::uint8_t> report)
{
    std::shared_ptr<vhid::Server> server;
    std::chrono::milliseconds delay;
    {
        std::lock_guard lock(mutex_);
        server = CommandServer(path);
        delay = latency_.at(path) + extra;
    }
    if (!server) {
        return;
    }
    queue_.Post(delay, [server, report = std::move(report)] { server->SendInput(report); });
}

void ServedDevice::OnOutput(Path path, int interfaceNumber, const std::vector<std::uint8_t>& report)
{
    if (!IsCommandInterface(interfaceNumber) || report.empty()) {
        return;   // the boot interface's LED reports mean nothing to the firmware
    }
    if (report[0] == kHeadsetLightReportId) {
        firmware_.HandleLightReport(report);
        return;
    }
    const Reaction reaction = firmware_.HandleCommand(path, report);
    const auto latency = Latency(path);
    if (reaction.unplug) {
        // Pulled out mid-transfer: the sockets go once the request has crossed the wire.
        queue_.Post(latency, [this, path] { Unplug(path); });
        return;
    }
    if (reaction.answer) {
        // The request takes one wire delay to arrive, the answer another to return.
        SendLater(path, latency + reaction.extraDelay,
                  std::vector<std::uint8_t>(reaction.answer->begin(), reaction.answer->end()));
    }
}

bool ServedDevice::Notify(std::uint16_t usage)
{
    const auto path = firmware_.NotificationPath();
    if (!path || !Plugged(*path) || Kind() == DeviceKind::Headset) {
        return false;
    }
    SendLater(*path, std::chrono::milliseconds{0},
              {kNotifyReportId, static_cast<std::uint8_t>(usage & 0xFF), static_cast<std::uint8_t>(usage >> 8)});
    SendLater(*path, std::chrono::milliseconds{0}, {kNotifyReportId, 0, 0});
    return true;
}

std::vector<std::uint16_t> ServedDevice::Press(OnBoardKey key)
{
    std::vector<std::uint16_t> sent;
    for (std::uint16_t usage : firmware_.PressKey(key)) {
        if (Notify(usage)) {
            sent.push_back(usage);
        }
    }
    return sent;
}

} // namespace orvel::sim
