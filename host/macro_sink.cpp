#include "host/macro_sink.h"

#include <type_traits>

namespace trellisk::host {

CollectingMacroSink::CollectingMacroSink() {
  static const MacroSinkOperations operations = {{nullptr, nullptr, nullptr, nullptr},
                                                 &CollectingMacroSink::Receive};
  object_.sink.operations = &operations;
  object_.owner = this;
}

int TBP_CALL CollectingMacroSink::Receive(MacroSink* self, int macroNumber, const char* text, int length) {
  static_assert(std::is_standard_layout_v<SinkObject>);
  CollectingMacroSink* owner = reinterpret_cast<SinkObject*>(self)->owner;
  owner->macroNumber_ = macroNumber;
  owner->text_.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
  ++owner->calls_;
  return 0;
}

}  // namespace trellisk::host
