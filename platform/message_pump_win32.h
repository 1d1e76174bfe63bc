// The message-pumping wait of sync_win32.cpp, for the other Windows sources
// of the platform layer: waits for one kernel handle while it dispatches
// the calling thread's window messages.
//
// Windows only; included by platform/*_win32.cpp alone. Thread-safe.
#pragma once

#include <windows.h>

#include <cstdint>

namespace trellisk::platform {

// True when `handle` was signalled within `timeoutMs` (sync.h's kWaitForever: no
// limit; an abandoned mutex counts: the waiter owns it now), false on
// time-out, failure or a null handle.
bool WaitPumping(HANDLE handle, uint32_t timeoutMs);

}  // namespace trellisk::platform
