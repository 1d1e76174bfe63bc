#include <atomic>

#include "platform/win32_module.h"

namespace trellisk::platform {
namespace {

std::atomic<HMODULE> recordedModule{nullptr};

HMODULE ModuleHoldingThisCode() {
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&ModuleHoldingThisCode), &module)) return nullptr;
  return module;
}

}  // namespace

void RecordOwnModule(HMODULE module) { recordedModule = module; }

HMODULE OwnModule() {
  if (const HMODULE recorded = recordedModule.load()) return recorded;
  return ModuleHoldingThisCode();
}

}  // namespace trellisk::platform
