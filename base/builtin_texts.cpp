#include "base/resource_module.h"
#include "base/text_source.h"

namespace trellisk {

std::string BuiltinTexts::Load(int id) const { return OwnResourceModule().Load(id); }

}  // namespace trellisk
