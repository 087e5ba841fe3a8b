#pragma once
// Events as the worker and device code waits on them: auto-reset events release exactly one
// waiter per signal, manual-reset events stay signalled until reset. Waits take a time-out in
// milliseconds or INFINITE and give WAIT_OBJECT_0 + index, WAIT_TIMEOUT or WAIT_FAILED.
// Events are shared: a waiter, a setter and the owner each hold the handle, so an event lives
// as long as anybody may still touch it.

#include <cstdint>
#include <memory>
#include <span>

namespace orvel {

using DWORD = std::uint32_t;

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

class Event;
using EventHandle = std::shared_ptr<Event>;

EventHandle CreateEventW(bool manualReset, bool initialState);
// False for a null handle.
bool SetEvent(const EventHandle& event);
bool ResetEvent(const EventHandle& event);

// WAIT_OBJECT_0 when signalled (an auto-reset event is reset by the wait that takes it),
// WAIT_TIMEOUT, or WAIT_FAILED for a null handle.
DWORD WaitForSingleObject(const EventHandle& event, DWORD timeoutMs);

// Waits until any of the events is signalled: WAIT_OBJECT_0 + the lowest signalled index
// (only that event is taken), WAIT_TIMEOUT, or WAIT_FAILED for an empty list or a null handle.
DWORD WaitForAnyObject(std::span<const EventHandle> events, DWORD timeoutMs);

} // namespace orvel
