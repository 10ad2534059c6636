#include "StopSignals.h"

#include <csignal>
#include <iterator>

namespace zu::dump {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t caught = 0;  // the signal that came, 0 while none has
struct sigaction earlier[std::size(kStopSignals)];

// Only a flag is set here: anything more is not safe in a signal handler.
void NoteStop(int signal) { caught = signal; }

}  // namespace

CatchStopSignals::CatchStopSignals() {
  struct sigaction note {};
  note.sa_handler = NoteStop;
  sigemptyset(&note.sa_mask);
  note.sa_flags = 0;  // no SA_RESTART: a write blocked on a slow disk returns to look at the flag
  for (size_t k = 0; k < std::size(kStopSignals); ++k) {
    sigaction(kStopSignals[k], nullptr, &earlier[k]);
    // An ignored signal stays ignored: under nohup a logout is not a stop.
    if (earlier[k].sa_handler != SIG_IGN) sigaction(kStopSignals[k], &note, nullptr);
  }
}

CatchStopSignals::~CatchStopSignals() {
  for (size_t k = 0; k < std::size(kStopSignals); ++k) sigaction(kStopSignals[k], &earlier[k], nullptr);
  const int signal = caught;
  if (signal == 0) return;
  // Ended by the signal itself, so that a shell or a parent sees why.
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  sigaction(signal, &plain, nullptr);
  std::raise(signal);
}

bool StopAsked() { return caught != 0; }

}  // namespace zu::dump
