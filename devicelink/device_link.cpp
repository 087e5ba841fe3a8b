#include "devicelink/device_link.h"

#include "devicelink/hid_adapters.h"
#include "platform/debuglog.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orvel {
namespace {

// Input reports queued before a request are answers nobody waited for; they are dropped so
// that a late answer is never taken for the next one. Bounded in case a device floods.
constexpr int kMaxStaleReports = 64;

void DumpFrame(const char* title, const std::uint8_t* bytes)
{
    if (!debuglog::Enabled())
        return;
    debuglog::Write(title);
    debuglog::Write(DumpLine(bytes));
    debuglog::Write(DumpLine(bytes + 32));
}

bool FitsAddressSpace(std::uint32_t base, std::size_t total)
{
    return total == 0 || base + total - 1 <= 0xFFFF;
}

} // namespace

CDeviceLink::CDeviceLink() : CDeviceLink(std::make_unique<CHidPort>(), std::make_unique<CHidPort>())
{
}

CDeviceLink::CDeviceLink(std::unique_ptr<IHidPort> primary, std::unique_ptr<IHidPort> dongle)
    : primaryHid(std::move(primary)), dongleHid(std::move(dongle))
{
}

CDeviceLink::~CDeviceLink()
{
    linkOpen = 0;
    primaryHid->Close();
    dongleHid->Close();
}

int CDeviceLink::SetDataSize(std::uint16_t n)
{
    if (n > kMaxDataSize)
        return 0;
    dataSize = n;
    return 1;
}

void CDeviceLink::SetLinkMode(int mode)
{
    const bool dongle = mode == 2;
    viaDongle = dongle ? 1 : 0;
    chunkSize = dongle ? kDongleChunk : kCableChunk;
}

int CDeviceLink::Transact(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                          std::size_t answerLength, std::uint32_t& bytesRead)
{
    return Exchange(request, requestLength, answer, answerLength, bytesRead, Dump::Yes);
}

int CDeviceLink::TransactQuiet(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                               std::size_t answerLength, std::uint32_t& bytesRead)
{
    return Exchange(request, requestLength, answer, answerLength, bytesRead, Dump::No);
}

int CDeviceLink::Exchange(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                          std::size_t answerLength, std::uint32_t& bytesRead, Dump dump)
{
    busy = 1;
    bytesRead = 0;
    int result = kLinkNoAnswer;
    if (linkOpen != 0) {
        CommandFrame frame{};
        std::copy_n(request, std::min(requestLength, kFrameSize), frame.begin());
        if (dump == Dump::Yes)
            DumpFrame("命令", frame.data());

        std::lock_guard io(ioLock);
        // Detach clears linkOpen before it closes the ports under ioLock: a transaction that
        // got here after that must not touch them.
        if (linkOpen != 0) {
            IHidPort& port = ActivePort();
            const std::uint32_t timeout = TimeoutMs();
            const auto readLength = static_cast<std::uint32_t>(answerLength);
            // A shorter report leaves the rest of the buffer as an earlier report left it,
            // byte 3 included: only a whole answer is matched.
            const std::size_t whole = std::min(answerLength, kFrameSize);

            std::uint32_t stale = 0;
            for (int i = 0; i < kMaxStaleReports && port.Read(answer, readLength, stale, 0) == 1; ++i) {
            }

            std::uint32_t written = 0;
            if (port.Write(frame.data(), kFrameSize, written, timeout) <= 0) {
                result = kLinkWriteFailed;
            } else {
                for (int attempt = 0; attempt < 2; ++attempt) {
                    if (port.Read(answer, readLength, bytesRead, timeout) != 1) {
                        result = kLinkNoAnswer;
                        break;
                    }
                    const bool complete = answerLength > 3 && bytesRead >= whole;
                    if (complete && answer[3] == frame[3]) {
                        result = kLinkOk;
                        break;
                    }
                    if (viaDongle && complete && answer[3] == 0xAA) {
                        result = kLinkUnreachable;
                        break;
                    }
                    // Neither read matched: that is no answer, whatever arrived.
                    result = kLinkNoAnswer;
                }
                if (dump == Dump::Yes && answerLength >= kFrameSize)
                    DumpFrame("返回", answer);
            }
        }
    }
    busy = 0;
    return result;
}

int CDeviceLink::Single(std::uint8_t command, std::uint8_t length, std::uint16_t address, CommandFrame& answer)
{
    const CommandFrame frame = MakeFrame(command, length, address);
    std::lock_guard lock(cmdLock);
    std::uint32_t read = 0;
    return AnswerStatus(Transact(frame.data(), frame.size(), answer.data(), answer.size(), read), answer);
}

int CDeviceLink::Chunked(const Transfer& t)
{
    if (!FitsAddressSpace(t.baseAddress, t.total))
        return kLinkInvalidArgument;
    const bool lighting = t.lightStream || t.command == 0x0B;
    std::lock_guard lock(lighting ? lightLock : cmdLock);

    for (std::size_t offset = 0; offset < t.total; offset += t.chunk) {
        const auto length = static_cast<std::uint8_t>(std::min<std::size_t>(t.chunk, t.total - offset));
        if (t.lightStream && busy != 0) {
            debuglog::Write("放弃灯光数据");
            continue;
        }
        const auto address = static_cast<std::uint16_t>(t.baseAddress + offset);
        const CommandFrame frame
            = MakeFrame(t.command, length, address, t.from != nullptr ? t.from + offset : nullptr, length);
        CommandFrame answer{};
        std::uint32_t read = 0;
        const int transact = t.lightStream
                                 ? TransactQuiet(frame.data(), frame.size(), answer.data(), answer.size(), read)
                                 : Transact(frame.data(), frame.size(), answer.data(), answer.size(), read);
        const int status = AnswerStatus(transact, answer);
        if (status != kLinkOk)
            return status;
        if (t.into != nullptr)
            std::copy_n(answer.begin() + 8, length, t.into + offset);
    }
    return kLinkOk;
}

int CDeviceLink::BeginConfig()
{
    CommandFrame answer{};
    return Single(0x01, 0, 0, answer);
}

int CDeviceLink::EndConfig()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CommandFrame answer{};
    return Single(0x02, 0, 0, answer);
}

int CDeviceLink::ReadDeviceInfo(std::span<std::uint8_t, 34> record)
{
    return Chunked({.command = 0x03, .total = record.size(), .chunk = chunkSize, .into = record.data()});
}

int CDeviceLink::ReadBlock(std::span<std::uint8_t> destination, std::uint16_t base)
{
    return Chunked(
        {.command = 0x05, .total = destination.size(), .baseAddress = base, .chunk = chunkSize, .into = destination.data()});
}

int CDeviceLink::WriteBlock(std::span<const std::uint8_t> source, std::uint16_t base)
{
    return Chunked({.command = 0x06, .total = source.size(), .baseAddress = base, .chunk = chunkSize, .from = source.data()});
}

int CDeviceLink::ReadKeyTable(std::span<std::uint8_t, 512> destination)
{
    return Chunked({.command = 0x07, .total = dataSize, .chunk = chunkSize, .into = destination.data()});
}

int CDeviceLink::WriteKeyTable(std::span<const std::uint8_t, 512> source, int bank)
{
    if (bank != 0)
        return kLinkInvalidArgument;
    return Chunked({.command = 0x09, .total = dataSize, .chunk = chunkSize, .from = source.data()});
}

int CDeviceLink::WriteLightFrame(std::span<const std::uint8_t> source, std::uint16_t index, std::uint16_t stride)
{
    return Chunked({.command = 0x0B,
                    .total = source.size(),
                    .baseAddress = static_cast<std::uint32_t>(index) * stride,
                    .chunk = chunkSize,
                    .from = source.data()});
}

int CDeviceLink::WriteLightStream(std::span<const std::uint8_t> source)
{
    return Chunked(
        {.command = 0x12, .total = source.size(), .chunk = chunkSize, .from = source.data(), .lightStream = true});
}

int CDeviceLink::WriteMacroData(std::span<const std::uint8_t> source)
{
    return Chunked({.command = 0x15, .total = source.size(), .chunk = chunkSize, .from = source.data()});
}

int CDeviceLink::WriteShootData(std::span<const std::uint8_t> source)
{
    return Chunked({.command = 0x17, .total = source.size(), .chunk = chunkSize, .from = source.data()});
}

int CDeviceLink::ReadSmall(std::span<std::uint8_t> destination, std::uint16_t address)
{
    if (destination.size() > kFramePayload)
        return kLinkInvalidArgument;
    CommandFrame answer{};
    const int status = Single(0x1A, static_cast<std::uint8_t>(destination.size()), address, answer);
    if (status == kLinkOk)
        std::copy_n(answer.begin() + 8, destination.size(), destination.begin());
    return status;
}

int CDeviceLink::ReadKeyTableExtra(std::span<std::uint8_t, 512> destination)
{
    return Chunked({.command = 0x1B, .total = dataSize / 3u, .chunk = chunkSize, .into = destination.data()});
}

int CDeviceLink::SetHostLightControl()
{
    CommandFrame answer{};
    return Single(0x1C, 0, 0, answer);
}

bool CDeviceLink::QueryWirelessLink()
{
    if (viaDongle == 0)
        return true;
    CommandFrame answer{};
    const CommandFrame frame = MakeFrame(0xAA, 0, 0);
    std::lock_guard lock(cmdLock);
    std::uint32_t read = 0;
    const int result = Transact(frame.data(), frame.size(), answer.data(), answer.size(), read);
    return result == kLinkOk && answer[8] == 0xFF && answer[7] != 0xFF && answer[7] != 0xFE;
}

} // namespace orvel
