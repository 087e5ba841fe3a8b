#pragma once
// CHidDevice behind the two small interfaces the link and discovery are written against.

#include "devicelink/device_scan.h"
#include "devicelink/hid_port.h"
#include "devicelink/hiddevice.h"

#include <memory>

namespace orvel {

class CHidPort : public IHidPort {
public:
    int Open(const std::string& path, bool forRead, bool forWrite, bool overlapped, bool exclusive) override;
    void Close() override;
    bool IsOpen() const override;
    int Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten,
              std::uint32_t timeoutMs) override;
    int Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead, std::uint32_t timeoutMs) override;

    CHidDevice& Device() { return device_; }

private:
    CHidDevice device_;
};

// Discovery's probe: one CHidDevice of its own, shared with nobody.
class CHidProbe : public IHidProbe {
public:
    bool Enumerate(std::vector<std::string>& paths) override;
    bool Probe(const std::string& path, ProbeInfo& info) override;
    bool IsPresent(const std::string& path) override;

private:
    CHidDevice device_;
};

} // namespace orvel
