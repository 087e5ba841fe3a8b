#include "tools/osconflib/sidetone.h"

#include "audio/osconf_api.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cctype>
#include <cmath>
#include <functional>

namespace orvel::osconf {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The card's mixer, open for one call.
class CardMixer {
public:
    explicit CardMixer(int card)
    {
        const std::string device = "hw:" + std::to_string(card);
        if (card < 0 || snd_mixer_open(&mixer_, 0) < 0) {
            mixer_ = nullptr;
            return;
        }
        if (snd_mixer_attach(mixer_, device.c_str()) < 0 || snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 ||
            snd_mixer_load(mixer_) < 0) {
            snd_mixer_close(mixer_);
            mixer_ = nullptr;
        }
    }
    ~CardMixer()
    {
        if (mixer_ != nullptr)
            snd_mixer_close(mixer_);
    }
    CardMixer(const CardMixer&) = delete;
    CardMixer& operator=(const CardMixer&) = delete;

    // The sidetone control, or null.
    snd_mixer_elem_t* Sidetone()
    {
        if (mixer_ == nullptr)
            return nullptr;
        std::vector<snd_mixer_elem_t*> handles;
        std::vector<MixerElement> elements;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e != nullptr; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e))
                continue;
            handles.push_back(e);
            elements.push_back({snd_mixer_selem_get_name(e), snd_mixer_selem_has_playback_volume(e) != 0,
                                snd_mixer_selem_has_playback_switch(e) != 0});
        }
        const int chosen = ChooseSidetoneElement(elements);
        return chosen >= 0 ? handles[static_cast<std::size_t>(chosen)] : nullptr;
    }

private:
    snd_mixer_t* mixer_ = nullptr;
};

std::int32_t WithSidetone(int card, const std::function<std::int32_t(snd_mixer_elem_t*)>& use)
{
    CardMixer mixer(card);
    snd_mixer_elem_t* element = mixer.Sidetone();
    return element != nullptr ? use(element) : OSCONF_UNSUPPORTED;
}

} // namespace

int ChooseSidetoneElement(const std::vector<MixerElement>& elements)
{
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].playbackVolume && Lower(elements[i].name).find("sidetone") != std::string::npos)
            return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].playbackVolume && elements[i].name == "Mic")
            return static_cast<int>(i);
    }
    return -1;
}

double ScalarOfRange(long value, long minimum, long maximum)
{
    if (maximum <= minimum)
        return 0.0;
    return std::clamp(static_cast<double>(value - minimum) / static_cast<double>(maximum - minimum), 0.0, 1.0);
}

long ValueInRange(double scalar, long minimum, long maximum)
{
    if (maximum <= minimum)
        return minimum;
    return minimum + std::lround(std::clamp(scalar, 0.0, 1.0) * static_cast<double>(maximum - minimum));
}

std::int32_t AlsaSidetone::ReadVolume(int card, double& scalar, double& stepPercent)
{
    return WithSidetone(card, [&](snd_mixer_elem_t* e) {
        long minimum = 0, maximum = 0, value = 0;
        if (snd_mixer_selem_get_playback_volume_range(e, &minimum, &maximum) < 0 ||
            snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0)
            return OSCONF_REFUSED;
        scalar = ScalarOfRange(value, minimum, maximum);
        stepPercent = maximum > minimum ? 100.0 / static_cast<double>(maximum - minimum) : 0.0;
        return OSCONF_OK;
    });
}

std::int32_t AlsaSidetone::WriteVolume(int card, double scalar)
{
    return WithSidetone(card, [&](snd_mixer_elem_t* e) {
        long minimum = 0, maximum = 0;
        if (snd_mixer_selem_get_playback_volume_range(e, &minimum, &maximum) < 0 ||
            snd_mixer_selem_set_playback_volume_all(e, ValueInRange(scalar, minimum, maximum)) < 0)
            return OSCONF_REFUSED;
        return OSCONF_OK;
    });
}

std::int32_t AlsaSidetone::ReadMuted(int card, bool& muted)
{
    return WithSidetone(card, [&](snd_mixer_elem_t* e) {
        if (!snd_mixer_selem_has_playback_switch(e))
            return OSCONF_UNSUPPORTED;
        int on = 0;
        if (snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
            return OSCONF_REFUSED;
        muted = on == 0;
        return OSCONF_OK;
    });
}

std::int32_t AlsaSidetone::WriteMuted(int card, bool muted)
{
    return WithSidetone(card, [&](snd_mixer_elem_t* e) {
        if (!snd_mixer_selem_has_playback_switch(e))
            return OSCONF_UNSUPPORTED;
        return snd_mixer_selem_set_playback_switch_all(e, muted ? 0 : 1) < 0 ? OSCONF_REFUSED : OSCONF_OK;
    });
}

} // namespace orvel::osconf
