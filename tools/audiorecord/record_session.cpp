#include "tools/audiorecord/record_session.h"

#include "platform/debuglog.h"

#include <algorithm>
#include <cstring>

namespace orvel::audiorecord {

using namespace lighting;

ColourInput ColourInputOf(const std::array<std::int32_t, 3>& levels, std::int32_t loudness)
{
    ColourInput out{};
    const std::int64_t loud = std::clamp<std::int32_t>(loudness, 0, kSpectrumTop);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::int64_t level = std::clamp<std::int32_t>(levels[i], 0, kLevelTop);
        out[i] = std::int32_t(255 * level * loud / (std::int64_t(kLevelTop) * kSpectrumTop));
    }
    return out;
}

std::vector<std::uint8_t> BlockBytes(std::span<const std::int32_t> values)
{
    std::vector<std::uint8_t> bytes(values.size_bytes());
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

void RecordSession::OnCommand(WPARAM command, LPARAM value, const std::optional<ipc::RemoteWindow>& sender)
{
    switch (command) {
    case kRegister:
        if (!sender) {
            debuglog::Write("audiorecord: a register command without a window to send to was ignored");
            return;
        }
        main_ = sender;
        lastColour_.reset();
        break;
    case kStartCapture:
        if (!capturing_) host_.StartCapture();
        capturing_ = true;
        break;
    case kStopCapture:
        if (capturing_) host_.StopCapture();
        capturing_ = false;
        break;
    case kStartSending: sending_ = true; break;
    case kStopSending: sending_ = false; break;
    case kExit: End("told to exit"); break;
    case kSetRed:
    case kSetGreen:
    case kSetBlue: levels_[command - kSetRed] = std::int32_t(std::clamp<LPARAM>(value, 0, kLevelTop)); break;
    default: debuglog::Writef("audiorecord: unknown command %lu", static_cast<unsigned long>(command)); break;
    }
}

bool RecordSession::OnColourBlock(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kColourBlockBytes) {
        debuglog::Writef("audiorecord: a colour block of %zu bytes was refused", bytes.size());
        return false;
    }
    std::int32_t rgb[3];
    std::memcpy(rgb, bytes.data(), sizeof rgb);
    for (int i = 0; i < 3; ++i) levels_[i] = std::clamp<std::int32_t>(rgb[i], 0, kLevelTop);
    return true;
}

void RecordSession::OnSpectrum(const Spectrum& spectrum)
{
    if (!capturing_ || !sending_ || !main_) return;
    Send(kSpectrumBlock, spectrum.values);
    const ColourInput colour = ColourInputOf(levels_, spectrum.loudness);
    if (main_ && sending_ && colour != lastColour_) {
        lastColour_ = colour;
        Send(kColourInputBlock, colour);
    }
}

void RecordSession::Send(ULONG_PTR id, std::span<const std::int32_t> values)
{
    const std::vector<std::uint8_t> bytes = BlockBytes(values);
    if (host_.SendBlock(*main_, id, bytes) == ipc::SendStatus::NoPeer) End("the main window is gone");
}

void RecordSession::OnWatch(bool mainWindowThere, std::uint64_t msSinceStart)
{
    if (main_ && !mainWindowThere) End("the main window is gone");
    if (!main_ && msSinceStart >= kRegisterWithinMs) End("no main window registered");
}

void RecordSession::End(const char* why)
{
    if (ended_) return;
    debuglog::Writef("audiorecord: %s; the program ends", why);
    ended_ = true;
    main_.reset();
    sending_ = false;
    if (capturing_) host_.StopCapture();
    capturing_ = false;
    host_.Exit();
}

} // namespace orvel::audiorecord
