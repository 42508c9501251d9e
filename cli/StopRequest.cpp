#include "StopRequest.h"

#include <atomic>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace tarvex::batch {
namespace {

// Set from a signal handler or from the console's own thread.
std::atomic<bool> requested{false};
std::atomic<bool> finished{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32

BOOL WINAPI onConsoleEvent(DWORD event) {
  const bool closing =
      event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  const bool again = requested.exchange(true);
  if (!closing) return again ? FALSE : TRUE;  // FALSE: the default, which ends the process
  // The process is ended as soon as this returns: wait for the run to stop
  // and close its files, within the five seconds the system gives.
  for (int waited = 0; waited < 4500 && !finished.load(); waited += 10) Sleep(10);
  return TRUE;
}

#else

extern "C" void onStopSignal(int) {
  requested.store(true);
  // The next one takes the default action and ends the process.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &fallback, nullptr);
}

#endif

}  // namespace

void catchStopRequests() {
#ifdef _WIN32
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // A write that waits for a slow reader carries on after the signal.
  action.sa_flags = SA_RESTART;
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
#endif
}

bool stopRequested() {
  return requested.load();
}

void finishedWithFiles() {
  finished.store(true);
}

}  // namespace tarvex::batch
