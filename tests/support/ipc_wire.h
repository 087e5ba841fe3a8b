#pragma once
// Message frames built byte by byte, as a peer in another language writes them (docs/ipc.md),
// for tests that feed an endpoint or the frame parser what our own encoder never makes.

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvel::testing::wire {

using Bytes = std::vector<std::uint8_t>;

enum Tag : std::uint16_t { kKind = 1, kName = 2, kWParam = 3, kLParam = 4, kDwData = 5, kData = 6, kSender = 7 };

inline void PutLe(Bytes& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A field: 16-bit tag, 32-bit length, the value.
inline Bytes Field(std::uint16_t tag, const Bytes& value)
{
    Bytes out;
    PutLe(out, tag, 2);
    PutLe(out, value.size(), 4);
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

inline Bytes Number(std::uint16_t tag, std::uint64_t v)
{
    Bytes value;
    PutLe(value, v, 8);
    return Field(tag, value);
}

inline Bytes Text(std::uint16_t tag, std::string_view text)
{
    return Field(tag, Bytes(text.begin(), text.end()));
}

// "OVM1", the body length, then the fields.
inline Bytes Frame(const std::vector<Bytes>& fields)
{
    Bytes body;
    for (const Bytes& f : fields)
        body.insert(body.end(), f.begin(), f.end());
    Bytes frame{'O', 'V', 'M', '1'};
    PutLe(frame, body.size(), 4);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

// A registered message by name: sent (the peer waits for the answer) or posted.
inline Bytes Registered(std::string_view name, bool sent, std::uint64_t wParam, std::uint64_t lParam)
{
    return Frame({Field(kKind, {static_cast<std::uint8_t>(sent ? 1 : 0)}), Text(kName, name), Number(kWParam, wParam),
                  Number(kLParam, lParam)});
}

} // namespace orvel::testing::wire
