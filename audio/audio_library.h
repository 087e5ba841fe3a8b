#pragma once
// The audio library loaded at run time: its function table and every call into it, each made
// on the bounded caller so that a library that hangs costs the caller at most the budget.
// A missing export leaves its entry empty; calling it then answers OSCONF_UNSUPPORTED, and a
// call that overran (or came while one still runs) answers OSCONF_NOT_ANSWERING.

#include "audio/bounded_call.h"
#include "audio/osconf_api.h"
#include "audio/property_text.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::audio {

struct OsConfFunctions {
    decltype(&::ConfLibInit) ConfLibInit = nullptr;
    decltype(&::GetDeviceById) GetDeviceById = nullptr;
    decltype(&::PropertyControl) PropertyControl = nullptr;
    decltype(&::RegisterCallbackFunction) RegisterCallbackFunction = nullptr;
    decltype(&::GetDeviceCount) GetDeviceCount = nullptr;
    decltype(&::CreateDeviceList) CreateDeviceList = nullptr;
    decltype(&::ConfLibUnInit) ConfLibUnInit = nullptr;
    decltype(&::ShowAsioPanel) ShowAsioPanel = nullptr;
    decltype(&::PlayTestSound) PlayTestSound = nullptr;
    decltype(&::StopTestSound) StopTestSound = nullptr;
    decltype(&::CloseTestSound) CloseTestSound = nullptr;
};

class CAudioLibrary {
public:
    // The library's own bound plus room for the hop to the calling thread.
    static constexpr std::chrono::milliseconds kDefaultBudget{OSCONF_CALL_BUDGET_MS + 500};

    explicit CAudioLibrary(std::chrono::milliseconds budget = kDefaultBudget);
    // Unloads the library, unless a call into it never returned (its code must stay mapped).
    ~CAudioLibrary();
    CAudioLibrary(const CAudioLibrary&) = delete;
    CAudioLibrary& operator=(const CAudioLibrary&) = delete;

    // Loads the file and resolves every export; false with error set (the loader's words) when
    // the file cannot be loaded. Only the first successful load counts.
    bool Load(const std::filesystem::path& file, std::string& error);
    bool Loaded() const { return handle_ != nullptr; }
    const std::filesystem::path& File() const { return file_; }
    const OsConfFunctions& Functions() const { return functions_; }
    // The exports the library lacks, by name.
    const std::vector<std::string>& MissingExports() const { return missing_; }

    std::int32_t Init();
    std::int32_t UnInit();
    std::int32_t CreateDeviceList();
    std::int32_t GetDeviceCount(std::int32_t flow, std::int32_t& count);
    std::int32_t GetDeviceById(std::int32_t flow, std::int32_t index, OsConfDevice& device);
    // One property call with the buffers as given (the caller clears them); parameter may be
    // null.
    std::int32_t PropertyControl(const OsConfDevice& device, std::u16string_view name, PropertyBuffer& value,
                                 PropertyBuffer* parameter, bool write);

private:
    template <class Call>
    std::int32_t Bounded(bool present, Call call);
    template <class Function>
    void Resolve(Function& entry, const char* name);

    std::filesystem::path file_;
    void* handle_ = nullptr;
    OsConfFunctions functions_;
    std::vector<std::string> missing_;
    CBoundedCaller caller_;
};

} // namespace orvel::audio
