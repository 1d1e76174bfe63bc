// The Windows platform layer against the real system: files on disk,
// the message-pumping waits, the environment, the locale timestamp, message
// boxes, library loading, the performance counter and the resolver.
#include <windows.h>
// windows.h names the ANSI call SetEnvironmentVariable; the platform's is meant here.
#undef SetEnvironmentVariable

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "platform/clock.h"
#include "platform/dns_resolver.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/message_box.h"
#include "platform/shared_library.h"
#include "platform/sync.h"
#include "tests/support/temp_directory.h"

namespace trellisk::platform {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  // Writes `text` with the real file system and returns the bytes on disk.
  std::string WriteAndReadBack(const std::string& text) {
    const std::string path = dir_.File("text.dat");
    std::unique_ptr<WritableFile> file = files_.OpenForWriting(path);
    EXPECT_TRUE(file && file->Append(text) && file->Close());
    return ReadFileBytes(path);
  }
  std::string ReadWhole(const std::string& path) {
    std::unique_ptr<ReadableFile> file = files_.OpenForReading(path);
    std::string bytes;
    char buffer[7];  // small, so reads end mid-line
    for (size_t n; file && (n = file->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    return bytes;
  }

  FileSystem& files_ = DefaultFileSystem();
  testing::TempDirectory dir_;
};

// The stores choose their line ends; the file system adds no carriage
// returns and takes none away.
TEST_F(Win32FileSystemTest, BytesAreWrittenAsGiven) {
  const std::string texts[] = {"", "word\n", "word\r\n", "a\r\nb\n\n", std::string("\0\xFF\x1A", 3)};
  for (const std::string& text : texts) {
    EXPECT_EQ(WriteAndReadBack(text), text);
  }
}

TEST_F(Win32FileSystemTest, ManyAppendsBeyondTheBufferArriveInOrder) {
  std::string expected;
  const std::string path = dir_.File("big.dat");
  std::unique_ptr<WritableFile> file = files_.OpenForWriting(path);
  ASSERT_NE(file, nullptr);
  for (int n = 0; n < 20000; ++n) {
    const std::string line = "word" + std::to_string(n) + "\r\n";
    ASSERT_TRUE(file->Append(line));
    expected += line;
  }
  ASSERT_TRUE(file->Sync());
  ASSERT_TRUE(file->Close());
  EXPECT_FALSE(file->Close()) << "a closed file cannot be closed again";
  EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(Win32FileSystemTest, ReadingReturnsTheBytesAsStored) {
  WriteFileBytes(dir_.File("mixed.dat"), "one\r\ntwo\nthree");
  EXPECT_EQ(ReadWhole(dir_.File("mixed.dat")), "one\r\ntwo\nthree");
  EXPECT_EQ(files_.OpenForReading(dir_.File("missing.dat")), nullptr);
}

TEST_F(Win32FileSystemTest, ReplaceSwapsInTheNewFileAndRemoveDeletes) {
  WriteFileBytes(dir_.File("database.tmp"), "new");
  WriteFileBytes(dir_.File("database.dat"), "old");
  EXPECT_TRUE(files_.Replace(dir_.File("database.tmp"), dir_.File("database.dat")));
  EXPECT_EQ(ReadFileBytes(dir_.File("database.dat")), "new");
  EXPECT_FALSE(files_.Exists(dir_.File("database.tmp")));
  EXPECT_FALSE(files_.Replace(dir_.File("database.tmp"), dir_.File("database.dat")));
  EXPECT_TRUE(files_.Remove(dir_.File("database.dat")));
  EXPECT_FALSE(files_.Exists(dir_.File("database.dat")));
  EXPECT_FALSE(files_.Remove(dir_.File("database.dat")));
}

TEST_F(Win32FileSystemTest, OpeningInAMissingDirectoryFails) {
  EXPECT_EQ(files_.OpenForWriting(dir_.File("no\\such\\file.dat")), nullptr);
}

// A message-only window of the test's thread that counts the messages it
// receives; other threads send to it.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TrelliskCountingWindow";
    RegisterClassA(&windowClass);
    window_ = CreateWindowA("TrelliskCountingWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  ~CountingWindow() { DestroyWindow(window_); }
  HWND handle() const { return window_; }
  static int received() { return received_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_USER) {
      ++received_;
      return 1;
    }
    return DefWindowProcA(window, message, w, l);
  }
  static inline std::atomic<int> received_{0};
  HWND window_;
};

// A thread that sends a message to another thread's window is blocked until
// that thread dispatches it; a wait that did not pump would never end.
TEST(MessagePumpingWait, AnEventWaitDispatchesMessagesSentMeanwhile) {
  CountingWindow window;
  ASSERT_NE(window.handle(), nullptr);
  const int before = CountingWindow::received();
  ManualResetEvent done;
  std::thread sender([&] {
    SendMessageA(window.handle(), WM_USER, 0, 0);
    done.Set();
  });
  EXPECT_TRUE(done.Wait());
  sender.join();
  EXPECT_EQ(CountingWindow::received(), before + 1);
}

TEST(MessagePumpingWait, AMutexWaitDispatchesMessagesSentByTheOwner) {
  CountingWindow window;
  const int before = CountingWindow::received();
  RecursiveMutex mutex;
  ManualResetEvent locked;
  std::thread owner([&] {
    std::lock_guard<RecursiveMutex> hold(mutex);
    locked.Set();
    SendMessageA(window.handle(), WM_USER, 0, 0);  // answered only by a pumping wait
  });
  ASSERT_TRUE(locked.Wait());
  { std::lock_guard<RecursiveMutex> take(mutex); }
  owner.join();
  EXPECT_EQ(CountingWindow::received(), before + 1);
}

TEST(MessagePumpingWait, MessagesDoNotExtendTheTimeOut) {
  CountingWindow window;
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    while (!stop) {
      PostMessageA(window.handle(), WM_USER, 0, 0);
      Sleep(1);
    }
  });
  ManualResetEvent never;
  EXPECT_FALSE(never.Wait(100));
  stop = true;
  poster.join();
}

TEST(Environment, VariablesAreSetReadAndMissing) {
  EXPECT_TRUE(SetEnvironmentVariable("TRELLISK_WIN32_TEST", "C:\\Users\\me\\AppData"));
  EXPECT_EQ(EnvironmentVariable("TRELLISK_WIN32_TEST"), "C:\\Users\\me\\AppData");
  const std::string longValue(1000, 'v');
  EXPECT_TRUE(SetEnvironmentVariable("TRELLISK_WIN32_TEST", longValue));
  EXPECT_EQ(EnvironmentVariable("TRELLISK_WIN32_TEST"), longValue);
  EXPECT_EQ(EnvironmentVariable("TRELLISK_WIN32_TEST_MISSING"), std::nullopt);
  EXPECT_TRUE(EnvironmentVariable("APPDATA").has_value());
}

TEST(Environment, TheOwnModuleOfAProgramIsTheProgram) {
  const std::string own = OwnModulePath();
  EXPECT_EQ(own, ExecutablePath());
  EXPECT_TRUE(own.ends_with("platform_win32_test.exe")) << own;
  EXPECT_NE(own.find('\\'), std::string::npos) << own;
}

TEST(LocaleTimestamp, HasTheDayDateAndTwentyFourHourTimePictures) {
  const std::string stamp = LocaleTimestamp();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\S+, \S+ \d\d \d{4}, \d\d:\d\d:\d\d, )"))) << stamp;
}

TEST(MessageBoxes, ACaptureFileTakesTheBoxInsteadOfTheUser) {
  testing::TempDirectory dir;
  const std::string capture = dir.File("boxes.txt");
  ASSERT_TRUE(SetEnvironmentVariable("TRELLISK_MESSAGE_BOXES", capture));
  SystemMessageBoxes().Show("Empty Database", "Please train\nthe filter!", MessageBoxIcon::Information);
  SetEnvironmentVariableA("TRELLISK_MESSAGE_BOXES", nullptr);
  EXPECT_EQ(ReadFileBytes(capture), "message box [information] Empty Database: Please train\\nthe filter!\n");
}

TEST(SharedLibraries, ExportsAreFoundByName) {
  std::string error;
  const std::unique_ptr<SharedLibrary> kernel = SharedLibrary::Open("kernel32.dll", error);
  ASSERT_NE(kernel, nullptr) << error;
  EXPECT_NE(kernel->Symbol("GetTickCount"), nullptr);
  EXPECT_EQ(kernel->Symbol("NoSuchFunction"), nullptr);
  EXPECT_EQ(SharedLibrary::Open("no-such-library.tbp", error), nullptr);
  EXPECT_NE(error.find("no-such-library.tbp"), std::string::npos) << error;
}

TEST(Clock, ThePerformanceCounterRuns) {
  EXPECT_GT(HighResolutionFrequency(), 0);
  const int64_t first = HighResolutionTicks();
  Sleep(2);
  EXPECT_GT(HighResolutionTicks(), first);
  EXPECT_GT(CalendarTimeSeconds(), 1700000000u);
}

TEST(Resolver, StartsWindowsSocketsAndResolvesTheLocalHost) {
  const std::unique_ptr<DnsResolver> resolver = StartResolver();
  ASSERT_TRUE(resolver->Ready());
  EXPECT_EQ(resolver->Lookup("localhost"), LookupResult::kFound);
  EXPECT_NE(resolver->Lookup("no-such-host.invalid"), LookupResult::kFound);
}

}  // namespace
}  // namespace trellisk::platform
