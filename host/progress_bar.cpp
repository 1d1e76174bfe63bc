#include "host/progress_bar.h"

#include <cstdio>

#include "platform/terminal.h"

namespace trellisk::host {
namespace {
constexpr size_t kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

ProgressBar::ProgressBar(std::string activity, size_t total)
    : activity_(std::move(activity)), total_(total), visible_(platform::StandardErrorIsTerminal()) {}

void ProgressBar::Update(size_t done) {
  if (!visible_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawInterval && done != total_) return;
  lastDraw_ = now;
  Draw(done);
}

void ProgressBar::Draw(size_t done) {
  const size_t filled = total_ == 0 ? kBarWidth : done * kBarWidth / total_;
  std::string bar(filled, '#');
  bar.resize(kBarWidth, ' ');
  std::fprintf(stderr, "\r%s [%s] %zu/%zu", activity_.c_str(), bar.c_str(), done, total_);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!visible_ || !drawn_) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(activity_.size() + kBarWidth + 30), "");
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace trellisk::host
