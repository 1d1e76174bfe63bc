// The setup dialog of the Windows plug-in library as a user works it: the
// library trellisk.tbp beside this program runs TBP_Setup on the test's
// thread while a second thread finds the real dialog windows and works
// their controls with window messages, as a user's clicks and typing would
// reach them. What OK keeps is checked in the registry and the files after
// TBP_Finalize. Needs a display (Xvfb under wine).
//
// With TRELLISK_SCREENSHOT_PAUSE_MS set, the driver stops that long at each
// page and editor and prints "screenshot NAME LEFT TOP RIGHT BOTTOM" (the
// window's screen rectangle), for scripts/dialog-screenshots.sh.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>
// windows.h names the ANSI call SetEnvironmentVariable; the platform's is meant here.
#undef SetEnvironmentVariable

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "host/plugin_api.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "plugin/host_integration.h"
#include "tests/support/plugin_registry_keys.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

namespace fs = std::filesystem;
using host::PluginApi;
using platform::RegistryHive;
using platform::RegistryValue;

constexpr const char* kSettingsKey = testing::kPluginSettingsKey;
// The control that tells each page apart, in tab order: General, Database,
// Blacklist/Whitelist, DNS-Blacklist, RegExp Filter, Logfile, About.
constexpr int kPageMarks[] = {1042, 1002, 1030, 1050, 1049, 1028, 1021};
enum Tab { kGeneral, kDatabase, kLists, kDns, kRegExp, kLogfile, kAbout };

struct DriveFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Require(bool condition, const std::string& what) {
  if (!condition) throw DriveFailure(what);
}

// Works the dialogs of this process from another thread than theirs.
class Driver {
 public:
  // Waits up to 20 s for a shown top-level window of this process titled `title`.
  static HWND WaitForWindow(const char* title) {
    for (int tries = 0; tries < 1000; ++tries) {
      if (HWND window = FindShown(title)) return window;
      Sleep(20);
    }
    throw DriveFailure(std::string("no window \"") + title + "\"");
  }

  // Waits up to 20 s for `condition`, which the dialog's thread brings about.
  static void WaitUntil(const std::function<bool()>& condition, const std::string& what) {
    for (int tries = 0; tries < 1000 && !condition(); ++tries) Sleep(20);
    Require(condition(), what);
  }

  static void WaitUntilGone(HWND window) {
    WaitUntil([window] { return !IsWindow(window); }, "a dialog did not close");
  }

  // The page of `frame` that holds control `mark`.
  static HWND Page(HWND frame, Tab tab) {
    for (HWND child = nullptr; (child = FindWindowExA(frame, child, "#32770", nullptr)) != nullptr;) {
      if (GetDlgItem(child, kPageMarks[tab])) return child;
    }
    throw DriveFailure("no page " + std::to_string(tab));
  }

  // Selects a tab as a click on it does, and checks that its page alone shows.
  static HWND SelectTab(HWND frame, Tab tab) {
    const HWND tabs = GetDlgItem(frame, 1020);
    SendMessageA(tabs, TCM_SETCURSEL, tab, 0);
    NMHDR notice{tabs, 1020, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(frame, WM_NOTIFY, 1020, reinterpret_cast<LPARAM>(&notice));
    for (int other = kGeneral; other <= kAbout; ++other) {
      const bool shown = IsWindowVisible(Page(frame, static_cast<Tab>(other))) != FALSE;
      Require(shown == (other == tab),
              "tab " + std::to_string(tab) + ": page " + std::to_string(other) + (shown ? " shown" : " hidden"));
    }
    return Page(frame, tab);
  }

  // Presses a button that opens a modal dialog: posted, so that this thread
  // does not wait for the dialog to end.
  static void Press(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

  // Control `id` of `dialog` in screen coordinates; 0: the dialog itself.
  static RECT Box(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(id == 0 ? dialog : GetDlgItem(dialog, id), &rect);
    return rect;
  }

  static std::string Text(HWND dialog, int id) {
    std::string text(65536, '\0');
    text.resize(static_cast<size_t>(GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  static void PauseForScreenshot(HWND window, const std::string& name) {
    const std::optional<std::string> pause = platform::EnvironmentVariable("TRELLISK_SCREENSHOT_PAUSE_MS");
    if (!pause) return;
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("screenshot %s %ld %ld %ld %ld\n", name.c_str(), rect.left, rect.top, rect.right, rect.bottom);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(*pause)));
  }

  // Cancels whatever is still open, the topmost dialog first, so that
  // TBP_Setup returns.
  static void CloseEverything() {
    for (int tries = 0; tries < 500; ++tries) {
      const HWND window = FindShown(nullptr);
      if (!window) return;
      PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
      Sleep(20);
    }
  }

 private:
  // A shown top-level dialog of this process titled `title` (null: any), the
  // topmost first.
  static HWND FindShown(const char* title) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", title)) != nullptr;) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window)) return window;
    }
    return nullptr;
  }
};

class WindowsSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::DeletePluginRegistryKeys());
    auto hostKey = registry_->Create(RegistryHive::CurrentUser, kHostRegistryKey);
    ASSERT_NE(hostKey, nullptr);
    ASSERT_TRUE(hostKey->Write("ProgramDir", RegistryValue::String(dir_.path() + "\\")));
    previousDirectory_ = fs::current_path();
    fs::current_path(dir_.path());
    // Boxes go to a file instead of the screen: the training warning of an
    // empty database would wait for a user.
    ASSERT_TRUE(platform::SetEnvironmentVariable("TRELLISK_MESSAGE_BOXES", dir_.File("boxes.txt")));
    std::string error;
    const std::string program = platform::ExecutablePath();
    plugin_ = PluginApi::Load(program.substr(0, program.find_last_of("\\/") + 1) + "trellisk.tbp", error);
    ASSERT_TRUE(plugin_) << error;
    plugin_->Initialize();
  }
  void TearDown() override {
    plugin_.reset();
    fs::current_path(previousDirectory_);
    platform::SetEnvironmentVariable("TRELLISK_MESSAGE_BOXES", "");
    EXPECT_TRUE(testing::DeletePluginRegistryKeys());
  }


  // Runs TBP_Setup here while `steps` work the frame from another thread;
  // what went wrong there, or nothing.
  std::string RunSetup(const std::function<void(HWND frame)>& steps) {
    std::string failure;
    std::thread driver([&] {
      try {
        steps(Driver::WaitForWindow("Setup"));
      } catch (const DriveFailure& problem) {
        failure = problem.what();
        Driver::CloseEverything();
      }
    });
    EXPECT_EQ(plugin_->Setup(), 0);
    driver.join();
    return failure;
  }

  std::optional<RegistryValue> Setting(const char* name) {
    const std::unique_ptr<platform::RegistryKey> key = registry_->Open(RegistryHive::LocalMachine, kSettingsKey);
    return key ? key->Read(name, 65536) : std::nullopt;
  }

  testing::TempDirectory dir_;
  std::unique_ptr<platform::Registry> registry_ = platform::OpenSystemRegistry(nullptr);
  fs::path previousDirectory_;
  std::unique_ptr<PluginApi> plugin_;
};

// Every page in turn: a number, a check box and the zone list changed, the
// black list edited and applied, the log viewed, then OK.
TEST_F(WindowsSetup, OkKeepsWhatThePagesAndTheEditorChanged) {
  bool noiseWasOn = false;
  const std::string failure = RunSetup([&](HWND frame) {
    HWND page = Driver::SelectTab(frame, kGeneral);
    Driver::PauseForScreenshot(frame, "setup-page-0");
    SetDlgItemTextA(page, 1006, "7");
    noiseWasOn = SendDlgItemMessageA(page, 1011, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendDlgItemMessageA(page, 1011, BM_CLICK, 0, 0);

    Driver::SelectTab(frame, kDatabase);
    Driver::PauseForScreenshot(frame, "setup-page-1");
    page = Driver::SelectTab(frame, kLists);
    Driver::PauseForScreenshot(frame, "setup-page-2");
    Driver::Press(page, 1031);
    const HWND editor = Driver::WaitForWindow("Blacklist Editor");
    Require(!IsWindowVisible(GetDlgItem(editor, 8)), "the list editor shows Close");
    // 100 pixels wider and 40 higher: the text takes all of it, Apply a
    // quarter of the width and all of the height.
    const RECT text = Driver::Box(editor, 1032), apply = Driver::Box(editor, 1);
    const RECT outer = Driver::Box(editor, 0);
    SetWindowPos(editor, nullptr, 0, 0, outer.right - outer.left + 100, outer.bottom - outer.top + 40,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT grownText = Driver::Box(editor, 1032), movedApply = Driver::Box(editor, 1);
    Require(grownText.right - text.right == 100 && grownText.bottom - text.bottom == 40, "the text did not grow");
    Require(movedApply.left - apply.left == 25 && movedApply.top - apply.top == 40, "Apply did not move");
    SetDlgItemTextA(editor, 1032, "TEXT: spammer@example.com\r\nREGEXP: ^bulk-.*@example\\.net$\r\n");
    Driver::PauseForScreenshot(editor, "blacklist-editor");
    Driver::Press(editor, 1);
    Driver::WaitUntilGone(editor);

    page = Driver::SelectTab(frame, kDns);
    SetDlgItemTextA(page, 1022, "a.example\r\nb.example\r\nc.example");
    Driver::PauseForScreenshot(frame, "setup-page-3");
    Driver::SelectTab(frame, kRegExp);
    Driver::PauseForScreenshot(frame, "setup-page-4");

    page = Driver::SelectTab(frame, kLogfile);
    Driver::PauseForScreenshot(frame, "setup-page-5");
    Driver::Press(page, 1031);
    const HWND viewer = Driver::WaitForWindow("Logfile Viewer");
    Require(IsWindowVisible(GetDlgItem(viewer, 8)) && !IsWindowVisible(GetDlgItem(viewer, 1)),
            "the log viewer shows Close alone");
    Require((SendDlgItemMessageA(viewer, 1032, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0, "the log is editable");
    Require(Driver::Text(viewer, 1032).find("Blacklist saved") != std::string::npos,
            "the log lacks the list editor's save");
    Driver::PauseForScreenshot(viewer, "log-viewer");
    Driver::Press(viewer, 8);
    Driver::WaitUntilGone(viewer);

    page = Driver::SelectTab(frame, kAbout);
    Require(Driver::Text(page, 1041).find("v2.0.4") != std::string::npos, "no version in the about text");
    Driver::PauseForScreenshot(frame, "setup-page-6");
    Driver::Press(frame, 1);
    Driver::WaitUntilGone(frame);
  });
  ASSERT_EQ(failure, "");
  plugin_->Finalize();

  EXPECT_EQ(Setting("MaxThreadCount"), RegistryValue::Dword(7));
  EXPECT_EQ(Setting("RemoveNoise"), RegistryValue::Dword(noiseWasOn ? 0 : 1));
  EXPECT_EQ(Setting("DNSServerlist"), RegistryValue::String("a.example,b.example,c.example"));
  const std::optional<RegistryValue> right = Setting("EditorBlacklistRight");
  ASSERT_TRUE(right.has_value());
  EXPECT_NE(right, RegistryValue::Dword(0)) << "the editor keeps its place";
  const std::string blacklist = testing::ReadFileBytes(dir_.File("blacklist.txt"));
  EXPECT_NE(blacklist.find("spammer@example.com"), std::string::npos) << blacklist;
  EXPECT_NE(blacklist.find("^bulk-.*@example\\.net$"), std::string::npos) << blacklist;
  EXPECT_NE(testing::ReadFileBytes(dir_.File("boxes.txt")).find("Empty Database"), std::string::npos);
}

// Cancel forgets the fields, not what acted at once: a word database file
// chosen with "..." stays in use.
// Cancel forgets the fields, not what acted at once: a word database file
// chosen with "..." stays in use, and so does a language chosen from the
// list, in which the dialogs opened afterwards speak.
TEST_F(WindowsSetup, CancelKeepsOnlyWhatActedAtOnce) {
  const std::string moved = dir_.path() + "\\moved.dat";
  const std::string failure = RunSetup([&](HWND frame) {
    HWND page = Driver::SelectTab(frame, kGeneral);
    SetDlgItemTextA(page, 1006, "7");
    SendDlgItemMessageA(page, 1011, BM_CLICK, 0, 0);
    const HWND languages = GetDlgItem(page, 1042);
    SendMessageA(languages, CB_SETCURSEL, 7, 0);  // German
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(1042, CBN_SELCHANGE), reinterpret_cast<LPARAM>(languages));

    page = Driver::SelectTab(frame, kDatabase);
    Driver::Press(page, 1002);
    const HWND save = Driver::WaitForWindow("Save As");
    SendMessageA(save, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(moved.c_str()));
    Driver::Press(save, IDOK);
    Driver::WaitUntilGone(save);
    Driver::WaitUntil([&] { return Driver::Text(page, 1001) == moved; }, "the path field does not show the chosen file");

    // The log viewer's close box closes it, although its Cancel is disabled.
    Driver::Press(Driver::SelectTab(frame, kLogfile), 1031);
    const HWND viewer = Driver::WaitForWindow("Logdatei-Anzeige");
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    Driver::WaitUntilGone(viewer);
    Driver::Press(frame, 2);
    Driver::WaitUntilGone(frame);
  });
  ASSERT_EQ(failure, "");
  plugin_->Finalize();
  EXPECT_EQ(Setting("MaxThreadCount"), RegistryValue::Dword(20));
  EXPECT_EQ(Setting("RemoveNoise"), RegistryValue::Dword(1));
  EXPECT_EQ(Setting("DatabasePath"), RegistryValue::String(moved));
  EXPECT_TRUE(fs::exists(moved));
  EXPECT_EQ(Setting("Language"), RegistryValue::Dword(8));
}

}  // namespace
}  // namespace trellisk
