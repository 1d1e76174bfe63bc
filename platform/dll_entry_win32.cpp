// The entry point of the plug-in library: records the library's own module
// handle when it is attached to the process. Linked into the library only.
#include "platform/win32_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) trellisk::platform::RecordOwnModule(instance);
  // The attach notification always reports success.
  return TRUE;
}
