#include "tests/audio/scripted_osconf.h"

#include "audio/property_text.h"

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Property {
    std::string text;
    int32_t readResult = OSCONF_OK;
    int32_t writeResult = OSCONF_OK;
    int32_t delayMs = 0;
};

struct Store {
    std::mutex mutex;
    int32_t initResult = OSCONF_OK;
    std::vector<OsConfDevice> devices[2];
    int32_t count[2] = {-1, -1};
    std::map<std::pair<int32_t, std::string>, Property> properties;
    std::vector<ScriptedCall> calls;
};

Store& TheStore()
{
    static Store store;
    return store;
}

void Record(const char* name, int32_t deviceId, int32_t write, const void* value, const void* parameter)
{
    ScriptedCall call{};
    std::strncpy(call.name, name, sizeof call.name - 1);
    call.deviceId = deviceId;
    call.write = write;
    if (value != nullptr)
        std::memcpy(call.value, value, sizeof call.value);
    if (parameter != nullptr) {
        call.hasParameter = 1;
        std::memcpy(call.parameter, parameter, sizeof call.parameter);
    }
    TheStore().calls.push_back(call);
}

} // namespace

extern "C" {

void Scripted_Reset(void)
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    s.initResult = OSCONF_OK;
    s.devices[0].clear();
    s.devices[1].clear();
    s.count[0] = s.count[1] = -1;
    s.properties.clear();
    s.calls.clear();
}

void Scripted_SetInitResult(int32_t result)
{
    std::lock_guard lock(TheStore().mutex);
    TheStore().initResult = result;
}

void Scripted_AddDevice(int32_t flow, OsConfDevice device)
{
    std::lock_guard lock(TheStore().mutex);
    TheStore().devices[flow == 0 ? 0 : 1].push_back(device);
}

void Scripted_SetCount(int32_t flow, int32_t count)
{
    std::lock_guard lock(TheStore().mutex);
    TheStore().count[flow == 0 ? 0 : 1] = count;
}

void Scripted_SetProperty(int32_t deviceId, const char* name, const char* text, int32_t readResult,
                          int32_t writeResult, int32_t delayMs)
{
    std::lock_guard lock(TheStore().mutex);
    TheStore().properties[{deviceId, name}] = Property{text, readResult, writeResult, delayMs};
}

int32_t Scripted_CallCount(void)
{
    std::lock_guard lock(TheStore().mutex);
    return static_cast<int32_t>(TheStore().calls.size());
}

void Scripted_GetCall(int32_t index, ScriptedCall* call)
{
    std::lock_guard lock(TheStore().mutex);
    *call = TheStore().calls.at(static_cast<std::size_t>(index));
}

#ifndef SCRIPTED_OSCONF_PARTIAL
int32_t ConfLibInit(void)
{
    std::lock_guard lock(TheStore().mutex);
    Record("ConfLibInit", 0, 0, nullptr, nullptr);
    return TheStore().initResult;
}

int32_t GetDeviceCount(int32_t flow, int32_t* count)
{
    std::lock_guard lock(TheStore().mutex);
    Record("GetDeviceCount", flow, 0, nullptr, nullptr);
    const int f = flow == 0 ? 0 : 1;
    *count = TheStore().count[f] >= 0 ? TheStore().count[f] : static_cast<int32_t>(TheStore().devices[f].size());
    return OSCONF_OK;
}
#endif

int32_t ConfLibUnInit(void)
{
    std::lock_guard lock(TheStore().mutex);
    Record("ConfLibUnInit", 0, 0, nullptr, nullptr);
    return OSCONF_OK;
}

int32_t CreateDeviceList(void)
{
    std::lock_guard lock(TheStore().mutex);
    Record("CreateDeviceList", 0, 0, nullptr, nullptr);
    return OSCONF_OK;
}

int32_t GetDeviceById(int32_t flow, int32_t index, OsConfDevice* device)
{
    std::lock_guard lock(TheStore().mutex);
    const auto& list = TheStore().devices[flow == 0 ? 0 : 1];
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        return OSCONF_BAD_ARGUMENT;
    *device = list[static_cast<std::size_t>(index)];
    return OSCONF_OK;
}

#ifndef SCRIPTED_OSCONF_PARTIAL
int32_t PropertyControl(OsConfDevice device, const char16_t* name, void** value, void** parameter, int32_t write)
{
    std::string property;
    for (const char16_t* c = name; *c != 0; ++c)
        property.push_back(static_cast<char>(*c));
    Property found;
    bool known = false;
    {
        std::lock_guard lock(TheStore().mutex);
        Record(property.c_str(), device.id, write, *value, parameter != nullptr ? *parameter : nullptr);
        const auto it = TheStore().properties.find({device.id, property});
        known = it != TheStore().properties.end();
        if (known)
            found = it->second;
    }
    if (!known)
        return OSCONF_UNSUPPORTED;
    std::this_thread::sleep_for(std::chrono::milliseconds(found.delayMs));
    auto* buffer = static_cast<unsigned char*>(*value);
    if (write == OSCONF_WRITE) {
        if (found.writeResult != OSCONF_OK)
            return found.writeResult;
        orvel::audio::PropertyBuffer written{};
        std::memcpy(written.data(), buffer, 8);
        const std::string text = property.find("Scalar") != std::string::npos
                                     ? orvel::audio::FractionText(orvel::audio::GetFloat(written))
                                     : std::to_string(orvel::audio::GetInt32(written, 0));
        std::lock_guard lock(TheStore().mutex);
        TheStore().properties[{device.id, property}].text = text;
        return OSCONF_OK;
    }
    if (found.readResult != OSCONF_OK)
        return found.readResult;
    // The whole buffer is the library's to fill: a long text is cut only at its very end.
    const std::size_t length = std::min(found.text.size(), static_cast<std::size_t>(OSCONF_BUFFER_SIZE));
    std::memcpy(buffer, found.text.data(), length);
    return OSCONF_OK;
}
#endif

int32_t RegisterCallbackFunction(OsConfCallback, void*)
{
    return OSCONF_OK;
}

#ifndef SCRIPTED_OSCONF_PARTIAL
int32_t ShowAsioPanel(void)
{
    return OSCONF_OK;
}
#endif

int32_t PlayTestSound(OsConfDevice)
{
    return OSCONF_OK;
}

int32_t StopTestSound(OsConfDevice)
{
    return OSCONF_OK;
}

int32_t CloseTestSound(OsConfDevice)
{
    return OSCONF_OK;
}

} // extern "C"
