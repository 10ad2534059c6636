#include "StopSignals.h"

#if defined(_WIN32)
#include <windows.h>

#include <atomic>
#else
#include <csignal>
#include <iterator>
#endif

namespace zu::dump {

#if defined(_WIN32)

namespace {

std::atomic<bool> caught{false};
// Set once what was written is removed: Windows ends the process as soon as
// the handler returns from a closing console, a logoff or a shutdown.
HANDLE removed = nullptr;
// The system waits five seconds for a handler of those events.
constexpr DWORD kRemovalWaitMs = 4500;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI NoteStop(DWORD event) {
  caught = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(removed, kRemovalWaitMs);
  }
  return TRUE;  // handled: the export removes its output, then the run ends
}

}  // namespace

// A Ctrl+C that the process ignores (a program started in a new process
// group) reaches no handler, and so stays ignored.
// The event is never closed: a handler may still be waiting for it.
CatchStopSignals::CatchStopSignals() {
  if (removed == nullptr) removed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(removed);
  SetConsoleCtrlHandler(NoteStop, TRUE);
}

CatchStopSignals::~CatchStopSignals() {
  SetConsoleCtrlHandler(NoteStop, FALSE);
  SetEvent(removed);
  if (caught) ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

bool StopAsked() { return caught; }

#else

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

#endif

}  // namespace zu::dump
