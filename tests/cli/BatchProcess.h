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
#include <sys/wait.h>
#endif

namespace tarvex::test {

class BatchProcess : public ::testing::Test {
 protected:
  // Runs the batch runner in the test's folder; returns what it printed on
  // stdout (nothing when that went elsewhere).
  const std::string& run(const std::string& args, const std::string& stdoutTo = "stdout") {
    std::string command = "cd \"" + dir.path().string() + "\" && \"" TARVEX_BATCH "\" " + args +
                          " >" + stdoutTo + " 2>stderr";
    std::filesystem::remove(dir.file("stdout"));
#ifdef _WIN32
    // cmd.exe: /d changes the drive too; it strips the outer quotes.
    command = "\"" + command.insert(3, "/d ") + "\"";
    status = _wsystem(pathFromText(command).c_str());  // UTF-8 to UTF-16
#else
    status = std::system(command.c_str());
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    err = readFile(dir.file("stderr"));
    return out = readFile(dir.file("stdout"));
  }
  TempDir dir;
  int status = -1;
  std::string out, err;
};

}  // namespace tarvex::test
