#include "devices/notify_reader.h"

#include "platform/debuglog.h"

#include <array>

namespace orvel::devices {
namespace {

// A notification report is a report id and one 16-bit usage; anything longer is cut.
constexpr std::size_t kReportBuffer = 256;

} // namespace

NotifyReader::NotifyReader(::CHidDevice& device, NotifySource source, Post post)
    : device_(device), source_(source), post_(std::move(post))
{
}

NotifyReader::~NotifyReader()
{
    Stop();
}

bool NotifyReader::Start()
{
    return worker_.Start(this, [this](const WorkerParam& param) { Run(param); }, [this] { device_.Close(); });
}

void NotifyReader::Stop()
{
    if (worker_.Running())
        worker_.Stop(1000, WorkerStopLines{"MS 设备同步线程设定退出", "MS 设备同步线程未能按时退出"});
}

void NotifyReader::Run(const WorkerParam& param)
{
    std::array<std::uint8_t, kReportBuffer> report{};
    while (!WaitStop(param, 0)) {
        std::uint32_t got = 0;
        if (device_.Read(report.data(), static_cast<std::uint32_t>(report.size()), &got, ::CHidDevice::kInfinite) != 1) {
            // Closed, aborted or unplugged: look at the stop event, then try again.
            if (WaitStop(param, kRetryPauseMs))
                break;
            continue;
        }
        debuglog::Write("接收到自动添加设备的同步信息要求  TEST");
        std::uint16_t usage = 0;
        if (!device_.UnpackReport(report.data(), got, HidReportType::kInput, &usage))
            continue;
        if (usage != 0)
            post_(source_, usage);
    }
}

} // namespace orvel::devices
