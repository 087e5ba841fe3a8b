#pragma once
// The pictures of a device's selector item, chosen by its kind and sub number.

#include <string>

namespace orvel::devices {

// The selector item's pictures for a device of (kind, sub): the set's four images and its
// tooltip key. Kind 3 with a sub other than 0 or 1 has none (the item keeps its images).
struct IconSet {
    std::string name; // "kb_device", ...; empty: keep the layout's images
    std::string normal, selected, synchroNormal, synchroSelected, tooltipKey;
};
IconSet IconSetFor(int kind, int sub);

} // namespace orvel::devices
