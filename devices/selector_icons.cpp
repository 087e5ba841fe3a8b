#include "devices/selector_icons.h"

namespace orvel::devices {

IconSet IconSetFor(int kind, int sub)
{
    std::string name;
    switch (kind) {
    case 1: name = "kb_device"; break;
    case 2: name = "ms_device"; break;
    case 3:
        if (sub == 0)
            name = "hard_mp_device";
        else if (sub == 1)
            name = "soft_mp_device";
        else
            return {};
        break;
    case 4:
    case 7: name = "hd_device"; break;
    case 5: name = "hub_device"; break;
    default: name = "unknow_device"; break;
    }
    const std::string base = "common/device_ico/" + name;
    return IconSet{name,
                   base + "_normal.png",
                   base + "_selected.png",
                   base + "_synchro_normal.png",
                   base + "_synchro_selected.png",
                   name + "_name_text"};
}

} // namespace orvel::devices
