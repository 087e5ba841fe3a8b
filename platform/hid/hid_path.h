#pragma once
// Interface paths as the HID layer hands them out:
//   /dev/hidraw3#vid_320f&pid_221c&mi_01&col04
//   vhid:/run/user/1000/varno-orvel-80/vhid/mouse.if1.sock#vid_320f&pid_221c&mi_01&col04
// The part before the last '#' says where the interface is; the part after it names the
// device, the USB interface and (when the interface has more than one top-level
// collection) the collection, numbered from 01 in descriptor order.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::hid {

// The hexadecimal number after key ("vid_", "pid_", "&mi_", "&col"), searched without
// regard to case in the part after the last '#' (the whole path when it has none);
// 0 when the key is absent or not followed by a hexadecimal digit.
uint32_t PathNumber(std::string_view path, std::string_view key);

// "#vid_320f&pid_221c&mi_01" plus "&col04" when collection is not 0.
std::string PathSuffix(uint16_t vendorId, uint16_t productId, uint32_t interfaceNumber, uint32_t collection);

// The location part: everything before the last '#'.
std::string_view PathLocation(std::string_view path);

inline constexpr std::string_view kVhidScheme = "vhid:";
inline bool IsVhidPath(std::string_view path)
{
    return path.substr(0, kVhidScheme.size()) == kVhidScheme;
}

} // namespace orvel::hid
