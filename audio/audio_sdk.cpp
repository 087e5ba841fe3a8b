#include "audio/audio_sdk.h"

#include "platform/debuglog.h"
#include "platform/paths.h"

#include <vector>

namespace orvel::audio {

namespace {

// More devices than any sound server lists; a count beyond it is not walked.
constexpr std::int32_t kMostDevices = 64;

std::u16string Utf16Name(std::string_view name)
{
    return std::u16string(name.begin(), name.end());
}

void PutParameter(PropertyBuffer& buffer, const PropertyParameter& parameter)
{
    for (int i = 0; i < parameter.count; ++i)
        PutInt32(buffer, static_cast<std::size_t>(i) * 4, parameter.words[static_cast<std::size_t>(i)]);
}

std::vector<OsConfDevice> ListDevices(CAudioLibrary& library, std::int32_t flow)
{
    std::int32_t count = 0;
    std::vector<OsConfDevice> devices;
    if (library.GetDeviceCount(flow, count) != OSCONF_OK)
        return devices;
    for (std::int32_t i = 0; i < std::min(count, kMostDevices); ++i) {
        OsConfDevice device{};
        if (library.GetDeviceById(flow, i, device) == OSCONF_OK)
            devices.push_back(device);
    }
    return devices;
}

} // namespace

CAudioSdk::CAudioSdk(std::chrono::milliseconds budget) : library_(budget) {}

CAudioSdk::~CAudioSdk()
{
    if (initialised_)
        library_.UnInit();
}

std::filesystem::path CAudioSdk::SdkFolderOf(const std::filesystem::path& programFolder)
{
    const std::filesystem::path share(ORVEL_SHARE_SUBDIR);
    if (programFolder.filename() == share.filename() &&
        programFolder.parent_path().filename() == share.parent_path().filename())
        return programFolder.parent_path().parent_path() / "lib" / share.filename() / "SDK";
    return programFolder / "SDK";
}

std::filesystem::path CAudioSdk::SdkFolder()
{
    return SdkFolderOf(paths::ProgramFolder());
}

bool CAudioSdk::Start(const std::filesystem::path& sdkFolder)
{
    if (startRan_)
        return InUse();
    startRan_ = true;
    if (!LoadAudioLibrary(sdkFolder))
        return false;
    const std::int32_t init = library_.Init();
    initialised_ = init == OSCONF_OK;
    if (!initialised_)
        LogOnce("init", "ConfLibInit called failed! (" + std::to_string(init) + ")");
    library_.CreateDeviceList();
    SelectAndProbe();
    return true;
}

void CAudioSdk::Refresh()
{
    if (!InUse())
        return;
    library_.CreateDeviceList();
    SelectAndProbe();
}

bool CAudioSdk::LoadAudioLibrary(const std::filesystem::path& sdkFolder)
{
    const std::filesystem::path file = sdkFolder / OSCONF_LIBRARY_FILE;
    if (!library_.Load(file, loadError_)) {
        LogOnce("load", "audio library " + file.string() + " not loaded: " + loadError_);
        return false;
    }
    for (const std::string& name : library_.MissingExports())
        LogOnce("export " + name, "audio library " + file.string() + " has no " + name);
    return true;
}

void CAudioSdk::SelectAndProbe()
{
    std::int32_t count = 0;
    library_.GetDeviceCount(OSCONF_FLOW_PLAYBACK, count);
    playback_ = recording_ = AudioDevice{};
    probed_.clear();
    if (count == 0) {
        LogOnce("no devices", "audio library: the sound server lists no headset device");
        return;
    }
    SelectAudioDevices();
    ProbeProperties();
}

void CAudioSdk::SelectAudioDevices()
{
    playback_.record = ChoosePlaybackDevice(ListDevices(library_, OSCONF_FLOW_PLAYBACK));
    recording_.record = ChooseRecordingDevice(ListDevices(library_, OSCONF_FLOW_RECORDING));
    ReadFeatures(recording_);
    ReadFeatures(playback_);
}

void CAudioSdk::ReadFeatures(AudioDevice& device)
{
    if (device.record.type < 1)
        return;
    PropertyBuffer value{};
    if (Property(device, prop::kSupportFeature, value, nullptr, false) != OSCONF_OK)
        return;
    const std::optional<FeatureWords> words = ParseFeatures(BufferText(value));
    if (!words) {
        LogOnce("features", "UpdateAPOAvailable failed!");
        return;
    }
    device.features = *words;
}

void CAudioSdk::ProbeProperties()
{
    for (const ProbedProperty& property : ProbeList())
        probed_[std::string(property.name)] = ReadText(property.flow, property.name, property.parameter).has_value();
}

bool CAudioSdk::Available(std::string_view name) const
{
    const auto found = probed_.find(name);
    return found != probed_.end() && found->second;
}

std::int32_t CAudioSdk::Property(const AudioDevice& device, std::string_view name, PropertyBuffer& value,
                                 const PropertyParameter* parameter, bool write)
{
    if (!InUse())
        return OSCONF_NOT_STARTED;
    PropertyBuffer parameterBuffer{};
    if (parameter != nullptr)
        PutParameter(parameterBuffer, *parameter);
    const std::int32_t status = library_.PropertyControl(device.record, Utf16Name(name), value,
                                                         parameter != nullptr ? &parameterBuffer : nullptr, write);
    if (status != OSCONF_OK) {
        const std::string direction = write ? "write" : "read";
        LogOnce(std::string(name) + " " + direction,
                "audio property " + std::string(name) + ": " + direction + " failed (" + std::to_string(status) + ")");
    }
    return status;
}

std::optional<std::string> CAudioSdk::ReadText(AudioFlow flow, std::string_view name,
                                               const PropertyParameter* parameter)
{
    PropertyBuffer value{};
    if (Property(Device(flow), name, value, parameter, false) != OSCONF_OK)
        return std::nullopt;
    return std::string(BufferText(value));
}

std::optional<std::int32_t> CAudioSdk::ReadInt(AudioFlow flow, std::string_view name,
                                               const PropertyParameter* parameter)
{
    const std::optional<std::string> text = ReadText(flow, name, parameter);
    return text ? ParseIntegerText(*text) : std::nullopt;
}

std::optional<double> CAudioSdk::ReadFraction(AudioFlow flow, std::string_view name,
                                              const PropertyParameter* parameter)
{
    const std::optional<std::string> text = ReadText(flow, name, parameter);
    return text ? ParseFractionText(*text) : std::nullopt;
}

bool CAudioSdk::WriteInt(AudioFlow flow, std::string_view name, std::int32_t value,
                         const PropertyParameter* parameter)
{
    PropertyBuffer buffer{};
    PutInt32(buffer, 0, value);
    return Property(Device(flow), name, buffer, parameter, true) == OSCONF_OK;
}

bool CAudioSdk::WriteScalar(AudioFlow flow, std::string_view name, float value, const PropertyParameter* parameter)
{
    PropertyBuffer buffer{};
    PutFloat(buffer, value);
    return Property(Device(flow), name, buffer, parameter, true) == OSCONF_OK;
}

void CAudioSdk::LogOnce(const std::string& key, const std::string& line)
{
    if (logged_.insert(key).second)
        OutputDebugStringA(line);
}

} // namespace orvel::audio
