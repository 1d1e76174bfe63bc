// The plug-in's own module handle on Windows (OwnModule): recorded by the
// library's entry point when the library is attached to the process, and
// found from the address of this code in a program that is not a library
// (the test host, the test programs). Texts, the module file name and the
// language file are found from it.
//
// Windows only; included by platform/*_win32.cpp alone. Thread-safe: the
// handle is recorded before any other code of the library runs.
#pragma once

#include <windows.h>

namespace trellisk::platform {

// Called from DllMain on DLL_PROCESS_ATTACH.
void RecordOwnModule(HMODULE module);

// The recorded handle, else the module that holds this code.
HMODULE OwnModule();

}  // namespace trellisk::platform
