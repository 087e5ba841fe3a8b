#pragma once
// One device's command channel: frames 64-byte vendor reports, sends them on the cable or the
// receiver interface, waits for the matching answer and serialises the threads that use it.
//
// Lock order: cmdLock or lightLock (never both), then ioLock. ioLock is held across one write
// and its answer reads, so two threads never take each other's answers. A device write
// sequence holds cmdLock from BeginConfig to EndConfig (CCommandSequence).

#include "devicelink/command_frame.h"
#include "devicelink/hid_port.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace orvel {

class CDeviceLink {
public:
    static constexpr std::uint32_t kCableTimeoutMs = 1000;
    static constexpr std::uint32_t kDongleTimeoutMs = 5000;
    static constexpr std::uint16_t kMaxDataSize = 512;
    static constexpr std::uint8_t kCableChunk = 56;
    static constexpr std::uint8_t kDongleChunk = 24;

    // Both interfaces are HID interfaces (CHidDevice), closed.
    CDeviceLink();
    CDeviceLink(std::unique_ptr<IHidPort> primary, std::unique_ptr<IHidPort> dongle);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // n above 512: 0 and unchanged; else 1.
    int SetDataSize(std::uint16_t n);
    // 2: through the receiver, 24-byte chunks; anything else: over the cable, 56-byte chunks.
    void SetLinkMode(int mode);

    // One request/answer exchange; Transact also writes the debug dump.
    int Transact(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                 std::size_t answerLength, std::uint32_t& bytesRead);
    int TransactQuiet(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                      std::size_t answerLength, std::uint32_t& bytesRead);

    int BeginConfig();
    int EndConfig();
    int ReadDeviceInfo(std::span<std::uint8_t, 34> record);
    int ReadBlock(std::span<std::uint8_t> destination, std::uint16_t base);
    int WriteBlock(std::span<const std::uint8_t> source, std::uint16_t base);
    int ReadKeyTable(std::span<std::uint8_t, 512> destination);
    int WriteKeyTable(std::span<const std::uint8_t, 512> source, int bank);
    int WriteLightFrame(std::span<const std::uint8_t> source, std::uint16_t index, std::uint16_t stride);
    int WriteLightStream(std::span<const std::uint8_t> source);
    int WriteMacroData(std::span<const std::uint8_t> source);
    int WriteShootData(std::span<const std::uint8_t> source);
    int ReadSmall(std::span<std::uint8_t> destination, std::uint16_t address);
    int ReadKeyTableExtra(std::span<std::uint8_t, 512> destination);
    int SetHostLightControl();
    bool QueryWirelessLink();

    // The port commands go to now.
    IHidPort& ActivePort() { return viaDongle ? *dongleHid : *primaryHid; }
    std::uint32_t TimeoutMs() const { return viaDongle ? kDongleTimeoutMs : kCableTimeoutMs; }

    std::atomic<std::uint16_t> dataSize{512};
    std::atomic<std::uint8_t> busy{0};
    std::atomic<std::int32_t> linkOpen{0};
    const std::unique_ptr<IHidPort> primaryHid;
    const std::unique_ptr<IHidPort> dongleHid;
    std::recursive_mutex ioLock;
    std::recursive_mutex auxLock;
    std::recursive_mutex cmdLock;
    std::recursive_mutex lightLock;
    std::atomic<std::int32_t> viaDongle{0};
    std::atomic<std::uint8_t> chunkSize{kDongleChunk};

private:
    enum class Dump { Yes, No };
    int Exchange(const std::uint8_t* request, std::size_t requestLength, std::uint8_t* answer,
                 std::size_t answerLength, std::uint32_t& bytesRead, Dump dump);
    // One frame under cmdLock with bytes 4-63 zero but for length and address.
    int Single(std::uint8_t command, std::uint8_t length, std::uint16_t address, CommandFrame& answer);

    // One command over total bytes in frames of chunk bytes at baseAddress + offset; data to
    // send comes from `from`, answer data lands in `into`. Stops at the first status other
    // than 1. The light stream skips frames while another transaction runs.
    struct Transfer {
        std::uint8_t command = 0;
        std::size_t total = 0;
        std::uint32_t baseAddress = 0;
        std::uint8_t chunk = kCableChunk;
        const std::uint8_t* from = nullptr;
        std::uint8_t* into = nullptr;
        bool lightStream = false;
    };
    int Chunked(const Transfer& transfer);
};

} // namespace orvel
