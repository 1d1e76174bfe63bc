// The registry's costs at the size of the plug-in's settings: about sixty
// values in one key, saved one write at a time and loaded one read at a time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/file_registry.h"
#include "platform/regedit_format.h"
#include "tests/support/temp_directory.h"

namespace trellisk::platform {
namespace {

constexpr int kSettingsValues = 60;
constexpr char kMainKey[] = "Software\\Trellisk";

std::string ValueName(int index) { return "SettingNumber" + std::to_string(index); }

void SaveSettings(Registry& registry, uint32_t base) {
  const std::unique_ptr<RegistryKey> key = registry.Create(RegistryHive::LocalMachine, kMainKey);
  for (int i = 0; i < kSettingsValues; ++i) key->Write(ValueName(i), RegistryValue::Dword(base + i));
}

void BM_SaveSettingsChanged(benchmark::State& state) {
  testing::TempDirectory directory;
  FileRegistry registry(directory.path(), nullptr);
  uint32_t base = 0;
  for (auto _ : state) SaveSettings(registry, base += kSettingsValues);
  state.SetItemsProcessed(state.iterations() * kSettingsValues);
}
BENCHMARK(BM_SaveSettingsChanged)->Unit(benchmark::kMillisecond);

void BM_SaveSettingsUnchanged(benchmark::State& state) {
  testing::TempDirectory directory;
  FileRegistry registry(directory.path(), nullptr);
  SaveSettings(registry, 1);
  for (auto _ : state) SaveSettings(registry, 1);
  state.SetItemsProcessed(state.iterations() * kSettingsValues);
}
BENCHMARK(BM_SaveSettingsUnchanged)->Unit(benchmark::kMicrosecond);

// `ageFile`: whether the hive file is old enough for the parsed copy to be trusted.
void LoadSettings(benchmark::State& state, bool ageFile) {
  testing::TempDirectory directory;
  SaveSettings(*std::make_unique<FileRegistry>(directory.path(), nullptr), 1);
  if (ageFile) {
    const std::string path = directory.File("HKEY_LOCAL_MACHINE.reg");
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  }
  FileRegistry registry(directory.path(), nullptr);
  for (auto _ : state) {
    const std::unique_ptr<RegistryKey> key = registry.Open(RegistryHive::LocalMachine, kMainKey);
    for (int i = 0; i < kSettingsValues; ++i) benchmark::DoNotOptimize(key->Read(ValueName(i), 4));
  }
  state.SetItemsProcessed(state.iterations() * kSettingsValues);
}
void BM_LoadSettingsCached(benchmark::State& state) { LoadSettings(state, true); }
void BM_LoadSettingsJustWritten(benchmark::State& state) { LoadSettings(state, false); }
BENCHMARK(BM_LoadSettingsCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSettingsJustWritten)->Unit(benchmark::kMicrosecond);

void BM_ParseSettingsHive(benchmark::State& state) {
  RegistryTree tree;
  RegistryTree::Key& key = tree.Create(*SplitRegistryPath(kMainKey));
  for (int i = 0; i < kSettingsValues; ++i) key.SetValue(ValueName(i), RegistryValue::String(std::string(40, 'p')));
  const std::string text = SerializeRegedit(tree, RegistryHive::LocalMachine);
  for (auto _ : state) benchmark::DoNotOptimize(ParseRegedit(text, RegistryHive::LocalMachine));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseSettingsHive)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace trellisk::platform
