// While an export writes, SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, a
// logout) only note that the run is to stop: the output checks StopAsked()
// between writes and before it names its result, removes what it wrote, and
// the run then ends as the signal would have ended it. Outside a
// CatchStopSignals scope the signals keep their usual effect, and a signal
// that was ignored (nohup) stays ignored within it. On Windows the console's
// events do the same (SetConsoleCtrlHandler): Ctrl+C, Ctrl+Break, the
// console window closed, a logoff or a shutdown; the run then ends with
// STATUS_CONTROL_C_EXIT, as an unhandled Ctrl+C ends it.
#pragma once

namespace zu::dump {

class CatchStopSignals {
 public:
  CatchStopSignals();
  // Gives the signals their earlier handling back and, when one came, ends
  // the process by it.
  ~CatchStopSignals();
  CatchStopSignals(const CatchStopSignals&) = delete;
  CatchStopSignals& operator=(const CatchStopSignals&) = delete;
};

// True once a stop signal came within a CatchStopSignals scope.
bool StopAsked();

}  // namespace zu::dump
