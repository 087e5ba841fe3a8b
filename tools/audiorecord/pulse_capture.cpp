#include "tools/audiorecord/pulse_capture.h"

#include "platform/debuglog.h"
#include "platform/pulse_lock.h"
#include "tools/audiorecord/frequency_levels.h"

#include <vector>

namespace orvel::audiorecord {

namespace {

constexpr pa_usec_t kRetryUs = 1000 * 1000;
constexpr int kHopsPerFragment = 2;

} // namespace

PulseCapture::PulseCapture(Samples samples, NewSource newSource)
    : samples_(std::move(samples)), newSource_(std::move(newSource))
{
}

PulseCapture::~PulseCapture()
{
    if (mainloop_ == nullptr) return;
    {
        pulse::MainloopLock lock(mainloop_);
        wanted_ = false;
        ReleaseStream();
        if (reconnect_ != nullptr) {
            pa_threaded_mainloop_get_api(mainloop_)->time_free(reconnect_);
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
}

bool PulseCapture::Start()
{
    if (mainloop_ == nullptr) {
        mainloop_ = pa_threaded_mainloop_new();
        if (mainloop_ == nullptr || pa_threaded_mainloop_start(mainloop_) < 0) {
            debuglog::Write("audiorecord: the sound client library could not start");
            if (mainloop_ != nullptr) pa_threaded_mainloop_free(mainloop_);
            mainloop_ = nullptr;
            return false;
        }
    }
    pulse::MainloopLock lock(mainloop_);
    wanted_ = true;
    if (context_ == nullptr) {
        if (reconnect_ == nullptr) Connect();
    } else if (pa_context_get_state(context_) == PA_CONTEXT_READY) {
        QueryDefault();
    }
    return true;
}

void PulseCapture::Stop()
{
    if (mainloop_ == nullptr) return;
    pulse::MainloopLock lock(mainloop_);
    wanted_ = false;
    ReleaseStream();
}

std::string PulseCapture::Source()
{
    if (mainloop_ == nullptr) return {};
    pulse::MainloopLock lock(mainloop_);
    return monitor_;
}

void PulseCapture::Connect()
{
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "orvel-audiorecord");
    if (context_ == nullptr) {
        ScheduleReconnect();
        return;
    }
    pa_context_set_state_callback(context_, &PulseCapture::OnContextState, this);
    pa_context_set_subscribe_callback(context_, &PulseCapture::OnEvent, this);
    // With no server to reach the connect fails at once, and the state callback may have
    // dropped the context and asked for the retry already.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_unref(context_);
        context_ = nullptr;
        ScheduleReconnect();
    }
}

void PulseCapture::ScheduleReconnect()
{
    if (!toldDown_) {
        debuglog::Write("audiorecord: no sound server answers; trying again every second");
        toldDown_ = true;
    }
    if (reconnect_ != nullptr) return;
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, kRetryUs);
    reconnect_ = pa_threaded_mainloop_get_api(mainloop_)->time_new(pa_threaded_mainloop_get_api(mainloop_), &when,
                                                                   &PulseCapture::OnReconnect, this);
}

void PulseCapture::OnReconnect(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    api->time_free(event);
    me->reconnect_ = nullptr;
    if (me->wanted_ && me->context_ == nullptr) me->Connect();
}

void PulseCapture::OnContextState(pa_context* context, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        me->toldDown_ = false;
        pa_operation_unref(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr));
        if (me->wanted_) me->QueryDefault();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server went away: a new connection once it is back (the callback holds its own
        // reference, so the context may be dropped here).
        me->ReleaseStream();
        me->sink_.clear();
        pa_context_unref(me->context_);
        me->context_ = nullptr;
        if (me->wanted_) me->ScheduleReconnect();
        break;
    default: break;
    }
}

void PulseCapture::OnEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER && me->wanted_) me->QueryDefault();
}

void PulseCapture::QueryDefault()
{
    if (pa_operation* op = pa_context_get_server_info(context_, &PulseCapture::OnServerInfo, this)) pa_operation_unref(op);
}

void PulseCapture::OnServerInfo(pa_context* context, const pa_server_info* info, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    if (!me->wanted_ || info == nullptr) return;
    const std::string sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
    if (sink.empty()) {
        me->ReleaseStream();
        me->sink_.clear();
        return;
    }
    if (sink == me->sink_ && me->stream_ != nullptr) return;
    me->sink_ = sink;
    if (pa_operation* op = pa_context_get_sink_info_by_name(context, sink.c_str(), &PulseCapture::OnSinkInfo, self))
        pa_operation_unref(op);
}

void PulseCapture::OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    // Only the answer about the output asked for last counts.
    if (eol != 0 || info == nullptr || !me->wanted_ || me->sink_ != info->name || info->monitor_source_name == nullptr)
        return;
    if (me->stream_ != nullptr && me->monitor_ == info->monitor_source_name) return;
    me->Record(info->monitor_source_name);
}

void PulseCapture::Record(const std::string& monitor)
{
    ReleaseStream();
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kSampleRate, 1};
    stream_ = pa_stream_new(context_, "spectrum", &format, nullptr);
    if (stream_ == nullptr) return;
    pa_stream_set_state_callback(stream_, &PulseCapture::OnStreamState, this);
    pa_stream_set_read_callback(stream_, &PulseCapture::OnRead, this);
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    // Two spectra's worth a wake-up: half the wake-ups of this program and of the sound server,
    // and the lighting still follows a tone within about 40 ms.
    attr.fragsize = uint32_t(kHopsPerFragment * kHopSize * sizeof(float));
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(stream_, monitor.c_str(), &attr, flags) < 0) {
        debuglog::Writef("audiorecord: %s cannot be recorded", monitor.c_str());
        ReleaseStream();
        return;
    }
    monitor_ = monitor;
    debuglog::Writef("audiorecord: recording %s", monitor.c_str());
    if (newSource_) newSource_(monitor);
}

void PulseCapture::ReleaseStream()
{
    monitor_.clear();
    if (stream_ == nullptr) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseCapture::OnStreamState(pa_stream* stream, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED) return;
    // The recorded output went away: record whatever is the default now.
    me->ReleaseStream();
    me->sink_.clear();
    if (me->wanted_ && me->context_ != nullptr && pa_context_get_state(me->context_) == PA_CONTEXT_READY)
        me->QueryDefault();
}

void PulseCapture::OnRead(pa_stream* stream, std::size_t, void* self)
{
    auto* me = static_cast<PulseCapture*>(self);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        const std::size_t count = bytes / sizeof(float);
        if (data != nullptr) {
            me->samples_(std::span(static_cast<const float*>(data), count));
        } else {
            // A hole in the recording is silence.
            const std::vector<float> silence(count, 0.0f);
            me->samples_(silence);
        }
        pa_stream_drop(stream);
    }
}

} // namespace orvel::audiorecord
