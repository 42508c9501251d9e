// The batch runner's command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Controls.h"
#include "DataLog.h"
#include "MoveTargets.h"
#include "SweepPlan.h"

namespace tarvex::batch {

struct SetText {
  TextBox box;
  std::string text;
};

struct SetBox {
  CheckBox box;
  std::int16_t value;
};

// A change of a check box during the yield of an output pulse.
struct LiveChange {
  std::int64_t pulse;
  SetBox change;
};

struct BatchOptions {
  std::optional<std::filesystem::path> parameterFile;
  // --set and --box in the order given, applied after the file.
  std::vector<std::variant<SetText, SetBox>> setup;
  std::vector<LiveChange> liveChanges;
  std::optional<std::int64_t> stopAtPulse;
  std::filesystem::path logPath = DataLog::kDefaultPath;
  std::optional<std::filesystem::path> plotPath;
  std::optional<std::filesystem::path> pointsPath;
  // --vary in the order given; none for a single run.
  std::vector<Variation> variations;
  std::optional<int> jobs;
  std::optional<std::filesystem::path> tracePath;
  // --solve: the move to design instead of a run; --save: where its
  // proposal goes.
  std::optional<design::MoveTargets> solve;
  std::optional<std::filesystem::path> savePath;
  bool json = false;
  bool tickByTick = false;
  bool help = false;
  bool version = false;
};

struct ParseResult {
  BatchOptions options;
  std::string error;  // empty when the command line is good
};

// Reads the arguments after the program's name. FILE.prm is the first
// argument, or the one after "--", which ends the options. Paths are taken
// as pathFromText() has them.
ParseResult parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

}  // namespace tarvex::batch
