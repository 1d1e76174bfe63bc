#include "tests/support/child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace trellisk::testing {

ChildProcess::ChildProcess(const std::function<int()>& body) {
  pid_ = ::fork();
  if (pid_ == 0) ::_exit(body());
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  Wait();
}

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  pid_t ended;
  do {
    ended = ::waitpid(pid_, &status, 0);
  } while (ended < 0 && errno == EINTR);
  pid_ = -1;
  if (ended < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace trellisk::testing
