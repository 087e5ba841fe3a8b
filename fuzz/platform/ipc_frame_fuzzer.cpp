// Frames from other programs: any bytes must decode to a message or be rejected, and a message
// that decodes must encode back to a frame that decodes to the same message.
#include "platform/ipcframe.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orvel::ipc;
    const std::span<const uint8_t> bytes(data, size);
    BodyLength(bytes);
    DecodeReply(bytes);
    const auto message = DecodeMessage(bytes);
    if (!message) {
        return 0;
    }
    const auto again = DecodeMessage(EncodeMessage(*message));
    if (!again || again->name != message->name || again->wParam != message->wParam || again->lParam != message->lParam
        || again->wantsReply != message->wantsReply || again->sender != message->sender
        || again->copyData.has_value() != message->copyData.has_value()
        || (again->copyData && (again->copyData->bytes != message->copyData->bytes || again->copyData->dwData != message->copyData->dwData))) {
        std::abort();
    }
    return 0;
}
