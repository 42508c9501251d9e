#include "OutputPaths.h"

#include <cstdio>

#include "OutputFile.h"

namespace tarvex::batch {
namespace fs = std::filesystem;
namespace {

// One file by its identity, pipes and devices included; the null device
// is the one file that many may share.
bool sameFile(const fs::path& a, const fs::path& b) {
  const std::optional<FileIdentity> first = fileIdentity(a), second = fileIdentity(b);
  return first && second && *first == *second && !first->nullDevice;
}

}  // namespace

std::string sameFileClash(const std::vector<RunFile>& files) {
  // Once they all exist, the file system itself tells which are the same,
  // whatever the links and the case rules.
  std::vector<fs::path> created;
  for (const RunFile& file : files) {
    std::error_code error;
    if (!file.output || fs::exists(file.path, error) || error) continue;
    if (std::FILE* made = openForWriting(file.path, *file.output)) {
      std::fclose(made);
      created.push_back(fs::canonical(file.path, error));  // where a link led
    }
  }
  std::string clash;
  for (std::size_t i = 0; i < files.size() && clash.empty(); ++i)
    for (std::size_t j = i + 1; j < files.size() && clash.empty(); ++j)
      if (sameFile(files[i].path, files[j].path))
        clash = files[i].role + " and " + files[j].role +
                " are the same file: " + pathText(files[i].path) + ", " + pathText(files[j].path);
  if (!clash.empty())
    for (const fs::path& path : created) {
      std::error_code ignored;
      fs::remove(path, ignored);
    }
  return clash;
}

std::optional<StandardOutputClash> outputOnStandardOutput(const std::vector<RunFile>& files) {
  const std::optional<FileIdentity> out = standardOutputIdentity();
  if (!out || out->nullDevice) return std::nullopt;
  for (const RunFile& file : files)
    if (file.output && fileIdentity(file.path) == out)
      return StandardOutputClash{file.role, out->regular && standardOutputAppends()};
  return std::nullopt;
}

}  // namespace tarvex::batch
