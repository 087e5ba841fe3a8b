#pragma once
// The test audio library's control functions, reached through the same loaded file the
// program's wrapper uses. Every test starts from an empty store.

#include "tests/audio/scripted_osconf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::audio::testing {

inline std::filesystem::path ScriptedSdk()
{
    return SCRIPTED_SDK_DIR;
}

inline std::filesystem::path PartialSdk()
{
    return PARTIAL_SDK_DIR;
}

class ScriptedLibrary {
public:
    explicit ScriptedLibrary(const std::filesystem::path& sdk = ScriptedSdk())
    {
        handle_ = ::dlopen((sdk / OSCONF_LIBRARY_FILE).c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle_, nullptr) << ::dlerror();
        Resolve(reset_, "Scripted_Reset");
        Resolve(initResult_, "Scripted_SetInitResult");
        Resolve(addDevice_, "Scripted_AddDevice");
        Resolve(setCount_, "Scripted_SetCount");
        Resolve(setProperty_, "Scripted_SetProperty");
        Resolve(callCount_, "Scripted_CallCount");
        Resolve(getCall_, "Scripted_GetCall");
        reset_();
    }
    ~ScriptedLibrary()
    {
        if (handle_ != nullptr)
            ::dlclose(handle_);
    }
    ScriptedLibrary(const ScriptedLibrary&) = delete;
    ScriptedLibrary& operator=(const ScriptedLibrary&) = delete;

    void SetInitResult(int32_t result) { initResult_(result); }
    void AddDevice(int32_t flow, OsConfDevice device) { addDevice_(flow, device); }
    void SetCount(int32_t flow, int32_t count) { setCount_(flow, count); }
    void SetProperty(int32_t device, const std::string& name, const std::string& text, int32_t read = OSCONF_OK,
                     int32_t write = OSCONF_OK, int32_t delayMs = 0)
    {
        setProperty_(device, name.c_str(), text.c_str(), read, write, delayMs);
    }

    // The calls made since the first'th.
    std::vector<ScriptedCall> Calls(std::size_t first = 0) const
    {
        std::vector<ScriptedCall> calls;
        for (int32_t i = static_cast<int32_t>(first); i < callCount_(); ++i) {
            ScriptedCall call{};
            getCall_(i, &call);
            calls.push_back(call);
        }
        return calls;
    }
    std::size_t CallCount() const { return static_cast<std::size_t>(callCount_()); }
    // The property writes since the first'th call, as "name=value" with the value an integer,
    // or a float for the properties whose name holds "Scalar".
    std::vector<std::string> Writes(std::size_t first = 0) const
    {
        std::vector<std::string> writes;
        for (const ScriptedCall& call : Calls(first)) {
            if (call.write != OSCONF_WRITE)
                continue;
            std::string value;
            if (std::string(call.name).find("Scalar") != std::string::npos) {
                float number = 0;
                std::memcpy(&number, call.value, sizeof number);
                char text[32];
                std::snprintf(text, sizeof text, "%.2f", static_cast<double>(number));
                value = text;
            } else {
                int32_t number = 0;
                std::memcpy(&number, call.value, sizeof number);
                value = std::to_string(number);
            }
            writes.push_back(std::string(call.name) + "=" + value);
        }
        return writes;
    }

private:
    template <class Function>
    void Resolve(Function& entry, const char* name)
    {
        entry = handle_ != nullptr ? reinterpret_cast<Function>(::dlsym(handle_, name)) : nullptr;
        ASSERT_NE(entry, nullptr) << name;
    }

    void* handle_ = nullptr;
    decltype(&Scripted_Reset) reset_ = nullptr;
    decltype(&Scripted_SetInitResult) initResult_ = nullptr;
    decltype(&Scripted_AddDevice) addDevice_ = nullptr;
    decltype(&Scripted_SetCount) setCount_ = nullptr;
    decltype(&Scripted_SetProperty) setProperty_ = nullptr;
    decltype(&Scripted_CallCount) callCount_ = nullptr;
    decltype(&Scripted_GetCall) getCall_ = nullptr;
};

} // namespace orvel::audio::testing
