#include "input/qt/key_write.h"

#include "devices/key_write_steps.h"
#include "devices/kind_models.h"

namespace orvel::input {

namespace {

devices::SequenceResult ResultOf(const KeyWriteResult& written)
{
    devices::SequenceResult result;
    if (!written.refusal.messageKey.empty()) {
        result.status = 0;
        result.messages.push_back({written.refusal.messageKey, written.refusal.number.value_or(0),
                                   written.refusal.number.has_value()});
    }
    if (written.deviceNotUpdated)
        result.Take(0);
    result.TakeSave(written.profileSaved);
    return result;
}

} // namespace

devices::SequenceResult WriteKeys(devices::DeviceModel& model,
                                  const std::function<KeyWriteResult(const KeyWriteSteps&)>& write)
{
    return model.Perform([&] {
        if (auto* keyboard = dynamic_cast<devices::KeyboardModel*>(&model))
            return ResultOf(write(devices::KeyWriteStepsOf(keyboard->Keyboard())));
        if (auto* mouse = dynamic_cast<devices::MouseModel*>(&model))
            return ResultOf(write(devices::KeyWriteStepsOf(mouse->Mouse())));
        return devices::SequenceResult{};
    });
}

bool SaveKeys(devices::DeviceModel& model)
{
    if (auto* keyboard = dynamic_cast<devices::KeyboardModel*>(&model))
        return keyboard->Keyboard().Profile().Save();
    if (auto* mouse = dynamic_cast<devices::MouseModel*>(&model))
        return mouse->Mouse().Profile().Save();
    return true;
}

} // namespace orvel::input
