#pragma once
// What the HID layer learns about an interface, and an open channel to one of its
// top-level collections. hidraw nodes and vhid sockets both provide these.

#include "platform/hid/report_descriptor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvel::hid {

struct InterfaceInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint32_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

// The input report ids a collection reads: all of them when the descriptor declares none.
class ReportIdFilter {
public:
    ReportIdFilter() { accepted_.fill(true); }
    ReportIdFilter(const ReportDescriptor& descriptor, size_t collection);
    bool Accepts(uint8_t reportId) const { return accepted_[reportId]; }

private:
    std::array<bool, 256> accepted_ {};
};

enum class IoStatus { kOk, kTimeout, kAborted, kFailed };

inline constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

// Reports pass with byte 0 the report id (0 when the descriptor declares none). A read
// longer than the caller's buffer is cut to it.
class Channel {
public:
    virtual ~Channel() = default;

    // The next input report of the collection; reports of other collections are skipped.
    virtual IoStatus Read(uint8_t* buffer, size_t length, size_t& got, uint32_t timeoutMs) = 0;
    // One output report, as the interrupt pipe carries it.
    virtual IoStatus Write(const uint8_t* report, size_t length, size_t& written, uint32_t timeoutMs) = 0;
    // One output report by the control pipe (falls back to Write where that is all there is).
    virtual bool SetOutputReport(const uint8_t* report, size_t length) = 0;
    // buffer[0] holds the report id on entry; got is the length of the report received.
    virtual bool GetFeature(uint8_t* buffer, size_t length, size_t& got) = 0;
    virtual bool SetFeature(const uint8_t* report, size_t length) = 0;
    // Wakes every waiting call with kAborted; every later call fails at once.
    virtual void Abort() = 0;
};

struct OpenedInterface {
    InterfaceInfo info;
    // Null when opened with no access rights (a presence or attribute check).
    std::unique_ptr<Channel> channel;
};

} // namespace orvel::hid
