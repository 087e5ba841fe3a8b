#include "app/app_messages.h"

#include "input/hook/hook_messages.h"
#include "platform/debuglog.h"

namespace orvel::app {

const RegisteredMessages& RegisterProgramMessages()
{
    static const RegisteredMessages messages = [] {
        RegisteredMessages m;
        m.instance = RegisterWindowMessageW(kInstanceMessageName);
        debuglog::Writef("软件标示：%u", m.instance);
        m.updateStatus = RegisterWindowMessageW(kUpdateStatusMessageName);
        m.lightOwner = RegisterWindowMessageW(kLightOwnerMessageName);
        m.lightControl = RegisterWindowMessageW(kLightControlMessageName);
        m.workToolQuery = RegisterWindowMessageW(kWorkToolQueryMessageName);
        m.audioRecord = RegisterWindowMessageW(kAudioRecordMessageName);
        input::RegisterHookMessages();
        return m;
    }();
    return messages;
}

std::vector<std::wstring> MessagesFromOtherPrograms()
{
    std::vector<std::wstring> names{std::wstring(kInstanceMessageName), std::wstring(kUpdateStatusMessageName),
                                    std::wstring(kLightControlMessageName), std::wstring(kWorkToolQueryMessageName)};
    names.insert(names.end(), kGameMessageNames.begin(), kGameMessageNames.end());
    return names;
}

bool IsAwakeGated(UINT message)
{
    return input::RouteHookMessage(message).target != input::HookTarget::NotHook;
}

} // namespace orvel::app
