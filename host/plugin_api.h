// PluginApi is the test host's view of a loaded plug-in library: the twelve
// TBP_ exports looked up by their undecorated names, exactly as the mail
// client finds them. The library stays loaded while the object lives.
// Calls are as thread-safe as the plug-in makes them.
#pragma once

#include <memory>
#include <string>

#include "platform/shared_library.h"
#include "plugin/tbp_api.h"

namespace trellisk::host {

struct PluginApi {
  // Null, with `error` set, when the library cannot be loaded or lacks an
  // export.
  static std::unique_ptr<PluginApi> Load(const std::string& path, std::string& error);

  void(TBP_CALL* Initialize)(void) = nullptr;
  void(TBP_CALL* Finalize)(void) = nullptr;
  int(TBP_CALL* GetName)(char*, int) = nullptr;
  int(TBP_CALL* GetVersion)(char*, int) = nullptr;
  int(TBP_CALL* GetStatus)(void) = nullptr;
  int(TBP_CALL* NeedCOM)(void) = nullptr;
  int(TBP_CALL* NeedConfig)(void) = nullptr;
  int(TBP_CALL* Setup)(void) = nullptr;
  int(TBP_CALL* GetSpamScore)(MessageHandle, PropertyReader) = nullptr;
  int(TBP_CALL* FeedSpam)(MessageHandle, int, PropertyReader) = nullptr;
  int(TBP_CALL* GetMacroList)(char*, int) = nullptr;
  int(TBP_CALL* ExecMacro)(const char*, int, MacroSink*, void*) = nullptr;

  // A text export (name, version, macro list) read as the host does: ask for
  // the length, then copy.
  static std::string ReadText(int(TBP_CALL* get)(char*, int));

 private:
  std::unique_ptr<platform::SharedLibrary> library_;
};

}  // namespace trellisk::host
