// CollectingMacroSink is the host object that receives expanded macro text:
// a COM-style object whose first member points to a table of operations, the
// fifth of which the plug-in calls with (macro number, text, length). The
// sink keeps what it received. Used by one thread.
#pragma once

#include <string>

#include "plugin/tbp_api.h"

namespace trellisk::host {

class CollectingMacroSink {
 public:
  CollectingMacroSink();
  CollectingMacroSink(const CollectingMacroSink&) = delete;
  CollectingMacroSink& operator=(const CollectingMacroSink&) = delete;

  MacroSink* sink() { return &object_.sink; }
  const std::string& text() const { return text_; }
  int macroNumber() const { return macroNumber_; }
  int calls() const { return calls_; }

 private:
  // The object the plug-in sees: the sink first, so that its MacroSink* is
  // also a pointer to this standard-layout record.
  struct SinkObject {
    MacroSink sink;
    CollectingMacroSink* owner;
  };
  static int TBP_CALL Receive(MacroSink* self, int macroNumber, const char* text, int length);

  SinkObject object_;
  std::string text_;
  int macroNumber_ = 0;
  int calls_ = 0;
};

}  // namespace trellisk::host
