#include "app/instance.h"

#include "app/app_messages.h"
#include "platform/ipc.h"

namespace orvel::app {

ipc::NamedMutex TakeInstanceLock()
{
    return ipc::NamedMutex::CreateMutexW(kInstanceMutexName);
}

bool InstanceRuns()
{
    return ipc::OpenMutexW(kInstanceMutexName);
}

int BringRunningInstanceForward()
{
    const UINT message = RegisterProgramMessages().instance;
    if (message == 0)
        return 0;
    return ipc::BroadcastSystemMessageW(message, 0, 1);
}

} // namespace orvel::app
