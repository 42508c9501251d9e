#include "StopRequest.h"

#include <atomic>
#include <cerrno>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace tarvex::batch {
namespace {

// Asked from a signal handler or from the console's own thread.
RunStopRequest requested;
std::atomic<bool> finished{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32

// The thread that writes the outputs, whose waiting write a stop cancels.
HANDLE mainThread = nullptr;

// Writes to a pipe whose reader has stopped reading wait no longer: the
// one waiting now is cancelled, and the standard streams, if pipes, no
// longer wait for room; such writes fail and the report says so.
void stopWaitingForReaders() {
  for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE handle = GetStdHandle(stream);
    DWORD noWait = PIPE_NOWAIT;
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_PIPE)
      SetNamedPipeHandleState(handle, &noWait, nullptr, nullptr);
  }
  if (mainThread != nullptr) CancelSynchronousIo(mainThread);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  const bool closing =
      event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  const bool again = !requested.request();
  if (!again) stopWaitingForReaders();
  if (!closing) return again ? FALSE : TRUE;  // FALSE: the default, which ends the process
  // The process is ended as soon as this returns: wait for the run to stop
  // and close its files, within the five seconds the system gives.
  for (int waited = 0; waited < 4500 && !finished.load(); waited += 10) Sleep(10);
  return TRUE;
}

#else

// Every output that can wait for a reader (a pipe, a FIFO, a socket) waits
// no longer once a stop is requested: made non-blocking, a write finds the
// pipe full and fails at once, and so does the write that was waiting,
// interrupted by the signal. Only calls that are safe in a signal handler.
void stopWaitingForReaders() {
  struct rlimit files {};
  const rlim_t open = getrlimit(RLIMIT_NOFILE, &files) == 0 ? files.rlim_cur : 1024;
  const int last = static_cast<int>(open < 4096 ? open : 4096);
  for (int fd = 1; fd < last; ++fd) {
    struct stat status {};
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || fstat(fd, &status) != 0) continue;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
      fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  }
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onStopSignal(int) {
  // The interrupted code may be about to read errno: it is left as it was.
  const int interruptedErrno = errno;
  if (requested.request()) stopWaitingForReaders();
  // The next one takes the default action and ends the process.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  for (const int number : kStopSignals) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == onStopSignal)
      sigaction(number, &fallback, nullptr);
  }
  errno = interruptedErrno;
}

#endif

}  // namespace

void catchStopRequests() {
#ifdef _WIN32
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread, 0,
                  FALSE, DUPLICATE_SAME_ACCESS);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: an open or a write that waits is interrupted, not resumed.
  action.sa_flags = 0;
  // A signal ignored when the runner started stays ignored: a run started
  // with nohup goes on when its terminal closes.
  for (const int number : kStopSignals) {
    struct sigaction before {};
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(number, &action, nullptr);
  }
#endif
}

void leaveStopRequestsToOtherThreads() {
#ifndef _WIN32
  sigset_t stops;
  sigemptyset(&stops);
  for (const int number : kStopSignals) sigaddset(&stops, number);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
#endif
}

bool stopRequested() {
  return requested.requested();
}

RunStopRequest& stopRequest() {
  return requested;
}

void finishedWithFiles() {
  finished.store(true);
}

}  // namespace tarvex::batch
