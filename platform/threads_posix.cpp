#include <memory>
#include <system_error>
#include <thread>

#include "platform/sync.h"
#include "platform/threads.h"

namespace trellisk::platform {
namespace {

// A std::thread that says when its body is done; joined once it is, so
// that a successful wait means the thread itself has ended.
class PosixThread final : public WaitableThread {
 public:
  explicit PosixThread(std::function<void()> body)
      : done_(std::make_shared<ManualResetEvent>()), thread_([body = std::move(body), done = done_] {
          body();
          done->Set();
        }) {}

  ~PosixThread() override {
    if (thread_.joinable()) thread_.detach();
  }

  bool WaitEnded(uint32_t timeoutMs) override {
    if (!thread_.joinable()) return true;
    if (!done_->Wait(timeoutMs)) return false;
    thread_.join();
    return true;
  }

 private:
  const std::shared_ptr<ManualResetEvent> done_;
  std::thread thread_;
};

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

std::unique_ptr<WaitableThread> WaitableThread::Start(std::function<void()> body) {
  try {
    return std::make_unique<PosixThread>(std::move(body));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace trellisk::platform
