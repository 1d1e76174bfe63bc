// The core's mutex and event as unnamed Win32 kernel objects, waited for with
// the message-pumping wait.
#include <windows.h>

#include "platform/message_pump_win32.h"
#include "platform/sync.h"

namespace trellisk::platform {
namespace {

// Removes and dispatches every message waiting for this thread.
void DispatchWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

// Waits for `handle` or for window messages of the calling thread; messages
// are dispatched and the wait goes on for the rest of the time-out.
bool WaitPumping(HANDLE handle, uint32_t timeoutMs) {
  if (!handle) return false;
  const ULONGLONG start = GetTickCount64();
  DWORD remaining = timeoutMs == kWaitForever ? INFINITE : timeoutMs;
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;  // time-out or failure
    DispatchWaitingMessages();
    if (timeoutMs == kWaitForever) continue;
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (elapsed >= timeoutMs) {
      // Out of time: the handle may still have become signalled meanwhile.
      return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
    remaining = static_cast<DWORD>(timeoutMs - elapsed);
  }
}

RecursiveMutex::RecursiveMutex() : handle_(CreateMutexA(nullptr, FALSE, nullptr)) {}

RecursiveMutex::~RecursiveMutex() {
  if (handle_) CloseHandle(handle_);
}

void RecursiveMutex::lock() { WaitPumping(handle_, kWaitForever); }

void RecursiveMutex::unlock() { ReleaseMutex(handle_); }

bool RecursiveMutex::try_lock() {
  const DWORD result = WaitForSingleObject(handle_, 0);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

ManualResetEvent::ManualResetEvent() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ManualResetEvent::~ManualResetEvent() {
  if (handle_) CloseHandle(handle_);
}

// SetEvent does not touch this object after the waiter wakes, so a waiter
// may destroy the event as soon as it sees it set.
void ManualResetEvent::Set() { SetEvent(handle_); }

void ManualResetEvent::Reset() { ResetEvent(handle_); }

bool ManualResetEvent::Wait(uint32_t timeoutMs) { return WaitPumping(handle_, timeoutMs); }

}  // namespace trellisk::platform
