// String resources of the plug-in's own module: on Windows the numbered
// texts are a string table compiled into the module (plugin/texts.rc), read
// with the system's string loader. Windows only; thread-safe.
#pragma once

#include <cstddef>
#include <string>

namespace trellisk::platform {

// String `id` of the own module, read into a buffer of `bufferBytes` bytes
// (so at most bufferBytes - 1 bytes come back); empty for an unknown id.
std::string LoadOwnModuleString(int id, size_t bufferBytes);

}  // namespace trellisk::platform
