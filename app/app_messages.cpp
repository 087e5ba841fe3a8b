#include "app/app_messages.h"

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
        RegisterHookMessages();
        return m;
    }();
    return messages;
}

void RegisterHookMessages()
{
    for (std::wstring_view name : kHookMessageNames)
        RegisterWindowMessageW(name);
    for (std::wstring_view name : kGameMessageNames)
        RegisterWindowMessageW(name);
}

bool IsAwakeGated(UINT message)
{
    if (message < 0xC000)
        return false;
    const std::wstring name = winmsg::MessageName(message);
    for (std::wstring_view hook : kHookMessageNames) {
        if (name == hook)
            return true;
    }
    for (std::wstring_view game : kGameMessageNames) {
        if (name == game)
            return true;
    }
    return false;
}

} // namespace orvel::app
