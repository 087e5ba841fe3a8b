#pragma once
// A source of desktop input for the hook: keys and mouse buttons as they happen, and the
// keyboard kept from other programs while keys are captured. The X11 source sees the whole
// desktop; where none can (a Wayland session, no display) the program's own window feeds its
// input in instead.

#include "input/hook/hook_records.h"

#include <cstdint>

namespace orvel::input {

enum class CaptureScope {
    Desktop,    // keys and buttons anywhere on the desktop
    WindowOnly, // only what the program's own window receives
};

// Where a source reports, on the source's own thread.
class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    virtual void OnKey(const RawKey& key) = 0;
    virtual void OnButton(const RawButton& button) = 0;
    // The source stopped by itself (its display went away, the grab window was unmapped): the
    // keyboard is no longer held and nothing more is reported.
    virtual void OnLost() = 0;
};

struct CaptureRequest {
    bool keys = false;            // report keys and keep them from other programs
    bool buttons = false;         // report mouse buttons
    std::uint64_t grabWindow = 0; // the program's own native window to hold the keyboard on; 0: the screen
};

class CaptureBackend {
public:
    virtual ~CaptureBackend() = default;
    virtual CaptureScope Scope() const = 0;
    // Starts reporting to sink, replacing an earlier start. False, with nothing started, when
    // keys were asked for and the keyboard cannot be held.
    virtual bool Start(const CaptureRequest& request, CaptureSink* sink) = 0;
    // Stops reporting and gives the keyboard back; once it returns the sink is not called again.
    virtual void Stop() = 0;
    // Gives the keyboard back at once but keeps reporting; any thread may call it, the sink too.
    virtual void ReleaseKeyboard() = 0;
    // Input the program's own window received; only a window-only source reports it.
    virtual void Feed(const RawKey&) {}
    virtual void Feed(const RawButton&) {}
};

} // namespace orvel::input
