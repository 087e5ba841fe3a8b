#include "input/keyset_panel.h"

namespace orvel::input {

KeySetPanel::KeySetPanel(int deviceKind) : deviceKind_(deviceKind) {}

void KeySetPanel::SetDeviceKind(int deviceKind)
{
    deviceKind_ = deviceKind;
}

const KeySetFields& KeySetPanel::Show(AssignmentCode code)
{
    fields_ = ShowCode(code, halves_.defaults, deviceKind_, macroCount_).fields;
    return fields_;
}

const KeySetFields& KeySetPanel::ShowKey(KeyHalves halves)
{
    halves_ = halves;
    const ShownCode shown = ShowCode(halves_.current, halves_.defaults, deviceKind_, macroCount_);
    halves_.current = shown.shownCode;
    fields_ = shown.fields;
    return fields_;
}

const KeySetFields& KeySetPanel::ShowDefault()
{
    return Show(halves_.defaults);
}

const KeySetFields& KeySetPanel::ShowCurrent()
{
    return Show(halves_.current);
}

void KeySetPanel::SetCurrentCode(AssignmentCode code)
{
    halves_.current = code;
}

AssignmentCode KeySetPanel::Save(const KeySetFields& controls)
{
    const BuiltCode built = BuildCode(controls, halves_, macroCount_);
    halves_.current = built.code;
    fields_ = built.fields;
    saveEnabled_ = true;
    return built.code;
}

AssignmentCode KeySetPanel::PickCategory(const KeySetFields& controls, int category)
{
    return Save(SelectCategory(controls, category));
}

AssignmentCode KeySetPanel::PickModifier(const KeySetFields& controls, int box)
{
    KeySetFields fields = controls;
    fields.modifierBox = box;
    return Save(fields);
}

AssignmentCode KeySetPanel::PickRepeatMode(const KeySetFields& controls, int mode)
{
    KeySetFields fields = controls;
    fields.macroMode = mode;
    fields.repeatRowVisible = mode == kMacroRepeatCountMode;
    return Save(fields);
}

std::optional<AssignmentCode> KeySetPanel::CaptureKey(const KeySetFields& controls, uint8_t scanCode, bool extended)
{
    KeySetFields fields = controls;
    if (!input::CaptureKey(fields, scanCode, extended)) {
        return std::nullopt;
    }
    return Save(fields);
}

const KeySetFields& KeySetPanel::Default()
{
    saveEnabled_ = true;
    return ShowDefault();
}

const KeySetFields& KeySetPanel::Cancel()
{
    saveEnabled_ = false;
    return ShowCurrent();
}

KeyWriteResult WriteMacrosThenKeys(const KeyWriteSteps& steps)
{
    KeyWriteResult result;
    result.profileSaved = steps.saveProfile();
    const MacroWriteOutcome macros = steps.writeMacros();
    ImageResult image;
    image.status = macros.image;
    image.value = macros.value;
    result.refusal = DescribeMacroWrite(image, macros.unitsOf128);
    if (!result.refusal.writeKeys) {
        return result;
    }
    if (macros.image == ImageStatus::Ok && macros.linkStatus != 1) {
        result.deviceNotUpdated = true;
        return result;
    }
    if (steps.writeKeys() != 1) {
        result.deviceNotUpdated = true;
        return result;
    }
    result.keysWritten = true;
    return result;
}

KeyWriteResult KeySetPanel::WriteToDevice(const KeyWriteSteps& steps)
{
    const KeyWriteResult result = WriteMacrosThenKeys(steps);
    if (result.keysWritten) {
        saveEnabled_ = false;
    }
    return result;
}

} // namespace orvel::input
