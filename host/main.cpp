// trellisk-host: a test host that loads the plug-in library exactly as the
// mail client does and drives it through its TBP_ exports.
#include <cstdio>
#include <string>
#include <vector>

#include "host/command.h"
#include "platform/environment.h"
#include "platform/terminal.h"

namespace trellisk::host {
namespace {

const char* const kGlobalHelp =
    "usage: trellisk-host [global options] COMMAND [options] [arguments]\n"
    "\n"
    "Plays the mail client for the Trellisk plug-in: loads trellisk.tbp, gives it a\n"
    "data directory and a registry key, and calls its exports.\n"
    "\n"
    "global options:\n"
    "  --data DIR            the host's data directory (default: ~/.local/share/trellisk/);\n"
    "                        the plug-in keeps its files there, and its registry too\n"
    "                        unless TRELLISK_REGISTRY names another directory\n"
    "  --plugin FILE         the plug-in library (default: trellisk.tbp beside this program)\n"
    "  --junk-threshold N    write N as the host's junk threshold into tbplugin.ini\n"
    "  --setting NAME=N      store a numeric plug-in setting (registry value) before the\n"
    "                        plug-in starts, e.g. --setting Algorithm=3; may be repeated.\n"
    "                        Algorithm adds up bits: 1 (the default), 2 chi-square,\n"
    "                        4 rule filter, 8 the precise mode (chi-square over every\n"
    "                        learned word beyond SignificanceCut, x 100000, default 0):\n"
    "                        --setting Algorithm=11\n"
    "  --text-setting NAME=TEXT\n"
    "                        store a text setting the same way, e.g. a list path or\n"
    "                        --text-setting DNSServerlist=bl.example.org,dnsbl.example.net\n"
    "  -h, --help            show this help; COMMAND --help shows a command's help\n";

const std::vector<OptionDefinition> kGlobalOptions = {
    {"data", true},    {"plugin", true},        {"junk-threshold", true},
    {"setting", true}, {"text-setting", true}, {"help", false, 'h'}};

void PrintCommands() {
  std::printf("%s\ncommands:\n", kGlobalHelp);
  for (const Command& command : AllCommands()) std::printf("  %-10s %s\n", command.name, command.summary);
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : AllCommands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

std::string DefaultPluginPath() {
  const std::string program = platform::ExecutablePath();
  const size_t slash = program.rfind(platform::kPathSeparator);
  return (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + "trellisk.tbp";
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "trellisk-host: %s (see trellisk-host --help)\n", message.c_str());
  return kExitUsage;
}

// Global options stand before the command name; the rest belongs to the command.
size_t CommandPosition(const std::vector<std::string>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.empty() || word[0] != '-') return i;
    const bool takesValue =
        (word == "--data" || word == "--plugin" || word == "--junk-threshold" || word == "--setting" ||
         word == "--text-setting");
    if (takesValue) ++i;
  }
  return words.size();
}

// Whether a filter run is to write only its verdict, not the message.
bool VerdictOnly(const std::vector<std::string>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--passthrough=no" || (words[i] == "--passthrough" && i + 1 < words.size() && words[i + 1] == "no")) {
      return true;
    }
  }
  return false;
}

// The host's options from the global arguments; false with the reason when
// one of them is malformed.
bool ReadHostOptions(const Arguments& global, const Command& command, HostOptions& options, std::string& error) {
  options.dataDirectory = global.Value("data").value_or("");
  options.freshDirectory = command.freshDirectory;
  if (global.Has("junk-threshold")) {
    unsigned long threshold = 0;
    if (!global.Number("junk-threshold", 0, threshold, error)) return false;
    options.junkThreshold = static_cast<uint32_t>(threshold);
  }
  for (const std::string& text : global.Values("setting")) {
    PluginSetting setting;
    if (!ParseSetting(text, setting)) {
      error = "--setting needs NAME=NUMBER, not \"" + text + "\"";
      return false;
    }
    options.settings.push_back(setting);
  }
  for (const std::string& text : global.Values("text-setting")) {
    PluginSetting setting;
    if (!ParseTextSetting(text, setting)) {
      error = "--text-setting needs NAME=TEXT, not \"" + text + "\"";
      return false;
    }
    options.settings.push_back(setting);
  }
  return true;
}

int RunCommand(const std::vector<std::string>& words, FilterMessage* filterMessage) {
  const size_t commandAt = CommandPosition(words);
  Arguments global;
  std::string error;
  if (!global.Parse({words.begin(), words.begin() + static_cast<long>(commandAt)}, kGlobalOptions, error)) {
    return UsageError(error);
  }
  if (global.Has("help")) {
    PrintCommands();
    return kExitSuccess;
  }
  if (commandAt == words.size()) {
    PrintCommands();
    return kExitUsage;
  }
  const Command* command = FindCommand(words[commandAt]);
  if (!command) return UsageError("unknown command " + words[commandAt]);

  std::vector<OptionDefinition> options = command->options;
  options.push_back({"help", false, 'h'});
  Arguments arguments;
  if (!arguments.Parse({words.begin() + static_cast<long>(commandAt) + 1, words.end()}, options, error)) {
    return UsageError(error);
  }
  if (arguments.Has("help")) {
    std::printf("%s", command->help);
    return kExitSuccess;
  }

  HostOptions hostOptions;
  if (!ReadHostOptions(global, *command, hostOptions, error)) return UsageError(error);
  HostEnvironment environment;
  if (!environment.Prepare(hostOptions, error)) {
    std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
    return kExitFailure;
  }
  const std::string pluginPath = global.Value("plugin").value_or(DefaultPluginPath());
  std::unique_ptr<PluginApi> plugin = PluginApi::Load(pluginPath, error);
  if (!plugin) {
    std::fprintf(stderr, "trellisk-host: cannot load the plug-in %s: %s\n", pluginPath.c_str(), error.c_str());
    return kExitFailure;
  }
  HostSession session{*plugin, environment, filterMessage};
  const int code = command->run(session, arguments);
  plugin.reset();
  environment.RemoveFreshDirectory();
  return code;
}

// A filter reads its message before anything can fail, and whatever fails,
// the message goes on unchanged.
int Run(const std::vector<std::string>& words) {
  const size_t commandAt = CommandPosition(words);
  if (commandAt == words.size() || words[commandAt] != "filter") return RunCommand(words, nullptr);
  platform::UseBinaryStandardStreams();
  std::string error;
  std::optional<FilterMessage> message = FilterMessage::ReadStandardInput(error);
  if (!message) {
    std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
    return kExitFilterError;
  }
  const int code = RunCommand(words, &*message);
  if (message->written() || VerdictOnly(words)) return code;
  message->PassThrough();
  return kExitFilterError;
}

}  // namespace
}  // namespace trellisk::host

int main(int argc, char** argv) {
  return trellisk::host::Run(std::vector<std::string>(argv + 1, argv + argc));
}
