// The files a run touches, checked against each other before it starts:
// an output written over another output, or over the parameter file just
// loaded, would destroy one of them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "OutputFile.h"

namespace tarvex::batch {

struct RunFile {
  std::string role;  // "the data log", "the points file", ...
  std::filesystem::path path;
  std::optional<Output> output;  // what the run writes there; none for a file it reads
};

// The first two files that are one and the same, through symbolic or hard
// links or another spelling of the name, as a message; empty when each is
// a file of its own, by the file system's identity of each (pipes and
// devices included); only the null device may serve several. To be
// compared, outputs that do not exist yet are created (empty), and removed
// again when there is a clash, so that a refused run leaves nothing behind.
std::string sameFileClash(const std::vector<RunFile>& files);

// An output that is the very file the standard output writes to (such as
// /dev/stdout): `role` names it; `appending` tells that the standard output
// adds to an existing file, which the output would empty first.
struct StandardOutputClash {
  std::string role;
  bool appending;
};
std::optional<StandardOutputClash> outputOnStandardOutput(const std::vector<RunFile>& files);

}  // namespace tarvex::batch
