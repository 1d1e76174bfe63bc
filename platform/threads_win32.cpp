// Detached threads of the C runtime, not of the POSIX thread layer that
// std::thread uses with MinGW: nothing of that layer has to keep track of a
// detached thread, so a thread once started always runs its body.
#include <process.h>
#include <windows.h>

#include <memory>

#include "platform/threads.h"

namespace trellisk::platform {
namespace {

unsigned __stdcall RunBody(void* argument) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
  if (handle == 0) return false;
  owned.release();
  CloseHandle(reinterpret_cast<HANDLE>(handle));
  return true;
}

}  // namespace trellisk::platform
