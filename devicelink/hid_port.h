#pragma once
// The few operations the command link and discovery need from one HID interface. CHidDevice
// provides them for hidraw and vhid; tests script them.

#include <cstdint>
#include <string>

namespace orvel {

class IHidPort {
public:
    virtual ~IHidPort() = default;

    // 1 when the interface was opened, 0 otherwise (the port is then closed).
    virtual int Open(const std::string& path, bool forRead, bool forWrite, bool overlapped, bool exclusive) = 0;
    // Aborts a read or write in flight on another thread (it returns 0) and closes.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // 1 when the whole report went out within the time-out, 0 otherwise.
    virtual int Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten,
                      std::uint32_t timeoutMs) = 0;
    // 1 when an input report arrived within the time-out (0 ms: only one already queued).
    virtual int Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead, std::uint32_t timeoutMs) = 0;
};

} // namespace orvel
