// The library's exported functions: one library object per process, over the PulseAudio
// server of the desktop and the ALSA mixer of the headset's card.

#include "audio/osconf_api.h"
#include "tools/osconflib/conf_library.h"
#include "tools/osconflib/pulse_server.h"

namespace {

orvel::osconf::ConfLibrary& Library()
{
    static orvel::osconf::ConfLibrary library(std::make_unique<orvel::osconf::PulseServer>(),
                                              std::make_unique<orvel::osconf::AlsaSidetone>());
    return library;
}

} // namespace

extern "C" {

int32_t ConfLibInit(void)
{
    return Library().Init();
}

int32_t ConfLibUnInit(void)
{
    return Library().UnInit();
}

int32_t CreateDeviceList(void)
{
    return Library().CreateDeviceList();
}

int32_t GetDeviceCount(int32_t flow, int32_t* count)
{
    return Library().GetDeviceCount(flow, count);
}

int32_t GetDeviceById(int32_t flow, int32_t index, OsConfDevice* device)
{
    return Library().GetDeviceById(flow, index, device);
}

int32_t PropertyControl(OsConfDevice device, const char16_t* name, void** value, void** parameter, int32_t write)
{
    return Library().PropertyControl(device, name, value, parameter, write);
}

// Device changes show when the program takes the lists anew; the library calls nobody back.
int32_t RegisterCallbackFunction(OsConfCallback, void*)
{
    return OSCONF_UNSUPPORTED;
}

int32_t ShowAsioPanel(void)
{
    return OSCONF_UNSUPPORTED;
}

int32_t PlayTestSound(OsConfDevice)
{
    return OSCONF_UNSUPPORTED;
}

int32_t StopTestSound(OsConfDevice)
{
    return OSCONF_UNSUPPORTED;
}

int32_t CloseTestSound(OsConfDevice)
{
    return OSCONF_UNSUPPORTED;
}

} // extern "C"
