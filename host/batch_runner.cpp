#include "host/batch_runner.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "host/progress_bar.h"

namespace trellisk::host {
namespace {

// Prints the lines in input order: a line waits until every earlier one is
// out.
class OrderedPrinter {
 public:
  explicit OrderedPrinter(size_t count) : lines_(count), done_(count, false) {}

  void Deliver(size_t index, std::optional<std::string> line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_[index] = std::move(line);
    done_[index] = true;
    for (; next_ < done_.size() && done_[next_]; ++next_) {
      if (lines_[next_]) std::printf("%s\n", lines_[next_]->c_str());
      lines_[next_].reset();
    }
    std::fflush(stdout);
  }

 private:
  std::mutex mutex_;
  std::vector<std::optional<std::string>> lines_;
  std::vector<bool> done_;
  size_t next_ = 0;
};

// The output lines of every message of one input, one line each.
std::optional<std::string> WorkThrough(std::vector<LoadedMessage>& messages, size_t index,
                                       const BatchRunner::Work& work) {
  std::optional<std::string> lines;
  for (LoadedMessage& message : messages) {
    std::optional<std::string> line = work(index, message);
    if (!line) continue;
    lines = lines ? *lines + "\n" + *line : std::move(*line);
  }
  return lines;
}

}  // namespace

BatchResult BatchRunner::Run(const Work& work) {
  OrderedPrinter printer(messages_.size());
  ProgressBar progress(activity_, messages_.size());
  std::atomic<size_t> nextIndex{0};
  std::atomic<size_t> finished{0};
  std::atomic<size_t> unreadable{0};
  std::atomic<size_t> processed{0};
  std::mutex errorMutex;

  auto worker = [&] {
    std::vector<LoadedMessage> loaded;
    for (size_t index = nextIndex++; index < messages_.size(); index = nextIndex++) {
      std::string error;
      std::optional<std::string> line;
      if (LoadMessages(messages_[index], loaded, error)) {
        line = WorkThrough(loaded, index, work);
        processed += loaded.size();
      } else {
        ++unreadable;
        progress.Finish();
        std::lock_guard<std::mutex> lock(errorMutex);
        std::fprintf(stderr, "trellisk-host: %s: %s\n", messages_[index].name.c_str(), error.c_str());
      }
      printer.Deliver(index, std::move(line));
      progress.Update(++finished);
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads_; ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
  progress.Finish();
  return {processed.load(), unreadable.load()};
}

}  // namespace trellisk::host
