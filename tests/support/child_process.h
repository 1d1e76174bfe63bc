// ChildProcess runs a function in a forked copy of the test process, so a
// crash test can kill it hard at any moment and then inspect what it left on
// disk. POSIX only.
//
// The object owns the child: it kills and reaps it when destroyed. Use from
// one thread, and fork only while the test process runs a single thread.
#pragma once

#include <functional>

namespace trellisk::testing {

class ChildProcess {
 public:
  // Forks; the child runs `body` and exits with its result.
  explicit ChildProcess(const std::function<int()>& body);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // SIGKILL, then waits for the child to end.
  void Kill();
  // Waits for the child to end; its exit code, or -1 when it did not exit normally.
  int Wait();

 private:
  int pid_ = -1;
};

}  // namespace trellisk::testing
