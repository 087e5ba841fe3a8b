#pragma once
// The twelve equaliser presets the program ships, ten bands each.

#include "profiles/profiledata.h"

namespace orvel::audio {

inline constexpr int kPresetCount = 12;
inline constexpr int kCustomEqType = profiles::CHs6533Profiledata::kCustomEqType;
inline constexpr int kMostCustomEqualisers = 20;
// The band sliders' range.
inline constexpr int kLowestBand = -20;
inline constexpr int kHighestBand = 20;

// The bands of preset eqType (1..12); nullptr for any other number.
const profiles::EqBands* PresetBands(int eqType);

} // namespace orvel::audio
