// The batch runner as a process: run in a test's own folder, with its exit
// status, what it printed on stdout and on stderr.
#pragma once

#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "OutputFile.h"
#include "TestSupport.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tarvex::test {

class BatchProcess : public ::testing::Test {
 protected:
  // Runs the batch runner in the test's folder; returns what it printed on
  // stdout (nothing when that went elsewhere). With a file size limit (POSIX
  // only), no file the runner writes grows past `fileSizeLimit` bytes: a
  // write beyond fails with EFBIG ("File too large"), as on a full disk,
  // SIGXFSZ being ignored.
  const std::string& run(const std::string& args, const std::string& stdoutTo = "stdout",
                         long fileSizeLimit = 0) {
    std::string command = "cd \"" + dir.path().string() + "\" && \"" TARVEX_BATCH "\" " + args +
                          " >" + stdoutTo + " 2>stderr";
    std::filesystem::remove(dir.file("stdout"));
#ifdef _WIN32
    // cmd.exe: /d changes the drive too; it strips the outer quotes.
    command = "\"" + command.insert(3, "/d ") + "\"";
    status = _wsystem(pathFromText(command).c_str());  // UTF-8 to UTF-16
    static_cast<void>(fileSizeLimit);                  // no such limit there
#else
    const pid_t child = fork();
    if (child == 0) {
      const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      if (fileSizeLimit > 0 &&
          (setrlimit(RLIMIT_FSIZE, &limit) != 0 || signal(SIGXFSZ, SIG_IGN) == SIG_ERR))
        _exit(126);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int raw = 0;
    status =
        child > 0 && waitpid(child, &raw, 0) == child && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    err = readFile(dir.file("stderr"));
    return out = readFile(dir.file("stdout"));
  }
  TempDir dir;
  int status = -1;
  std::string out, err;
};

}  // namespace tarvex::test
