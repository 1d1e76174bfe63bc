// The scan report driven through PluginCore: batches of training requests,
// the progress window and the final box, with the report's cycles in the
// test's hands.
#include "plugin/scan_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/progress_window.h"
#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr auto kPatience = std::chrono::seconds(20);

// Report cycles that pass only when the test lets them; a stop ends the
// cycle under way at once, as the system's wait does.
class SteppedCycles {
 public:
  // The report thread's wait.
  void Wait(std::stop_token stop, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    lengths_.push_back(milliseconds);
    changed_.notify_all();
    changed_.wait(lock, stop, [&] { return passed_ >= lengths_.size(); });
  }

  // True once `count` cycles have begun.
  bool AwaitBegun(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return Await(lock, [&] { return lengths_.size() >= count; });
  }

  // Lets the cycle under way pass; true once the thread waits in its next
  // cycle or `ended` holds.
  bool Pass(const std::function<bool()>& ended) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!Await(lock, [&] { return lengths_.size() > passed_; })) return false;
    ++passed_;
    changed_.notify_all();
    return Await(lock, [&] { return lengths_.size() > passed_ || ended(); });
  }

  // The length of every cycle begun so far, in milliseconds.
  std::vector<uint32_t> lengths() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lengths_;
  }

 private:
  // `ended` cannot notify, so conditions are looked at every millisecond.
  template <typename Condition>
  bool Await(std::unique_lock<std::mutex>& lock, Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      changed_.wait_for(lock, std::chrono::milliseconds(1));
    }
    return true;
  }

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::vector<uint32_t> lengths_;
  size_t passed_ = 0;
};

// Records, in order, what the report does with its windows: "show
// <title>", "count <n>", "close"; and how many window objects live.
class WindowRecorder {
 public:
  std::unique_ptr<platform::ProgressWindow> Make() { return std::make_unique<Window>(*this); }

  std::vector<std::string> events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  int alive() {
    std::lock_guard<std::mutex> lock(mutex_);
    return alive_;
  }

 private:
  class Window final : public platform::ProgressWindow {
   public:
    explicit Window(WindowRecorder& recorder) : recorder_(recorder) { recorder_.Count(+1); }
    ~Window() override { recorder_.Count(-1); }
    void Show(std::string_view title) override { recorder_.Add("show " + std::string(title)); }
    void SetCount(uint32_t count) override { recorder_.Add("count " + std::to_string(count)); }
    void Close() override { recorder_.Add("close"); }

   private:
    WindowRecorder& recorder_;
  };

  void Add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  void Count(int change) {
    std::lock_guard<std::mutex> lock(mutex_);
    alive_ += change;
  }

  std::mutex mutex_;
  std::vector<std::string> events_;
  int alive_ = 0;
};

const std::string kShown = "show Already scanned Mails:";

std::string FinalBox(int count) {
  return platform::FormatMessageBoxLine(
      "Finished", "Scanning process of " + std::to_string(count) + " mails completed!",
      platform::MessageBoxIcon::Information);
}

class ScanReportTest : public testing::CoreFixture {
 protected:
  ScanReportTest() {
    reportCycleWait_ = [this](std::stop_token stop, uint32_t milliseconds) {
      cycles_.Wait(std::move(stop), milliseconds);
    };
    makeProgressWindow_ = [this] { return windows_.Make(); };
  }
  // The report thread may wait on this fixture's cycles: it ends before they go.
  void TearDown() override {
    if (core_->session()) Stop();
  }

  void StartReportingFrom(uint32_t doNotReportBelow) {
    SetSetting("DoNotReportBelow", doNotReportBelow);
    Start();
  }

  void TrainRequests(int count) {
    for (int i = 0; i < count; ++i) {
      testing::TestMail mail;
      mail.messageId = "batch" + std::to_string(nextMessage_++) + "@test";
      Train(mail.Text(), true);
    }
  }

  // The batch's first request starts the report, which looks at the count
  // at once; the others come during its first cycle.
  void StartBatch(int requests) {
    TrainRequests(1);
    ASSERT_TRUE(cycles_.AwaitBegun(1)) << "the first request starts the report";
    TrainRequests(requests - 1);
  }

  void PassCycles(int count) {
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(cycles_.Pass([this] { return !core_->ReportRunning(); })) << "cycle " << i;
    }
  }

  // Lets cycles pass until the report has ended; the number passed.
  int PassCyclesToTheEnd() {
    int passed = 0;
    while (core_->ReportRunning() && passed < 100) {
      if (!cycles_.Pass([this] { return !core_->ReportRunning(); })) break;
      ++passed;
    }
    return passed;
  }

  std::vector<std::string> Boxes() {
    std::vector<std::string> lines;
    for (const auto& box : messageBoxes_.boxes()) {
      lines.push_back(platform::FormatMessageBoxLine(box.caption, box.text, box.icon));
    }
    return lines;
  }

  SteppedCycles cycles_;
  WindowRecorder windows_;
  int nextMessage_ = 0;
};

struct BatchCase {
  const char* name;
  uint32_t doNotReportBelow;
  int requests;
  int cycles;  // the first, then four without a new request
  std::vector<std::string> windowEvents;
  std::vector<std::string> boxes;
};

void PrintTo(const BatchCase& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> WindowCounting(int count) {
  const std::string shown = "count " + std::to_string(count);
  return {kShown, shown, shown, shown, shown, "close"};
}

class ScanReportBatchTest : public ScanReportTest, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(ScanReportBatchTest, RunsToItsEnd) {
  const BatchCase& c = GetParam();
  StartReportingFrom(c.doNotReportBelow);
  StartBatch(c.requests);
  EXPECT_EQ(PassCyclesToTheEnd(), c.cycles);
  EXPECT_THAT(cycles_.lengths(), ElementsAreArray(std::vector<uint32_t>(c.cycles, 1000)));
  EXPECT_THAT(windows_.events(), ElementsAreArray(c.windowEvents));
  EXPECT_THAT(Boxes(), ElementsAreArray(c.boxes));
  EXPECT_EQ(core_->FeedCount(), 0u) << "the next batch counts from 0";
  EXPECT_EQ(windows_.alive(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ScanReportBatchTest,
    ::testing::Values(
        BatchCase{"OneRequestEndsWithABoxAfterFourCycles", 1, 1, 4, {}, {FinalBox(1)}},
        BatchCase{"TenRequestsNeverOpenTheWindow", 1, 10, 5, {}, {FinalBox(10)}},
        BatchCase{"ElevenRequestsOpenItWithEleven", 1, 11, 5, WindowCounting(11), {FinalBox(11)}},
        BatchCase{"ThirtyBelowAThresholdOfFiftyEndWithoutABox", 50, 30, 5, WindowCounting(30), {}},
        BatchCase{"AsManyAsTheThresholdEndWithABox", 30, 30, 5, WindowCounting(30), {FinalBox(30)}}),
    [](const ::testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

TEST_F(ScanReportTest, RequestsLessThanFourCyclesApartKeepOneWindowAndOneCount) {
  StartReportingFrom(1);
  StartBatch(10);
  PassCycles(1);
  EXPECT_THAT(windows_.events(), IsEmpty());
  TrainRequests(1);
  PassCycles(1);
  EXPECT_THAT(windows_.events(), ElementsAre(kShown, "count 11"));
  PassCycles(2);
  TrainRequests(4);
  PassCyclesToTheEnd();
  EXPECT_THAT(windows_.events(), ElementsAre(kShown, "count 11", "count 11", "count 11", "count 15", "count 15",
                                             "count 15", "count 15", "close"));
  EXPECT_THAT(Boxes(), ElementsAre(FinalBox(15)));
}

TEST_F(ScanReportTest, NoReportBelowZeroStartsNoReport) {
  StartReportingFrom(0);
  TrainRequests(20);
  EXPECT_FALSE(core_->ReportRunning());
  EXPECT_EQ(core_->FeedCount(), 20u);
  Stop();
  EXPECT_THAT(cycles_.lengths(), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(ScanReportTest, ShutdownEndsTheReportAtOnceWithoutItsBox) {
  StartReportingFrom(1);
  StartBatch(11);
  PassCycles(1);
  Stop();
  EXPECT_FALSE(core_->ReportRunning());
  EXPECT_THAT(windows_.events(), ElementsAre(kShown, "count 11", "close"));
  EXPECT_EQ(windows_.alive(), 0);
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(core_->FeedCount(), 0u);

  const size_t cyclesBefore = cycles_.lengths().size();
  Start();
  TrainRequests(1);
  EXPECT_TRUE(core_->ReportRunning()) << "the next session reports again";
  EXPECT_TRUE(cycles_.AwaitBegun(cyclesBefore + 1));
}

}  // namespace
}  // namespace trellisk
