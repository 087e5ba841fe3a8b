#include "lighting/audio_styles.h"

#include "lighting/audio_record_protocol.h"
#include "platform/paths.h"
#include "profiles/jsonaccess.h"
#include "profiles/user_copy.h"

#include <algorithm>
#include <cstring>

namespace orvel::lighting {

namespace {

constexpr const char* kInfoKey = "AudioLightInfo";
constexpr const char* kDeviceKey = "Device";
constexpr const char* kLevelKeys[3] = {"nStyleR", "nStyleG", "nStyleB"};

std::string NameKey(int style) { return "nStyleName" + std::to_string(style + 1); }
std::string LevelKey(int style, int channel) { return kLevelKeys[channel] + std::to_string(style); }

bool HasDevice(const Json::Value& document) { return profiles::JsonObject(document, kDeviceKey).isObject(); }

} // namespace

const std::string& DefaultStyleName(int style)
{
    static const std::array<std::string, kAudioStyles> names = {"第一组", "第二组", "第三组", "第四组"};
    return names[std::size_t(std::clamp(style, 0, kAudioStyles - 1))];
}

const std::string& AudioStyleSettings::SetName(int index, const std::string& name)
{
    std::string& stored = names[std::size_t(std::clamp(index, 0, kAudioStyles - 1))];
    stored = name.empty() ? DefaultStyleName(index) : name;
    return stored;
}

void AudioStyleSettings::SetLevel(int channel, int value)
{
    levels[style % kAudioStyles][std::size_t(std::clamp(channel, 0, 2))] = std::uint8_t(std::clamp(value, 0, int(kLevelTop)));
}

AudioStyleSettings ReadAudioStyles(const Json::Value& audioRoot)
{
    const Json::Value& info = profiles::JsonObject(audioRoot, kInfoKey);
    AudioStyleSettings s;
    const auto style = std::uint8_t(profiles::JsonInt(info, "nAudioStyle"));
    s.style = style < kAudioStyles ? style : 0;
    for (int n = 0; n < kAudioStyles; ++n) {
        s.names[n] = profiles::JsonString(info, NameKey(n).c_str());
        for (int c = 0; c < 3; ++c) s.levels[n][c] = std::uint8_t(profiles::JsonInt(info, LevelKey(n, c).c_str()));
    }
    return s;
}

void StoreAudioStyles(Json::Value& audioRoot, const AudioStyleSettings& settings)
{
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = settings.style;
    for (int n = 0; n < kAudioStyles; ++n) {
        info[NameKey(n)] = settings.names[n];
        for (int c = 0; c < 3; ++c) info[LevelKey(n, c)] = settings.levels[n][c];
    }
    profiles::JsonSet(audioRoot, kInfoKey, info);
}

std::vector<std::uint8_t> ColourBlockOf(const AudioStyleSettings& settings)
{
    const auto& level = settings.levels[settings.style % kAudioStyles];
    const std::int32_t rgb[3] = {level[0], level[1] == 0 ? 1 : level[1], level[2]};
    std::vector<std::uint8_t> bytes(kColourBlockBytes, 0);
    std::memcpy(bytes.data(), rgb, sizeof rgb);
    return bytes;
}

AudioFile::AudioFile(std::filesystem::path user, std::filesystem::path defaults)
    : user_(std::move(user)), defaults_(std::move(defaults))
{
}

AudioFile AudioFile::Standard()
{
    return AudioFile(paths::UserDataFolder() / kAudioFileName, paths::ProgramFolder() / "DefaultData" / kAudioFileName);
}

AudioStyleSettings AudioFile::Load()
{
    root_ = profiles::JsonObject(profiles::LoadUserCopy(user_, defaults_, HasDevice), kDeviceKey);
    return Settings();
}

bool AudioFile::Save(const AudioStyleSettings& settings)
{
    StoreAudioStyles(root_, settings);
    Json::Value document;
    if (!profiles::ReadForUpdate(user_, [](const Json::Value& d) { return d.isObject(); }, document)) return false;
    document[kDeviceKey] = root_;
    return profiles::SaveUserFile(user_, document);
}

AudioStyleSettings AudioFile::Reset()
{
    const Json::Value document = profiles::ResetUserCopy(user_, defaults_);
    if (!document.isNull()) root_ = profiles::JsonObject(document, kDeviceKey);
    return Settings();
}

} // namespace orvel::lighting
