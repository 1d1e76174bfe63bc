#include <atomic>
#include <vector>

#include "platform/module_strings.h"
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

std::string LoadOwnModuleString(int id, size_t bufferBytes) {
  if (bufferBytes == 0 || id < 0 || id > 0xFFFF) return {};
  std::vector<char> buffer(bufferBytes);
  const int length = LoadStringA(OwnModule(), static_cast<UINT>(id), buffer.data(), static_cast<int>(bufferBytes));
  return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

}  // namespace trellisk::platform
