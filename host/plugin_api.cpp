#include "host/plugin_api.h"

namespace trellisk::host {
namespace {

template <typename Function>
bool Resolve(const platform::SharedLibrary& library, const char* name, Function& function, std::string& error) {
  function = reinterpret_cast<Function>(library.Symbol(name));
  if (!function) error = std::string("the plug-in does not export ") + name;
  return function != nullptr;
}

}  // namespace

std::unique_ptr<PluginApi> PluginApi::Load(const std::string& path, std::string& error) {
  auto api = std::make_unique<PluginApi>();
  api->library_ = platform::SharedLibrary::Open(path, error);
  if (!api->library_) return nullptr;
  const platform::SharedLibrary& lib = *api->library_;
  const bool complete = Resolve(lib, "TBP_Initialize", api->Initialize, error) &&
                        Resolve(lib, "TBP_Finalize", api->Finalize, error) &&
                        Resolve(lib, "TBP_GetName", api->GetName, error) &&
                        Resolve(lib, "TBP_GetVersion", api->GetVersion, error) &&
                        Resolve(lib, "TBP_GetStatus", api->GetStatus, error) &&
                        Resolve(lib, "TBP_NeedCOM", api->NeedCOM, error) &&
                        Resolve(lib, "TBP_NeedConfig", api->NeedConfig, error) &&
                        Resolve(lib, "TBP_Setup", api->Setup, error) &&
                        Resolve(lib, "TBP_GetSpamScore", api->GetSpamScore, error) &&
                        Resolve(lib, "TBP_FeedSpam", api->FeedSpam, error) &&
                        Resolve(lib, "TBP_GetMacroList", api->GetMacroList, error) &&
                        Resolve(lib, "TBP_ExecMacro", api->ExecMacro, error);
  if (!complete) return nullptr;
  return api;
}

std::string PluginApi::ReadText(int(TBP_CALL* get)(char*, int)) {
  const int length = get(nullptr, 0);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  const int copied = get(text.data(), length);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

}  // namespace trellisk::host
