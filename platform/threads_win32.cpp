// Threads of the C runtime, not of the POSIX thread layer that std::thread
// uses with MinGW: nothing of that layer has to keep track of a detached
// thread, so a thread once started always runs its body.
#include <process.h>
#include <windows.h>

#include <memory>

#include "platform/message_pump_win32.h"
#include "platform/threads.h"

namespace trellisk::platform {
namespace {

unsigned __stdcall RunBody(void* argument) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return 0;
}

// What a waitable thread runs: its body, and the module that holds this
// code, referenced for as long as the thread runs.
struct PinnedBody {
  std::function<void()> body;
  HMODULE module;
};

// The body and everything it holds are released while the module is still
// referenced; then the thread gives the reference back and exits in one
// step, so no code of the module runs once it may be unloaded.
unsigned __stdcall RunPinnedBody(void* argument) {
  HMODULE module = nullptr;
  {
    const std::unique_ptr<PinnedBody> pinned(static_cast<PinnedBody*>(argument));
    module = pinned->module;
    pinned->body();
  }
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

// A new reference on the module that holds this code; null when none could
// be taken (the thread then runs without one).
HMODULE ReferenceOwnModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunPinnedBody),
                          &module)) {
    return nullptr;
  }
  return module;
}

class Win32Thread final : public WaitableThread {
 public:
  explicit Win32Thread(HANDLE handle) : handle_(handle) {}
  ~Win32Thread() override { CloseHandle(handle_); }
  Win32Thread(const Win32Thread&) = delete;
  Win32Thread& operator=(const Win32Thread&) = delete;

  bool WaitEnded(uint32_t timeoutMs) override { return WaitPumping(handle_, timeoutMs); }

 private:
  const HANDLE handle_;
};

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
  if (handle == 0) return false;
  owned.release();
  CloseHandle(reinterpret_cast<HANDLE>(handle));
  return true;
}

std::unique_ptr<WaitableThread> WaitableThread::Start(std::function<void()> body) {
  auto pinned = std::make_unique<PinnedBody>(PinnedBody{std::move(body), ReferenceOwnModule()});
  const HMODULE module = pinned->module;
  const uintptr_t handle = _beginthreadex(nullptr, 0, &RunPinnedBody, pinned.get(), 0, nullptr);
  if (handle == 0) {
    if (module) FreeLibrary(module);
    return nullptr;
  }
  pinned.release();
  return std::make_unique<Win32Thread>(reinterpret_cast<HANDLE>(handle));
}

}  // namespace trellisk::platform
