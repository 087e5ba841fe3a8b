#include "devices/notification.h"

namespace orvel::devices {

namespace {

bool IsBankCode(std::uint16_t usage)
{
    const int high = usage >> 8;
    return high == 0x10 || high == 0x11;
}

NotifyMeaning BankMeaning(std::uint16_t usage)
{
    NotifyMeaning meaning;
    meaning.action = NotifyAction::Bank;
    meaning.bank = usage & 0x0F;
    meaning.upper = (usage >> 8) == 0x11 ? (usage >> 4) & 0x0F : -1;
    return meaning;
}

} // namespace

NotifyMeaning MeaningOf(std::uint16_t usage, DeviceFamily family, NotifySource source)
{
    if (usage == kNotifySettingsChanged) {
        return {NotifyAction::Resync, family == DeviceFamily::MousePad ? 500 : 50, 0, -1};
    }
    switch (family) {
    case DeviceFamily::Keyboard:
        if (usage == kNotifyProfileChanged) {
            return {NotifyAction::ProfileChanged, 50, 0, -1};
        }
        if (usage > kNotifyProfileChanged && IsBankCode(usage)) {
            return BankMeaning(usage);
        }
        return {};
    case DeviceFamily::Mouse:
        if (usage == kNotifyKeyPress) {
            return source == NotifySource::Cable ? NotifyMeaning{NotifyAction::KeyPress, 0, 0, -1} : NotifyMeaning{};
        }
        if (IsBankCode(usage)) {
            return BankMeaning(usage);
        }
        return {};
    case DeviceFamily::MousePad:
    case DeviceFamily::Headset:
        return {};
    }
    return {};
}

DeviceFamily FamilyOfKind(int kind)
{
    switch (kind) {
    case 1:
    case 9:
        return DeviceFamily::Keyboard;
    case 3:
        return DeviceFamily::MousePad;
    case 7:
        return DeviceFamily::Headset;
    default:
        return DeviceFamily::Mouse;
    }
}

} // namespace orvel::devices
