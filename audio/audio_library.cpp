#include "audio/audio_library.h"

#include "platform/debuglog.h"

#include <dlfcn.h>

namespace orvel::audio {

CAudioLibrary::CAudioLibrary(std::chrono::milliseconds budget) : caller_(budget) {}

CAudioLibrary::~CAudioLibrary()
{
    if (handle_ == nullptr)
        return;
    if (caller_.Stuck()) {
        OutputDebugStringA("audio library: a call has not returned; the library stays loaded");
        return;
    }
    ::dlclose(handle_);
}

bool CAudioLibrary::Load(const std::filesystem::path& file, std::string& error)
{
    if (handle_ != nullptr)
        return true;
    ::dlerror();
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : "cannot be loaded";
        return false;
    }
    handle_ = handle;
    file_ = file;
    Resolve(functions_.ConfLibInit, "ConfLibInit");
    Resolve(functions_.GetDeviceById, "GetDeviceById");
    Resolve(functions_.PropertyControl, "PropertyControl");
    Resolve(functions_.RegisterCallbackFunction, "RegisterCallbackFunction");
    Resolve(functions_.GetDeviceCount, "GetDeviceCount");
    Resolve(functions_.CreateDeviceList, "CreateDeviceList");
    Resolve(functions_.ConfLibUnInit, "ConfLibUnInit");
    Resolve(functions_.ShowAsioPanel, "ShowAsioPanel");
    Resolve(functions_.PlayTestSound, "PlayTestSound");
    Resolve(functions_.StopTestSound, "StopTestSound");
    Resolve(functions_.CloseTestSound, "CloseTestSound");
    return true;
}

template <class Function>
void CAudioLibrary::Resolve(Function& entry, const char* name)
{
    entry = reinterpret_cast<Function>(::dlsym(handle_, name));
    if (entry == nullptr)
        missing_.emplace_back(name);
}

template <class Call>
std::int32_t CAudioLibrary::Bounded(bool present, Call call)
{
    if (!present)
        return OSCONF_UNSUPPORTED;
    auto result = std::make_shared<std::int32_t>(OSCONF_NOT_ANSWERING);
    if (!caller_.Run([result, call] { *result = call(); }))
        return OSCONF_NOT_ANSWERING;
    return *result;
}

std::int32_t CAudioLibrary::Init()
{
    return Bounded(functions_.ConfLibInit != nullptr, [f = functions_.ConfLibInit] { return f(); });
}

std::int32_t CAudioLibrary::UnInit()
{
    return Bounded(functions_.ConfLibUnInit != nullptr, [f = functions_.ConfLibUnInit] { return f(); });
}

std::int32_t CAudioLibrary::CreateDeviceList()
{
    return Bounded(functions_.CreateDeviceList != nullptr, [f = functions_.CreateDeviceList] { return f(); });
}

std::int32_t CAudioLibrary::GetDeviceCount(std::int32_t flow, std::int32_t& count)
{
    auto out = std::make_shared<std::int32_t>(0);
    const std::int32_t status = Bounded(functions_.GetDeviceCount != nullptr,
                                        [f = functions_.GetDeviceCount, flow, out] { return f(flow, out.get()); });
    count = status == OSCONF_OK ? *out : 0;
    return status;
}

std::int32_t CAudioLibrary::GetDeviceById(std::int32_t flow, std::int32_t index, OsConfDevice& device)
{
    auto out = std::make_shared<OsConfDevice>();
    const std::int32_t status =
        Bounded(functions_.GetDeviceById != nullptr,
                [f = functions_.GetDeviceById, flow, index, out] { return f(flow, index, out.get()); });
    device = status == OSCONF_OK ? *out : OsConfDevice{};
    return status;
}

std::int32_t CAudioLibrary::PropertyControl(const OsConfDevice& device, std::u16string_view name,
                                            PropertyBuffer& value, PropertyBuffer* parameter, bool write)
{
    // The call may outlive this function when it overruns, so it works on buffers of its own.
    struct Exchange {
        std::u16string name;
        PropertyBuffer value;
        PropertyBuffer parameter;
    };
    auto exchange = std::make_shared<Exchange>(Exchange{std::u16string(name), value, {}});
    if (parameter != nullptr)
        exchange->parameter = *parameter;
    const bool withParameter = parameter != nullptr;
    const std::int32_t status = Bounded(
        functions_.PropertyControl != nullptr, [f = functions_.PropertyControl, device, exchange, withParameter, write] {
            void* valuePointer = exchange->value.data();
            void* parameterPointer = exchange->parameter.data();
            return f(device, exchange->name.c_str(), &valuePointer, withParameter ? &parameterPointer : nullptr,
                     write ? OSCONF_WRITE : OSCONF_READ);
        });
    if (status != OSCONF_NOT_ANSWERING || !caller_.Stuck()) {
        value = exchange->value;
        if (parameter != nullptr)
            *parameter = exchange->parameter;
    }
    return status;
}

} // namespace orvel::audio
