// The plug-in's own texts on Windows: the string table compiled into the
// module from texts.def (texts.rc), read with the system's string loader.
#include "base/text_source.h"
#include "platform/module_strings.h"

namespace trellisk {

std::string BuiltinTexts::Load(int id) const {
  return platform::LoadOwnModuleString(id, kMaxTextLength + 1);
}

}  // namespace trellisk
