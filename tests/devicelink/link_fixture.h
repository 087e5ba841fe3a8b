#pragma once
// A command link over two scripted ports, opened over the cable or through the receiver.

#include "devicelink/device_link.h"
#include "tests/devicelink/fake_port.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvel::test {

enum class Path { Cable, Receiver };

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() { Reset(); }

    // A fresh link over fresh ports, both closed.
    void Reset()
    {
        auto primary = std::make_unique<FakePort>();
        auto dongle = std::make_unique<FakePort>();
        cable = primary.get();
        receiver = dongle.get();
        link = std::make_unique<CDeviceLink>(std::move(primary), std::move(dongle));
    }

    void OpenLink(Path path)
    {
        FakePort* port = path == Path::Cable ? cable : receiver;
        port->Open("fake", true, true, true, false);
        link->SetLinkMode(path == Path::Cable ? 1 : 2);
        link->linkOpen = 1;
    }

    FakePort& Active(Path path) { return path == Path::Cable ? *cable : *receiver; }

    FakePort* cable = nullptr;
    FakePort* receiver = nullptr;
    std::unique_ptr<CDeviceLink> link;
};

// The checksum as the device checks it: bytes 3..63 summed, low byte first.
inline bool ChecksumHolds(const CommandFrame& frame)
{
    unsigned sum = 0;
    for (int i = 3; i < 64; ++i)
        sum += frame[i];
    return frame[1] == (sum & 0xFF) && frame[2] == ((sum >> 8) & 0xFF);
}

} // namespace orvel::test
