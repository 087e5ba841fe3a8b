#include "tools/osconflib/conf_library.h"

#include "audio/property_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace orvel::osconf {

namespace {

using audio::FractionText;

Deadline BudgetFromNow()
{
    return Clock::now() + std::chrono::milliseconds(OSCONF_CALL_BUDGET_MS);
}

bool KnownFlow(std::int32_t flow)
{
    return flow == OSCONF_FLOW_PLAYBACK || flow == OSCONF_FLOW_RECORDING;
}

// The property name, when it is plain ASCII of a sensible length.
bool NameOf(const char16_t* name, std::string& text)
{
    text.clear();
    for (std::size_t i = 0; name[i] != 0; ++i) {
        if (name[i] > 0x7E || name[i] < 0x20 || i >= 128)
            return false;
        text.push_back(static_cast<char>(name[i]));
    }
    return !text.empty();
}

std::int32_t PutText(unsigned char* value, const std::string& text)
{
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(OSCONF_BUFFER_SIZE - 1));
    std::memcpy(value, text.data(), length);
    value[length] = 0;
    return OSCONF_OK;
}

std::int32_t Int32At(const unsigned char* buffer)
{
    std::int32_t number = 0;
    std::memcpy(&number, buffer, sizeof number);
    return number;
}

float FloatAt(const unsigned char* buffer)
{
    float number = 0;
    std::memcpy(&number, buffer, sizeof number);
    return number;
}

double AverageVolume(const std::vector<std::uint32_t>& volumes)
{
    if (volumes.empty())
        return 0.0;
    const double sum = std::accumulate(volumes.begin(), volumes.end(), 0.0);
    return sum / static_cast<double>(volumes.size());
}

} // namespace

ConfLibrary::ConfLibrary(std::unique_ptr<SoundServer> server, std::unique_ptr<SidetoneMixer> sidetone)
    : server_(std::move(server)), sidetone_(std::move(sidetone))
{
}

ConfLibrary::~ConfLibrary()
{
    UnInit();
}

std::int32_t ConfLibrary::Init()
{
    std::unique_lock running(running_);
    if (started_)
        return OSCONF_OK;
    const std::int32_t status = server_->Start(BudgetFromNow());
    started_ = status == OSCONF_OK;
    return status;
}

std::int32_t ConfLibrary::UnInit()
{
    std::unique_lock running(running_);
    if (!started_)
        return OSCONF_OK;
    server_->Stop();
    started_ = false;
    std::lock_guard lists(lists_);
    listed_ = {};
    return OSCONF_OK;
}

std::int32_t ConfLibrary::IdOf(int flow, const std::string& name)
{
    for (const KnownDevice& device : known_) {
        if (device.flow == flow && device.name == name)
            return device.id;
    }
    known_.push_back({static_cast<std::int32_t>(known_.size()) + 1, flow, name});
    return known_.back().id;
}

std::int32_t ConfLibrary::CreateDeviceList()
{
    std::shared_lock running(running_);
    if (!started_)
        return OSCONF_NOT_STARTED;
    const Deadline deadline = BudgetFromNow();
    std::array<std::vector<ServerDevice>, 2> found;
    std::int32_t status = OSCONF_OK;
    for (int flow : {OSCONF_FLOW_PLAYBACK, OSCONF_FLOW_RECORDING}) {
        const std::int32_t listed = server_->ListHeadsetDevices(flow, found[static_cast<std::size_t>(flow)], deadline);
        if (listed != OSCONF_OK)
            status = listed;
    }
    std::lock_guard lists(lists_);
    for (int flow : {OSCONF_FLOW_PLAYBACK, OSCONF_FLOW_RECORDING}) {
        auto& ids = listed_[static_cast<std::size_t>(flow)];
        ids.clear();
        for (const ServerDevice& device : found[static_cast<std::size_t>(flow)])
            ids.push_back(IdOf(flow, device.name));
    }
    return status;
}

std::int32_t ConfLibrary::GetDeviceCount(std::int32_t flow, std::int32_t* count)
{
    std::shared_lock running(running_);
    if (count == nullptr || !KnownFlow(flow))
        return OSCONF_BAD_ARGUMENT;
    if (!started_)
        return OSCONF_NOT_STARTED;
    std::lock_guard lists(lists_);
    *count = static_cast<std::int32_t>(listed_[static_cast<std::size_t>(flow)].size());
    return OSCONF_OK;
}

std::int32_t ConfLibrary::GetDeviceById(std::int32_t flow, std::int32_t index, OsConfDevice* device)
{
    std::shared_lock running(running_);
    if (device == nullptr || !KnownFlow(flow))
        return OSCONF_BAD_ARGUMENT;
    if (!started_)
        return OSCONF_NOT_STARTED;
    std::lock_guard lists(lists_);
    const auto& ids = listed_[static_cast<std::size_t>(flow)];
    if (index < 0 || static_cast<std::size_t>(index) >= ids.size())
        return OSCONF_BAD_ARGUMENT;
    *device = OsConfDevice{ids[static_cast<std::size_t>(index)],
                           flow == OSCONF_FLOW_PLAYBACK ? OSCONF_TYPE_HEADPHONES : OSCONF_TYPE_MICROPHONE, 0, 1};
    return OSCONF_OK;
}

std::optional<ConfLibrary::KnownDevice> ConfLibrary::Find(const OsConfDevice& device) const
{
    std::lock_guard lists(lists_);
    for (const KnownDevice& known : known_) {
        const std::int32_t type = known.flow == OSCONF_FLOW_PLAYBACK ? OSCONF_TYPE_HEADPHONES : OSCONF_TYPE_MICROPHONE;
        if (known.id == device.id && type == device.type)
            return known;
    }
    return std::nullopt;
}

std::int32_t ConfLibrary::PropertyControl(const OsConfDevice& device, const char16_t* name, void** value,
                                          void** parameter, std::int32_t write)
{
    std::shared_lock running(running_);
    if (name == nullptr || value == nullptr || *value == nullptr || (write != OSCONF_READ && write != OSCONF_WRITE))
        return OSCONF_BAD_ARGUMENT;
    if (!started_)
        return OSCONF_NOT_STARTED;
    std::string property;
    if (!NameOf(name, property))
        return OSCONF_UNSUPPORTED;
    const std::optional<KnownDevice> known = Find(device);
    if (!known)
        return OSCONF_NO_DEVICE;
    auto* buffer = static_cast<unsigned char*>(*value);
    const bool writing = write == OSCONF_WRITE;
    if (property == "GetSupportFeature")
        return writing ? OSCONF_UNSUPPORTED : PutText(buffer, kNoFeatures);
    if (known->flow != OSCONF_FLOW_RECORDING)
        return OSCONF_UNSUPPORTED;
    const std::int32_t* channel = nullptr;
    std::int32_t channelWord = 0;
    if (parameter != nullptr && *parameter != nullptr) {
        channelWord = Int32At(static_cast<const unsigned char*>(*parameter));
        channel = &channelWord;
    }
    const Deadline deadline = BudgetFromNow();
    if (property.rfind("AA", 0) == 0 || property.rfind("GetAA", 0) == 0)
        return Monitor(property, known->name, buffer, writing, deadline);
    return Recording(property, known->name, buffer, channel, writing, deadline);
}

std::int32_t ConfLibrary::Recording(const std::string& property, const std::string& source, unsigned char* value,
                                    const std::int32_t* channel, bool write, Deadline deadline)
{
    const bool volume = property == "VolumeControl" || property == "VolumeScalarControl";
    const bool range = property == "GetMaxVol" || property == "GetMinVol" || property == "GetVolStep";
    if (!volume && !range && property != "MuteControl")
        return OSCONF_UNSUPPORTED;
    if (write && (range || property == "VolumeControl"))
        return OSCONF_UNSUPPORTED;
    SourceState state;
    if (const std::int32_t read = server_->ReadSource(source, state, deadline); read != OSCONF_OK)
        return read;
    if (property == "MuteControl") {
        if (write)
            return server_->SetSourceMute(source, Int32At(value) != 0, deadline);
        return PutText(value, state.muted ? "1" : "0");
    }
    if (range) {
        if (property == "GetMaxVol")
            return PutText(value, FractionText(100.0));
        if (property == "GetMinVol")
            return PutText(value, FractionText(0.0));
        return PutText(value, FractionText(state.volumeSteps > 1 ? 100.0 / (state.volumeSteps - 1) : 1.0));
    }
    // One channel, or every channel for -1 (and without a parameter).
    const bool everyChannel = channel == nullptr || *channel == -1;
    if (!everyChannel && (*channel < 0 || static_cast<std::size_t>(*channel) >= state.volumes.size()))
        return OSCONF_BAD_ARGUMENT;
    if (!write) {
        const double level = everyChannel ? AverageVolume(state.volumes)
                                          : static_cast<double>(state.volumes[static_cast<std::size_t>(*channel)]);
        const double scalar = level / kNormalVolume;
        return PutText(value, FractionText(property == "VolumeControl" ? scalar * 100.0 : scalar));
    }
    const float scalar = FloatAt(value);
    if (!std::isfinite(scalar) || scalar < 0.0f || scalar > 1.0f)
        return OSCONF_BAD_ARGUMENT;
    const auto wanted = static_cast<std::uint32_t>(std::lround(static_cast<double>(scalar) * kNormalVolume));
    std::vector<std::uint32_t> volumes = state.volumes;
    if (everyChannel)
        std::fill(volumes.begin(), volumes.end(), wanted);
    else
        volumes[static_cast<std::size_t>(*channel)] = wanted;
    return server_->SetSourceVolume(source, volumes, deadline);
}

std::int32_t ConfLibrary::Monitor(const std::string& property, const std::string& source, unsigned char* value,
                                  bool write, Deadline deadline)
{
    const bool known = property == "GetAAMaxVol" || property == "GetAAMinVol" || property == "GetAAVolStep" ||
                       property == "AAVolumeControl" || property == "AAVolumeScalarControl" ||
                       property == "AAMuteControl";
    if (!known || (write && property != "AAVolumeScalarControl" && property != "AAMuteControl"))
        return OSCONF_UNSUPPORTED;
    SourceState state;
    if (const std::int32_t read = server_->ReadSource(source, state, deadline); read != OSCONF_OK)
        return read;
    if (state.alsaCard < 0)
        return OSCONF_UNSUPPORTED;
    if (property == "AAMuteControl") {
        if (write)
            return sidetone_->WriteMuted(state.alsaCard, Int32At(value) != 0);
        bool muted = false;
        const std::int32_t read = sidetone_->ReadMuted(state.alsaCard, muted);
        return read == OSCONF_OK ? PutText(value, muted ? "1" : "0") : read;
    }
    if (write) {
        const float scalar = FloatAt(value);
        if (!std::isfinite(scalar) || scalar < 0.0f || scalar > 1.0f)
            return OSCONF_BAD_ARGUMENT;
        return sidetone_->WriteVolume(state.alsaCard, scalar);
    }
    double scalar = 0.0;
    double step = 0.0;
    if (const std::int32_t read = sidetone_->ReadVolume(state.alsaCard, scalar, step); read != OSCONF_OK)
        return read;
    if (property == "GetAAMaxVol")
        return PutText(value, FractionText(100.0));
    if (property == "GetAAMinVol")
        return PutText(value, FractionText(0.0));
    if (property == "GetAAVolStep")
        return PutText(value, FractionText(step));
    return PutText(value, FractionText(property == "AAVolumeControl" ? scalar * 100.0 : scalar));
}

} // namespace orvel::osconf
