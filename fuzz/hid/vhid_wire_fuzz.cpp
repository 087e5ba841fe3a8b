// Bytes a vhid peer sends: cut into frames, and every HELLO payload decoded.
#include "platform/hid/vhid_wire.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    orvel::vhid::FrameReader reader;
    // Two chunks, so frames that straddle a read are covered too.
    const size_t half = size / 2;
    reader.Append(data, half);
    orvel::vhid::Message message;
    for (int pass = 0; pass < 2; ++pass) {
        while (reader.Next(message) == orvel::vhid::FrameReader::Result::kMessage) {
            if (message.type == orvel::vhid::kHello) {
                (void)orvel::vhid::DecodeHello(
                    std::string_view(reinterpret_cast<const char*>(message.payload.data()), message.payload.size()));
            }
        }
        reader.Append(data + half, size - half);
    }
    return 0;
}
