#include "profile/write_signals.h"

#include <csignal>

namespace vexlo::profile {

namespace {

// The signal that came while held, or 0.
volatile std::sig_atomic_t caught_signal = 0;

// Records the signal; the write notices it at its next check.
extern "C" void record_signal(int number) { caught_signal = number; }

// Makes `number` record itself unless the process already ignores it.
void catch_unless_ignored(int number, struct sigaction& saved) {
  ::sigaction(number, nullptr, &saved);
  if (saved.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction recording {};
  recording.sa_handler = record_signal;
  sigemptyset(&recording.sa_mask);
  recording.sa_flags = 0;  // no SA_RESTART: a blocked lock wait must wake up
  ::sigaction(number, &recording, nullptr);
}

}  // namespace

WriteSignals hold_write_signals() {
  WriteSignals saved;
  caught_signal = 0;
  catch_unless_ignored(SIGINT, saved.interrupt);
  catch_unless_ignored(SIGTERM, saved.terminate);
  catch_unless_ignored(SIGHUP, saved.hang_up);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, &saved.file_size);
  return saved;
}

bool write_interrupted() { return caught_signal != 0; }

void release_write_signals(const WriteSignals& saved) {
  ::sigaction(SIGINT, &saved.interrupt, nullptr);
  ::sigaction(SIGTERM, &saved.terminate, nullptr);
  ::sigaction(SIGHUP, &saved.hang_up, nullptr);
  ::sigaction(SIGXFSZ, &saved.file_size, nullptr);
  const int number = caught_signal;
  caught_signal = 0;
  if (number != 0) {
    ::raise(number);
  }
}

}  // namespace vexlo::profile
