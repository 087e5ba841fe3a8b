#pragma once
// The light stream of a command link as the frame output's sink.

#include "devicelink/device_link.h"
#include "lighting/frame_output.h"

namespace orvel::devices {

class LinkFrameSink : public lighting::FrameSink {
public:
    explicit LinkFrameSink(CDeviceLink& link) : link_(link) {}
    int WriteLightStream(std::span<const uint8_t> bytes) override { return link_.WriteLightStream(bytes); }

private:
    CDeviceLink& link_;
};

} // namespace orvel::devices
