#include "tools/osconflib/pulse_server.h"

#include "audio/osconf_api.h"
#include "platform/pulse_lock.h"

#include <algorithm>
#include <cstdlib>
#include <pulse/pulseaudio.h>

namespace orvel::osconf {

namespace {

constexpr const char* kClientName = "VARNO Orvel 80";

bool SameHex(const char* text, unsigned long expected)
{
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    return end != nullptr && *end == '\0' && value == expected;
}

int CardOf(const pa_proplist* properties)
{
    const char* card = pa_proplist_gets(properties, "alsa.card");
    if (card == nullptr || *card == '\0')
        return -1;
    char* end = nullptr;
    const long number = std::strtol(card, &end, 10);
    return end != nullptr && *end == '\0' && number >= 0 && number < 1000 ? static_cast<int>(number) : -1;
}

bool IsHeadset(const pa_proplist* properties)
{
    return IsHeadsetDevice(pa_proplist_gets(properties, PA_PROP_DEVICE_VENDOR_ID),
                           pa_proplist_gets(properties, PA_PROP_DEVICE_PRODUCT_ID));
}

// A time event's time: the main loop's timers take the wall clock.
struct timeval WallClockIn(pa_usec_t delay)
{
    struct timeval when {};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, delay);
    return when;
}

std::int32_t FailureOf(pa_context* context)
{
    switch (pa_context_errno(context)) {
    case PA_ERR_NOENTITY:
        return OSCONF_NO_DEVICE;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_TIMEOUT:
    case PA_ERR_KILLED:
    case PA_ERR_BADSTATE:
        return OSCONF_NOT_ANSWERING;
    default:
        return OSCONF_REFUSED;
    }
}

} // namespace

bool IsHeadsetDevice(const char* vendorId, const char* productId)
{
    return SameHex(vendorId, 0x0C76) && SameHex(productId, 0x1630);
}

// One request in flight: what its callback fills in, and how it ended.
struct PulseServer::Request {
    pa_threaded_mainloop* mainloop = nullptr;
    bool done = false;
    std::int32_t status = OSCONF_OK;
    std::vector<ServerDevice>* devices = nullptr;
    SourceState* source = nullptr;

    void Finish(std::int32_t result)
    {
        status = result;
        done = true;
        pa_threaded_mainloop_signal(mainloop, 0);
    }
};

namespace {

using Request = PulseServer::Request;

void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* data)
{
    auto* request = static_cast<Request*>(data);
    if (eol != 0) {
        request->Finish(eol < 0 ? FailureOf(context) : OSCONF_OK);
        return;
    }
    if (IsHeadset(info->proplist))
        request->devices->push_back({info->name});
}

void OnSourceListInfo(pa_context* context, const pa_source_info* info, int eol, void* data)
{
    auto* request = static_cast<Request*>(data);
    if (eol != 0) {
        request->Finish(eol < 0 ? FailureOf(context) : OSCONF_OK);
        return;
    }
    // A playback device's monitor is not a microphone.
    if (info->monitor_of_sink == PA_INVALID_INDEX && IsHeadset(info->proplist))
        request->devices->push_back({info->name});
}

void OnSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* data)
{
    auto* request = static_cast<Request*>(data);
    if (eol < 0) {
        request->Finish(FailureOf(context));
        return;
    }
    if (eol > 0) {
        request->Finish(request->status); // OSCONF_NO_DEVICE unless the source came
        return;
    }
    SourceState& state = *request->source;
    state.volumes.assign(info->volume.values, info->volume.values + info->volume.channels);
    state.muted = info->mute != 0;
    state.volumeSteps = info->n_volume_steps;
    state.alsaCard = CardOf(info->proplist);
    request->status = OSCONF_OK;
}

void OnSuccess(pa_context* context, int success, void* data)
{
    static_cast<Request*>(data)->Finish(success != 0 ? OSCONF_OK : FailureOf(context));
}

// Wakes a waiting caller when its deadline has come.
struct DeadlineTimer {
    pa_mainloop_api* api = nullptr;
    pa_time_event* event = nullptr;
    pa_threaded_mainloop* mainloop = nullptr;
    bool passed = false;

    DeadlineTimer(pa_threaded_mainloop* loop, Deadline deadline)
        : api(pa_threaded_mainloop_get_api(loop)), mainloop(loop)
    {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            passed = true;
            return;
        }
        const struct timeval when = WallClockIn(static_cast<pa_usec_t>(left));
        event = api->time_new(api, &when, &DeadlineTimer::Fire, this);
    }
    ~DeadlineTimer()
    {
        if (event != nullptr)
            api->time_free(event);
    }
    DeadlineTimer(const DeadlineTimer&) = delete;
    DeadlineTimer& operator=(const DeadlineTimer&) = delete;

    static void Fire(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data)
    {
        auto* timer = static_cast<DeadlineTimer*>(data);
        timer->passed = true;
        pa_threaded_mainloop_signal(timer->mainloop, 0);
    }
};

} // namespace

PulseServer::~PulseServer()
{
    Stop();
}

std::int32_t PulseServer::Start(Deadline deadline)
{
    if (mainloop_ != nullptr)
        return OSCONF_OK;
    mainloop_ = pa_threaded_mainloop_new();
    if (mainloop_ == nullptr)
        return OSCONF_REFUSED;
    pa_threaded_mainloop_set_name(mainloop_, "osconf-pulse");
    if (pa_threaded_mainloop_start(mainloop_) < 0) {
        pa_threaded_mainloop_free(mainloop_);
        mainloop_ = nullptr;
        return OSCONF_REFUSED;
    }
    pulse::MainloopLock locked(mainloop_);
    stopping_ = false;
    down_ = false;
    Connect();
    WaitReady(deadline);
    return OSCONF_OK;
}

void PulseServer::Stop()
{
    if (mainloop_ == nullptr)
        return;
    {
        pulse::MainloopLock locked(mainloop_);
        stopping_ = true;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
        if (reconnect_ != nullptr) {
            api->time_free(reconnect_);
            reconnect_ = nullptr;
        }
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
}

void PulseServer::Connect()
{
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), kClientName);
    if (context_ == nullptr) {
        down_ = true;
        ScheduleReconnect();
        return;
    }
    pa_context_set_state_callback(context_, &PulseServer::OnState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        down_ = true;
        ScheduleReconnect();
    }
}

void PulseServer::ScheduleReconnect()
{
    if (stopping_ || reconnect_ != nullptr)
        return;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    const struct timeval when = WallClockIn(reconnectDelayUs_);
    reconnectDelayUs_ = std::min(2 * reconnectDelayUs_, kLongestReconnectDelayUs);
    reconnect_ = api->time_new(api, &when, &PulseServer::OnReconnect, this);
}

void PulseServer::OnReconnect(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* data)
{
    auto* self = static_cast<PulseServer*>(data);
    api->time_free(event);
    self->reconnect_ = nullptr;
    if (!self->stopping_)
        self->Connect();
}

void PulseServer::OnState(pa_context* context, void* data)
{
    auto* self = static_cast<PulseServer*>(data);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self->down_ = false;
        self->reconnectDelayUs_ = kFirstReconnectDelayUs;
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->down_ = true;
        if (context == self->context_)
            self->ScheduleReconnect();
        break;
    default:
        break;
    }
    pa_threaded_mainloop_signal(self->mainloop_, 0);
}

bool PulseServer::WaitUntil(Deadline deadline, const std::function<bool()>& done)
{
    DeadlineTimer timer(mainloop_, deadline);
    while (!done()) {
        if (timer.passed)
            return false;
        pa_threaded_mainloop_wait(mainloop_);
    }
    return true;
}

bool PulseServer::WaitReady(Deadline deadline)
{
    const auto state = [this] { return context_ != nullptr ? pa_context_get_state(context_) : PA_CONTEXT_FAILED; };
    if (state() == PA_CONTEXT_READY)
        return true;
    if (down_ || stopping_)
        return false;
    WaitUntil(deadline, [&] { return state() == PA_CONTEXT_READY || down_ || stopping_; });
    return state() == PA_CONTEXT_READY;
}

std::int32_t PulseServer::Await(Request& request, Deadline deadline, const std::function<void*(pa_context*)>& issue)
{
    if (!WaitReady(deadline))
        return OSCONF_NOT_ANSWERING;
    pa_context* context = pa_context_ref(context_);
    request.mainloop = mainloop_;
    auto* operation = static_cast<pa_operation*>(issue(context));
    if (operation == nullptr) {
        const std::int32_t failure = FailureOf(context);
        pa_context_unref(context);
        return failure;
    }
    const bool answered = WaitUntil(deadline, [&] {
        return request.done || pa_context_get_state(context) != PA_CONTEXT_READY;
    }) && request.done;
    if (!answered) {
        pa_operation_cancel(operation);
        // A server that holds a request past its deadline is taken as gone; a new connection
        // is made at once and used as soon as the server answers it.
        if (context == context_ && pa_context_get_state(context) == PA_CONTEXT_READY && !stopping_) {
            down_ = true;
            Connect();
        }
    }
    pa_operation_unref(operation);
    pa_context_unref(context);
    return answered ? request.status : OSCONF_NOT_ANSWERING;
}

std::int32_t PulseServer::ListHeadsetDevices(int flow, std::vector<ServerDevice>& devices, Deadline deadline)
{
    if (mainloop_ == nullptr)
        return OSCONF_NOT_STARTED;
    pulse::MainloopLock locked(mainloop_);
    std::vector<ServerDevice> found;
    Request request;
    request.devices = &found;
    const std::int32_t status = Await(request, deadline, [&](pa_context* context) -> void* {
        return flow == OSCONF_FLOW_PLAYBACK ? pa_context_get_sink_info_list(context, OnSinkInfo, &request)
                                            : pa_context_get_source_info_list(context, OnSourceListInfo, &request);
    });
    if (status == OSCONF_OK)
        devices = std::move(found);
    return status;
}

std::int32_t PulseServer::ReadSource(const std::string& name, SourceState& state, Deadline deadline)
{
    if (mainloop_ == nullptr)
        return OSCONF_NOT_STARTED;
    pulse::MainloopLock locked(mainloop_);
    SourceState read;
    Request request;
    request.source = &read;
    request.status = OSCONF_NO_DEVICE;
    const std::int32_t status = Await(request, deadline, [&](pa_context* context) -> void* {
        return pa_context_get_source_info_by_name(context, name.c_str(), OnSourceInfo, &request);
    });
    if (status == OSCONF_OK)
        state = std::move(read);
    return status;
}

std::int32_t PulseServer::SetSourceVolume(const std::string& name, const std::vector<std::uint32_t>& volumes,
                                          Deadline deadline)
{
    if (mainloop_ == nullptr)
        return OSCONF_NOT_STARTED;
    if (volumes.empty() || volumes.size() > PA_CHANNELS_MAX)
        return OSCONF_BAD_ARGUMENT;
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    volume.channels = static_cast<std::uint8_t>(volumes.size());
    for (std::size_t i = 0; i < volumes.size(); ++i)
        volume.values[i] = std::min<std::uint32_t>(volumes[i], PA_VOLUME_MAX);
    pulse::MainloopLock locked(mainloop_);
    Request request;
    return Await(request, deadline, [&](pa_context* context) -> void* {
        return pa_context_set_source_volume_by_name(context, name.c_str(), &volume, OnSuccess, &request);
    });
}

std::int32_t PulseServer::SetSourceMute(const std::string& name, bool muted, Deadline deadline)
{
    if (mainloop_ == nullptr)
        return OSCONF_NOT_STARTED;
    pulse::MainloopLock locked(mainloop_);
    Request request;
    return Await(request, deadline, [&](pa_context* context) -> void* {
        return pa_context_set_source_mute_by_name(context, name.c_str(), muted ? 1 : 0, OnSuccess, &request);
    });
}

} // namespace orvel::osconf
