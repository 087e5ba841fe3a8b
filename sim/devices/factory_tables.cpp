#include "sim/devices/factory_tables.h"

#include <charconv>
#include <string_view>

namespace orvel::sim {
namespace {

// position:usage for a plain key (type 0x20, b1 0), position:type/b1/b2 otherwise;
// positions not listed hold 0x20/00/00.
constexpr std::string_view kPositionText =
    "0:29 1:3A 2:3B 3:3C 4:3D 5:3E 6:3F 7:40 8:41 9:42 10:43 11:44 12:45 13:46 14:47 15:48 "
    "16:A0/1B/00 17:A0/24/00 21:35 22:1E 23:1F 24:20 25:21 26:22 27:23 28:24 29:25 30:26 31:27 "
    "32:2D 33:2E 34:2A 35:49 36:4A 37:4B 38:53 39:54 40:55 41:56 42:2B 43:14 44:1A 45:08 46:15 "
    "47:17 48:1C 49:18 50:0C 51:12 52:13 53:2F 54:30 55:31 56:4C 57:4D 58:4E 59:5F 60:60 61:61 "
    "62:32 63:39 64:04 65:16 66:07 67:09 68:0A 69:0B 70:0D 71:0E 72:0F 73:33 74:34 75:28 76:5C "
    "77:5D 78:5E 79:8A 80:8B 81:90 82:91 83:88 84:20/02/00 85:1D 86:1B 87:06 88:19 89:05 90:11 "
    "91:10 92:36 93:37 94:38 95:20/20/00 96:52 97:59 98:5A 99:5B 100:87 101:89 102:64 103:85 "
    "105:20/01/00 106:20/08/00 107:20/04/00 108:2C 109:20/40/00 110:A0/01/00 111:65 112:20/10/00 "
    "113:50 114:51 115:4F 116:62 117:63 118:58 119:57 120:D0/A2/01 121:D0/A2/02 122:D0/A2/03 "
    "123:D0/A2/04 124:D0/A2/05 125:20/80/00 126:A0/44/2C 127:A0/44/05";

std::uint8_t Hex(std::string_view text)
{
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return static_cast<std::uint8_t>(value);
}

std::array<KeyCode, kKeyboardPositions> ParsePositions()
{
    std::array<KeyCode, kKeyboardPositions> codes;
    codes.fill(KeyCode{0x20, 0x00, 0x00});
    std::string_view rest = kPositionText;
    while (!rest.empty()) {
        const auto end = rest.find(' ');
        const std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const auto colon = item.find(':');
        int position = 0;
        std::from_chars(item.data(), item.data() + colon, position);
        const std::string_view code = item.substr(colon + 1);
        if (code.find('/') == std::string_view::npos) {
            codes[position] = KeyCode{0x20, 0x00, Hex(code)};
        } else {
            codes[position] = KeyCode{Hex(code.substr(0, 2)), Hex(code.substr(3, 2)), Hex(code.substr(6, 2))};
        }
    }
    return codes;
}

void Append(std::vector<std::uint8_t>& table, const KeyCode& code)
{
    table.push_back(code.type);
    table.push_back(code.b1);
    table.push_back(code.b2);
}

} // namespace

const std::array<KeyCode, kKeyboardPositions>& KeyboardPositionCodes()
{
    static const auto codes = ParsePositions();
    return codes;
}

const std::vector<int>& KeyboardKeyPositions()
{
    // A full-size ANSI board, row by row as the on-screen positions run. The board has no
    // Fn key (110), no international keys (62, 79-83, 100-103), no extra function keys
    // (16, 17, 120-124, 126, 127); where position 111 (menu) would be it has its Fn-lock key.
    static const std::vector<int> positions = [] {
        std::vector<int> list;
        auto range = [&list](int from, int to) {
            for (int p = from; p <= to; ++p) {
                list.push_back(p);
            }
        };
        range(0, 15);
        range(21, 61);
        range(63, 78);
        range(84, 99);
        range(105, 109);
        list.push_back(111);
        range(112, 119);
        list.push_back(125);
        return list;
    }();
    return positions;
}

std::vector<std::uint8_t> KeyboardFactoryKeyTable()
{
    std::vector<std::uint8_t> table;
    for (int position : KeyboardKeyPositions()) {
        Append(table, position == kFnLockPosition ? kFnLockCode : KeyboardPositionCodes()[position]);
    }
    return table;
}

std::vector<std::uint8_t> KeyboardLedTable()
{
    std::vector<std::uint8_t> table;
    for (int position : KeyboardKeyPositions()) {
        table.push_back(static_cast<std::uint8_t>(position));
    }
    return table;
}

const std::array<KeyCode, 11>& MouseButtonCodes()
{
    static const std::array<KeyCode, 11> codes{{
        {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
        {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
        {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
    }};
    return codes;
}

std::vector<std::uint8_t> MouseFactoryKeyTable()
{
    std::vector<std::uint8_t> table;
    for (const auto& code : MouseButtonCodes()) {
        Append(table, code);
    }
    return table;
}

} // namespace orvel::sim
