#pragma once
// The single-instance rule: the first start holds the named mutex "VARNO Orvel 80" for its
// whole run; a later start (or `orvelctl show`) asks the running window to come to the front
// with the instance message and ends.

#include "platform/namedmutex.h"

namespace orvel::app {

inline constexpr const char* kInstanceMutexName = "VARNO Orvel 80";

// CreateMutexW of the instance mutex, owned while the returned object lives.
ipc::NamedMutex TakeInstanceLock();

// Whether a VARNO Orvel 80 window runs (some process holds the instance mutex).
bool InstanceRuns();

// Posts the instance message (wParam 0, lParam 1) to every window of the user's programs;
// the running main window comes to the front. Returns how many windows took the message
// (0: no window answers).
int BringRunningInstanceForward();

} // namespace orvel::app
