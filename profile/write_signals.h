#ifndef VEXLO_PROFILE_WRITE_SIGNALS_H
#define VEXLO_PROFILE_WRITE_SIGNALS_H

// Keeps the signals that end a process from ending it in the middle of a
// write, so that a write interrupted by Ctrl-C, a hang-up or `kill` leaves no
// temporary file behind.
//
// Calling sequence:
//
//   WriteSignals saved = hold_write_signals();
//   ... the write; long loops and blocking waits ask write_interrupted()
//       and, when it is true, give up and clean up ...
//   release_write_signals(saved);
//
// While held, SIGINT, SIGTERM and SIGHUP only record that they came (a signal
// the process already ignores stays ignored), and blocking calls return EINTR
// instead of restarting. SIGXFSZ is ignored, so that a file-size limit makes
// the write fail with EFBIG instead of killing the process.
//
// release_write_signals() puts the earlier dispositions back and, if one of
// the signals came, raises it again: the process then ends as the sender
// meant, only later, after the write has finished or been undone. SIGKILL
// cannot be caught; a write killed by it may leave a temporary file, but the
// destination is never damaged (see replace_file.h).

#include <csignal>

namespace vexlo::profile {

struct WriteSignals {
  struct sigaction interrupt {};
  struct sigaction terminate {};
  struct sigaction hang_up {};
  struct sigaction file_size {};
};

// Starts recording the terminating signals; returns what to restore.
WriteSignals hold_write_signals();

// True once a terminating signal has come since hold_write_signals().
bool write_interrupted();

// Restores the saved dispositions and re-raises a signal that came.
void release_write_signals(const WriteSignals& saved);

}  // namespace vexlo::profile

#endif
