#include "platform/ipcframe.h"

#include <cstring>

namespace orvel::ipc {
namespace {

constexpr std::uint8_t kFrameMagic[4] = {'O', 'V', 'M', '1'};
constexpr std::uint8_t kReplyMagic[4] = {'O', 'V', 'R', '1'};

enum Tag : std::uint16_t {
    kTagKind = 1,   // 1 byte: 0 posted, 1 sent
    kTagName = 2,   // UTF-8 text
    kTagWParam = 3, // 8 bytes
    kTagLParam = 4, // 8 bytes
    kTagDwData = 5, // 8 bytes
    kTagData = 6,   // the copy-data bytes
    kTagSender = 7, // UTF-8 file name
};

void putLe(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::uint64_t getLe(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    }
    return v;
}

void putField(std::vector<std::uint8_t>& out, Tag tag, const void* data, std::size_t size)
{
    putLe(out, tag, 2);
    putLe(out, size, 4);
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

void putNumber(std::vector<std::uint8_t>& out, Tag tag, std::uint64_t v)
{
    std::vector<std::uint8_t> bytes;
    putLe(bytes, v, 8);
    putField(out, tag, bytes.data(), bytes.size());
}

bool validSender(const std::string& s)
{
    return s.size() <= kMaxNameBytes && s.find('/') == std::string::npos && s.find('\0') == std::string::npos && s != "." && s != "..";
}

} // namespace

std::vector<std::uint8_t> EncodeMessage(const Message& m)
{
    const bool copy = m.name.empty();
    if (copy != m.copyData.has_value() || (copy && !m.wantsReply) || m.name.size() > kMaxNameBytes || !validSender(m.sender)
        || (m.copyData && m.copyData->bytes.size() > kMaxCopyDataBytes)) {
        return {};
    }
    std::vector<std::uint8_t> body;
    const std::uint8_t kind = m.wantsReply ? 1 : 0;
    putField(body, kTagKind, &kind, 1);
    if (!m.name.empty()) {
        putField(body, kTagName, m.name.data(), m.name.size());
    }
    putNumber(body, kTagWParam, m.wParam);
    putNumber(body, kTagLParam, static_cast<std::uint64_t>(m.lParam));
    if (m.copyData) {
        putNumber(body, kTagDwData, m.copyData->dwData);
        putField(body, kTagData, m.copyData->bytes.data(), m.copyData->bytes.size());
    }
    if (!m.sender.empty()) {
        putField(body, kTagSender, m.sender.data(), m.sender.size());
    }
    std::vector<std::uint8_t> frame(kFrameMagic, kFrameMagic + 4);
    putLe(frame, body.size(), 4);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

std::optional<std::size_t> BodyLength(std::span<const std::uint8_t> header)
{
    if (header.size() < kFrameHeaderBytes || std::memcmp(header.data(), kFrameMagic, 4) != 0) {
        return std::nullopt;
    }
    const std::uint64_t length = getLe(header.data() + 4, 4);
    if (length > kMaxBodyBytes) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(length);
}

std::optional<Message> DecodeMessage(std::span<const std::uint8_t> frame)
{
    const auto length = BodyLength(frame);
    if (!length || frame.size() != kFrameHeaderBytes + *length) {
        return std::nullopt;
    }
    Message m;
    bool seen[kTagSender + 1] = {};
    bool hasDwData = false;
    bool hasData = false;
    std::span<const std::uint8_t> rest = frame.subspan(kFrameHeaderBytes);
    while (!rest.empty()) {
        if (rest.size() < 6) {
            return std::nullopt;
        }
        const auto tag = static_cast<std::uint16_t>(getLe(rest.data(), 2));
        const std::uint64_t size = getLe(rest.data() + 2, 4);
        if (size > rest.size() - 6) {
            return std::nullopt;
        }
        const std::uint8_t* value = rest.data() + 6;
        rest = rest.subspan(6 + static_cast<std::size_t>(size));
        if (tag == 0 || tag > kTagSender) {
            continue; // a field of a newer sender
        }
        if (seen[tag]) {
            return std::nullopt;
        }
        seen[tag] = true;
        switch (tag) {
        case kTagKind:
            if (size != 1 || value[0] > 1) {
                return std::nullopt;
            }
            m.wantsReply = value[0] == 1;
            break;
        case kTagName:
            if (size == 0 || size > kMaxNameBytes) {
                return std::nullopt;
            }
            m.name.assign(reinterpret_cast<const char*>(value), static_cast<std::size_t>(size));
            break;
        case kTagWParam:
        case kTagLParam:
        case kTagDwData:
            if (size != 8) {
                return std::nullopt;
            }
            if (tag == kTagWParam) {
                m.wParam = static_cast<WPARAM>(getLe(value, 8));
            } else if (tag == kTagLParam) {
                m.lParam = static_cast<LPARAM>(getLe(value, 8));
            } else {
                hasDwData = true;
                if (!m.copyData) {
                    m.copyData.emplace();
                }
                m.copyData->dwData = static_cast<ULONG_PTR>(getLe(value, 8));
            }
            break;
        case kTagData:
            if (size > kMaxCopyDataBytes) {
                return std::nullopt;
            }
            hasData = true;
            if (!m.copyData) {
                m.copyData.emplace();
            }
            m.copyData->bytes.assign(value, value + size);
            break;
        case kTagSender:
            m.sender.assign(reinterpret_cast<const char*>(value), static_cast<std::size_t>(size));
            if (!validSender(m.sender)) {
                return std::nullopt;
            }
            break;
        default:
            break;
        }
    }
    // A registered message by name, or a copy-data block with both of its parts. A block is
    // only ever sent: its receiver reads it while the sender waits, as WM_COPYDATA is.
    const bool copy = hasDwData && hasData;
    if (!seen[kTagKind] || (m.name.empty() == !copy) || (m.copyData && !copy) || (copy && !m.wantsReply)) {
        return std::nullopt;
    }
    return m;
}

std::vector<std::uint8_t> EncodeReply(LRESULT result)
{
    std::vector<std::uint8_t> out(kReplyMagic, kReplyMagic + 4);
    putLe(out, static_cast<std::uint64_t>(result), 8);
    return out;
}

std::optional<LRESULT> DecodeReply(std::span<const std::uint8_t> reply)
{
    if (reply.size() != kReplyBytes || std::memcmp(reply.data(), kReplyMagic, 4) != 0) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(getLe(reply.data() + 4, 8));
}

} // namespace orvel::ipc
