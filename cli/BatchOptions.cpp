#include "BatchOptions.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>

#include "GraphExport.h"
#include "OutputFile.h"

namespace tarvex::batch {
namespace {

std::optional<std::int64_t> parseWhole(std::string_view text) {
  std::int64_t value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<TextBox> fieldByName(std::string_view name) {
  for (const ParameterField& field : kParameterFields)
    if (parameterName(field.parameter) == name) return field.control;
  if (name.substr(0, 4) == "Text") {
    const auto n = parseWhole(name.substr(4));
    if (n && *n >= 1 && *n <= kTextBoxCount) return textBoxNumber(static_cast<int>(*n));
  }
  return std::nullopt;
}

// Whether the run writes what it shows into the box.
bool isReadout(TextBox box) {
  return std::any_of(kReadoutControls.begin(), kReadoutControls.end(),
                     [box](const ReadoutControl& r) { return r.box == box; });
}

// "CheckN=V" with N 1..7 and V 0..2.
std::optional<SetBox> parseBoxSetting(std::string_view text) {
  const auto eq = text.find('=');
  if (eq == std::string_view::npos || text.substr(0, 5) != "Check") return std::nullopt;
  const auto n = parseWhole(text.substr(5, eq - 5));
  const auto v = parseWhole(text.substr(eq + 1));
  if (!n || !v || *n < 1 || *n > kCheckBoxCount || *v < 0 || *v > 2) return std::nullopt;
  return SetBox{checkBoxNumber(static_cast<int>(*n)), static_cast<std::int16_t>(*v)};
}

// What an option does with its value (empty for one that takes none):
// nothing when all is well, else what is wrong.
using ApplyOption = std::string (*)(BatchOptions& options, const std::string& value);

enum class Takes { Nothing, Text, Path };

struct OptionRule {
  std::string_view name;
  Takes takes;
  bool repeatable;  // a second one adds to the first instead of being refused
  ApplyOption apply;
};

template <bool BatchOptions::*Flag>
std::string raiseFlag(BatchOptions& o, const std::string&) {
  o.*Flag = true;
  return {};
}

template <CheckBox Box>
std::string tickBox(BatchOptions& o, const std::string&) {
  o.setup.emplace_back(SetBox{Box, kChecked});
  return {};
}

const OptionRule kOptionRules[] = {
    {"--help", Takes::Nothing, true, raiseFlag<&BatchOptions::help>},
    {"-h", Takes::Nothing, true, raiseFlag<&BatchOptions::help>},
    {"--version", Takes::Nothing, true, raiseFlag<&BatchOptions::version>},
    {"--json", Takes::Nothing, true, raiseFlag<&BatchOptions::json>},
    {"--tick-by-tick", Takes::Nothing, true, raiseFlag<&BatchOptions::tickByTick>},
    {"--linear", Takes::Nothing, true, tickBox<pairOf(RunOption::SCurve).off>},
    {"--manual", Takes::Nothing, true, tickBox<pairOf(RunOption::AutomaticDeceleration).off>},
    {"--asymmetric", Takes::Nothing, true, tickBox<pairOf(RunOption::Symmetric).off>},
    {"--record", Takes::Nothing, true, tickBox<kRecordingBox>},
    {"--set", Takes::Text, true,
     [](BatchOptions& o, const std::string& v) {
       const auto eq = v.find('=');
       if (eq == std::string::npos) return "--set: '" + v + "' has no '=' (NAME=TEXT)";
       const auto box = fieldByName(std::string_view(v).substr(0, eq));
       if (!box) return "--set: unknown field in '" + v + "'";
       o.setup.emplace_back(SetText{*box, v.substr(eq + 1)});
       return std::string();
     }},
    {"--box", Takes::Text, true,
     [](BatchOptions& o, const std::string& v) {
       const auto setting = parseBoxSetting(v);
       if (!setting)
         return "--box: expected CheckN=V with N 1 to 7 and V 0, 1 or 2, got '" + v + "'";
       o.setup.emplace_back(*setting);
       return std::string();
     }},
    {"--at", Takes::Text, true,
     [](BatchOptions& o, const std::string& v) {
       const auto colon = v.find(':');
       const auto text = std::string_view(v);
       const auto pulse = colon == v.npos ? std::nullopt : parseWhole(text.substr(0, colon));
       const auto setting =
           colon == v.npos ? std::nullopt : parseBoxSetting(text.substr(colon + 1));
       if (!pulse || !setting || *pulse < 1)
         return "--at: expected PULSE:CheckN=V with PULSE 1 or more, got '" + v + "'";
       o.liveChanges.push_back({*pulse, *setting});
       return std::string();
     }},
    {"--stop-at", Takes::Text, false,
     [](BatchOptions& o, const std::string& v) {
       const auto pulse = parseWhole(v);
       if (!pulse || *pulse < 1) return "--stop-at: expected a pulse number, got '" + v + "'";
       o.stopAtPulse = *pulse;
       return std::string();
     }},
    {"--log", Takes::Path, false,
     [](BatchOptions& o, const std::string& v) {
       o.logPath = pathFromText(v);
       return std::string();
     }},
    {"--plot", Takes::Path, false,
     [](BatchOptions& o, const std::string& v) {
       o.plotPath = pathFromText(v);
       const std::string format = plotFormat(*o.plotPath);
       if (format != ".svg" && format != ".png")
         return std::string("--plot: the file must end in .svg or .png");
       return std::string();
     }},
    {"--points", Takes::Path, false,
     [](BatchOptions& o, const std::string& v) {
       o.pointsPath = pathFromText(v);
       return std::string();
     }},
    {"--trace", Takes::Path, false,
     [](BatchOptions& o, const std::string& v) {
       o.tracePath = pathFromText(v);
       return std::string();
     }},
    {"--vary", Takes::Text, true,
     [](BatchOptions& o, const std::string& v) {
       const auto eq = v.find('=');
       if (eq == std::string::npos) return "--vary: '" + v + "' has no '=' (NAME=VALUES)";
       const auto box = fieldByName(std::string_view(v).substr(0, eq));
       if (!box) return "--vary: unknown field in '" + v + "'";
       if (isReadout(*box))
         return "--vary: " + v.substr(0, eq) +
                " is a readout, which every run overwrites with what it shows";
       // Checked as each one comes, so that no list is made that the sweep
       // would refuse anyway.
       for (const Variation& earlier : o.variations)
         if (earlier.box == *box)
           return "--vary: " + earlier.name + " and " + v.substr(0, eq) + " are the same field";
       SweepTexts values = sweepTexts(std::string_view(v).substr(eq + 1), *box);
       if (!values.error.empty()) return "--vary " + v + ": " + values.error;
       o.variations.push_back({v.substr(0, eq), *box, std::move(values.texts)});
       if (sweepRunCount(o.variations) < 0)
         return "--vary: more than " + std::to_string(kMaxSweepRuns) + " runs";
       return std::string();
     }},
    {"--jobs", Takes::Text, false,
     [](BatchOptions& o, const std::string& v) {
       const auto jobs = parseWhole(v);
       if (!jobs || *jobs < 1 || *jobs > 64)
         return std::string("--jobs: expected 1 to 64 runs at once");
       o.jobs = static_cast<int>(*jobs);
       return std::string();
     }},
    {"--solve", Takes::Text, false,
     [](BatchOptions& o, const std::string& v) {
       design::ParsedTargets parsed = design::parseTargets(v);
       if (!parsed.error.empty()) return "--solve: " + parsed.error;
       o.solve = parsed.targets;
       return std::string();
     }},
    {"--save", Takes::Path, false,
     [](BatchOptions& o, const std::string& v) {
       o.savePath = pathFromText(v);
       return std::string();
     }},
};

const OptionRule* ruleFor(std::string_view name) {
  for (const OptionRule& rule : kOptionRules)
    if (rule.name == name) return &rule;
  return nullptr;
}

std::string valueProblem(const OptionRule& rule, const std::string* value) {
  const std::string name(rule.name);
  if (value == nullptr) return name + " needs a value";
  if (rule.takes != Takes::Path) return {};
  if (value->empty()) return name + " needs a file name";
  // Most likely the value was left out and the next option taken for it.
  if (value->rfind("--", 0) == 0)
    return name + " needs a file name, got the option '" + *value + "'";
  return {};
}

// What is wrong with the sweep options of a command line whose options are
// `given`, or nothing.
std::string sweepUsageError(const BatchOptions& options, const std::set<std::string>& given) {
  if (options.variations.empty()) return given.count("--jobs") ? "--jobs needs --vary" : "";
  for (const char* option : {"--record", "--log", "--points", "--trace"})
    if (given.count(option))
      return std::string(option) +
             " cannot be used with --vary (a sweep writes no data log, no points and no trace)";
  const auto recording = [](const SetBox& s) { return s.box == kRecordingBox && s.value != 0; };
  for (const auto& step : options.setup)
    if (const auto* box = std::get_if<SetBox>(&step); box && recording(*box))
      return "--box Check1 (data recording) cannot be used with --vary";
  for (const LiveChange& change : options.liveChanges)
    if (recording(change.change))
      return "--at with Check1 (data recording) cannot be used with --vary";
  return "";
}

// The sweep's part of the usage text.
std::string sweepUsageText() {
  return R"(
Sweeps:
  --vary NAME=VALUES   one run for every value of a field, NAME as for --set.
                       VALUES is FROM:TO:STEP (inclusive; STEP not 0 and
                       towards TO, may be negative; decimals only for
                       speedDisplayMax and timeDisplayMax) or a comma-separated
                       list of texts used exactly as typed. Several --vary
                       make every combination, the first one outermost. Each
                       run starts as the single run with the same options,
                       then gets its texts as --set would set them
  --jobs N             N runs at once (default: one per core)
  With --vary, the output is a CSV header line and one row per run in order:
  the varied texts, outcome, error, ticks, seconds, pulses, the readouts,
  peak_pps, accel_end_s, decel_start_s (--json: one object per line, the
  single run's with "vary" and the same figures). A failed run is a row, not
  the end of the sweep. --plot draws every run's curve in one picture with a
  legend. --record, --log, --points and --trace cannot be used with --vary.
  Ctrl-C
  stops the runs in progress and prints every row before the first
  unfinished one.
  Example, the move time and the peak speed against jerkAccel:
    tarvex-batch --vary jerkAccel=0:1200:200 | cut -d, -f1,5,15
)";
}

}  // namespace

// What is wrong with a command line that solves, or nothing: --solve takes
// only --json and --save, and --save needs --solve.
static std::string solveUsageError(const BatchOptions& options,
                                   const std::set<std::string>& given) {
  if (!options.solve) return given.count("--save") ? "--save needs --solve" : "";
  for (const std::string& option : given)
    if (option != "--solve" && option != "--save" && option != "--json")
      return option + " cannot be used with --solve (it takes only --json and --save)";
  if (options.parameterFile) return "--solve starts from no parameter file";
  return "";
}

static std::string solveUsageText() {
  return R"(
Design from a target move:
  --solve TARGETS      the parameters for a move. TARGETS is a comma-separated
                       list of NAME=VALUE: pulses (required), peak (required,
                       pulses per second to cruise at), accel_time (required,
                       seconds until the run leaves the acceleration states),
                       decel_time (seconds from the start of the deceleration
                       to the end of the run; default accel_time), start
                       (initial speed in pulses per second; default: a low one
                       the design chooses), s_curve (0 linear; above 0 to 1
                       S-curve, the share of the ramp in which the
                       acceleration changes; default 1), range (fixes the
                       range). Every candidate is run by the engine; the
                       proposal meets peak within 0.5 %, the times within 5 %,
                       start within 2 % and the pulses exactly, or the exit
                       status is 1 with the target that fails and what is
                       reachable instead. --json prints one object: "set" (the
                       texts for --set), "flags", "achieved" (the engine's run,
                       its figures in full), "targets"
  --save FILE.prm      with --solve: save the proposal as a parameter file, the
                       display scales rounded up to 1-2-5 steps to fit the move
  Example, 20,000 pulses cruising at 30,000 pps, 0.17 s to reach it:
    tarvex-batch --solve pulses=20000,peak=30000,accel_time=0.17,start=100
)";
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
  ParseResult result;
  BatchOptions& o = result.options;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  std::vector<std::string_view> given;  // the options that may come once
  std::set<std::string> seen;           // every option given
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') {
      // FILE.prm: first, or after "--".
      if (o.parameterFile || (i != 0 && !optionsEnded))
        return fail("unexpected argument '" + arg + "' (FILE.prm must come first or after --)");
      o.parameterFile = pathFromText(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionRule* rule = ruleFor(arg);
    if (rule == nullptr) return fail("unknown option '" + arg + "'");
    seen.insert(std::string(rule->name));
    if (!rule->repeatable) {
      if (std::find(given.begin(), given.end(), rule->name) != given.end())
        return fail(arg + " is given twice");
      given.push_back(rule->name);
    }
    const std::string* value = nullptr;
    if (rule->takes != Takes::Nothing && i + 1 < args.size()) value = &args[++i];
    if (rule->takes != Takes::Nothing)
      if (std::string problem = valueProblem(*rule, value); !problem.empty()) return fail(problem);
    if (std::string problem = rule->apply(o, value ? *value : std::string()); !problem.empty())
      return fail(problem);
  }
  if (const std::string error = sweepUsageError(o, seen); !error.empty()) return fail(error);
  if (const std::string error = solveUsageError(o, seen); !error.empty()) return fail(error);
  return result;
}

// "Options that come once: --stop-at, ...", every option a second time
// refuses, in lines of at most 78 characters.
std::string onceOptionsText() {
  std::vector<std::string> words{"Options", "that", "come", "once:"};
  for (const OptionRule& rule : kOptionRules)
    if (!rule.repeatable) words.push_back(std::string(rule.name) + ",");
  words.back().back() = '.';
  std::string text, line;
  for (const std::string& word : words) {
    if (!line.empty() && line.size() + 1 + word.size() > 78) {
      text += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return text + line;
}

std::string usageText() {
  return R"(Usage: tarvex-batch [FILE.prm] [options]
       tarvex-batch [options] -- FILE.prm
       tarvex-batch [FILE.prm] [options] --vary NAME=VALUES ... [--jobs N]
       tarvex-batch --solve TARGETS [--json] [--save FILE.prm]

Runs one simulation of the acceleration/deceleration generator, tick by tick
(8,000,000 ticks per simulated second), without a window. The run starts from
a freshly opened window: the start-up parameters, S-curve, automatic and
symmetric deceleration, recording off. FILE.prm, if given, is loaded as the
Load button would; the options below are then applied in the order given.
)" + onceOptionsText() +
         R"(

Parameters:
  --set NAME=TEXT      set a parameter field's text exactly as typed. NAME is
                       range acceleration deceleration jerkAccel jerkDecel
                       initialSpeed driveSpeed outputPulses accelOffset
                       manualDecelPoint speedDisplayMax timeDisplayMax,
                       or a control name Text1 ... Text20
  --box CheckN=V       set check box N (1-7) to V (0 clear, 1 ticked, 2 grayed);
                       the pair of a paired box follows as in the window
  --linear             --box Check5=1 (linear instead of S-curve)
  --manual             --box Check3=1 (manual deceleration at manualDecelPoint)
  --asymmetric         --box Check6=1 (deceleration follows deceleration/jerkDecel)
  --record             --box Check1=1 (data recording)

During the run:
  --at PULSE:CheckN=V  set a box during the yield of output pulse PULSE
                       (repeatable)
  --stop-at PULSE      press Stop during the yield of output pulse PULSE
                       (after any --at changes for that pulse)
  Ctrl-C               acts as the Stop button: the run stops at its next
                       yield, the log complete and the report printed; so do
                       SIGTERM and SIGHUP (on Windows Ctrl-Break and closing
                       the console). A second one ends the program at once.

Output:
  --log PATH           the data log (default DATA_LOG.txt in the working
                       directory); it is emptied at every run and kept from
                       other runs while written: a second run on it fails
  --plot PATH          write the speed graph as drawn, .svg or .png
  --points PATH        every plotted point, the starting point first, "x y"
                       per line, in twips of the graph area; at most
                       10,000,000 points
  --trace PATH.csv     every plotted point, the starting point first, as CSV:
                       tick,time_s,pulses,speed_counter,speed_pps,
                       accel_counter,state
  Output files are created before the run. Two outputs, or an output and
  FILE.prm, that are one file (also through links) are refused.
  --json               print the outcome as one JSON object
  --tick-by-tick       compute every tick, without jumping over quiet ticks
  --help               this text
  --version            the program's version
)" + sweepUsageText() +
         solveUsageText() +
         R"(
Exit status: 0 completed or stopped; 1 the run failed with a runtime error,
or an output (log, points, plot, trace, this report) could not be written
completely (the message on stderr); 2 bad usage, outputs that are one file, or
a parameter file that cannot be loaded. A sweep: 0 when every run completed or
stopped, 1 when any run failed. --solve: 0 when the proposal meets the
targets, 1 when they cannot be met (or --save could not write), 2 bad usage,
3 when Ctrl-C, SIGTERM or SIGHUP stopped the design (nothing is written).
)";
}

}  // namespace tarvex::batch
