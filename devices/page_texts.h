#pragma once
// The language keys the device pages set on their controls or ask with (the key and button
// names come from the key tables, the messages from the cores).

namespace orvel::devices {

inline constexpr const char* kRestoreQuestion = "message_text_22";
inline constexpr const char* kRepeatDelayText = "Repeat_Delay_Time"; // followed by 250 x (n + 1) "ms"
inline constexpr const char* kRepeatTryOutTip = "Repeat_input_text";
inline constexpr const char* kKeySetText = "Key_Set";                // between a key's two names

inline constexpr const char* kPageTextKeys[] = {kRestoreQuestion, kRepeatDelayText, kRepeatTryOutTip, kKeySetText};

} // namespace orvel::devices
