#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <thread>

#include "cli/interrupt.h"
#include "design/temporary_files.h"

namespace duv::cli {

// The signals are blocked in every thread and taken by one thread of their own with sigwait, so
// that the cleanup runs as ordinary code rather than in a signal handler. Then the notice is
// written and the signal raised again with its default action, so that the program ends as
// interrupted by it.
void removeTemporaryFilesWhenInterrupted() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) return;
    removeTemporaryFilesForExit(false);
    const auto notice = interruptNotice();
    std::fputs(notice.c_str(), stderr);
    std::fflush(stderr);
    std::signal(signal, SIG_DFL);
    sigset_t raised;
    sigemptyset(&raised);
    sigaddset(&raised, signal);
    pthread_sigmask(SIG_UNBLOCK, &raised, nullptr);
    std::raise(signal);
  }).detach();
}

}  // namespace duv::cli
