#include "sim/serve/hardware_probe.h"

#include "sim/devices/identities.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace orvel::sim {
namespace {

// "HID_ID=0003:0000320F:00005055" -> vendor and product.
bool ParseHidId(const std::string& line, unsigned& vendor, unsigned& product)
{
    unsigned bus = 0;
    char tail = 0;
    return std::sscanf(line.c_str(), "HID_ID=%x:%x:%x%c", &bus, &vendor, &product, &tail) == 3;
}

} // namespace

bool SupportedHardwarePresent(const std::filesystem::path& hidrawClass)
{
    std::error_code ec;
    for (const auto& node : std::filesystem::directory_iterator(hidrawClass, ec)) {
        std::ifstream uevent(node.path() / "device" / "uevent");
        std::string line;
        while (std::getline(uevent, line)) {
            unsigned vendor = 0;
            unsigned product = 0;
            if (!ParseHidId(line, vendor, product)) {
                continue;
            }
            for (const auto& identity : AllIdentities()) {
                if (identity.vendorId == vendor && identity.productId == product) {
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace orvel::sim
