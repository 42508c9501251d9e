#include "BatchOptions.h"

#include <charconv>
#include <filesystem>
#include <set>

#include "GraphExport.h"
#include "Sweep.h"

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

// "CheckN=V" with N 1..7 and V 0..2.
std::optional<SetBox> parseBoxSetting(std::string_view text) {
  const auto eq = text.find('=');
  if (eq == std::string_view::npos || text.substr(0, 5) != "Check") return std::nullopt;
  const auto n = parseWhole(text.substr(5, eq - 5));
  const auto v = parseWhole(text.substr(eq + 1));
  if (!n || !v || *n < 1 || *n > kCheckBoxCount || *v < 0 || *v > 2) return std::nullopt;
  return SetBox{checkBoxNumber(static_cast<int>(*n)), static_cast<std::int16_t>(*v)};
}

}  // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args) {
  ParseResult result;
  BatchOptions& o = result.options;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  std::set<std::string> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    given.insert(arg);
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--json") {
      o.json = true;
    } else if (arg == "--tick-by-tick") {
      o.tickByTick = true;
    } else if (arg == "--linear") {
      o.setup.emplace_back(SetBox{CheckBox::Check5, kChecked});
    } else if (arg == "--manual") {
      o.setup.emplace_back(SetBox{CheckBox::Check3, kChecked});
    } else if (arg == "--asymmetric") {
      o.setup.emplace_back(SetBox{CheckBox::Check6, kChecked});
    } else if (arg == "--record") {
      o.setup.emplace_back(SetBox{CheckBox::Check1, kChecked});
    } else if (arg == "--set") {
      if (!value(v)) return fail("--set needs NAME=TEXT");
      const auto eq = v.find('=');
      const auto box = eq == std::string::npos ? std::nullopt : fieldByName(v.substr(0, eq));
      if (!box) return fail("--set: unknown field in '" + v + "'");
      o.setup.emplace_back(SetText{*box, v.substr(eq + 1)});
    } else if (arg == "--box") {
      if (!value(v)) return fail("--box needs CheckN=V");
      const auto setting = parseBoxSetting(v);
      if (!setting)
        return fail("--box: expected CheckN=V with N 1 to 7 and V 0, 1 or 2, got '" + v + "'");
      o.setup.emplace_back(*setting);
    } else if (arg == "--at") {
      if (!value(v)) return fail("--at needs PULSE:CheckN=V");
      const auto colon = v.find(':');
      const auto pulse = colon == std::string::npos ? std::nullopt : parseWhole(v.substr(0, colon));
      const auto setting =
          colon == std::string::npos ? std::nullopt : parseBoxSetting(v.substr(colon + 1));
      if (!pulse || !setting || *pulse < 1)
        return fail("--at: expected PULSE:CheckN=V with PULSE 1 or more, got '" + v + "'");
      o.liveChanges.push_back({*pulse, *setting});
    } else if (arg == "--stop-at") {
      if (!value(v)) return fail("--stop-at needs PULSE");
      const auto pulse = parseWhole(v);
      if (!pulse || *pulse < 1) return fail("--stop-at: expected a pulse number, got '" + v + "'");
      o.stopAtPulse = *pulse;
    } else if (arg == "--log") {
      if (!value(v) || v.empty()) return fail("--log needs PATH");
      o.logPath = v;
    } else if (arg == "--plot") {
      if (!value(v)) return fail("--plot needs PATH");
      const std::string format = plotFormat(std::filesystem::path(v));
      if (format != ".svg" && format != ".png")
        return fail("--plot: the file must end in .svg or .png");
      o.plotPath = v;
    } else if (arg == "--points") {
      if (!value(v)) return fail("--points needs PATH");
      o.pointsPath = v;
    } else if (arg == "--vary") {
      if (!value(v)) return fail("--vary needs NAME=VALUES");
      const auto eq = v.find('=');
      const auto box = eq == std::string::npos ? std::nullopt : fieldByName(v.substr(0, eq));
      if (!box) return fail("--vary: unknown field in '" + v + "'");
      SweepTexts values = sweepTexts(std::string_view(v).substr(eq + 1), *box);
      if (!values.error.empty()) return fail("--vary " + v + ": " + values.error);
      o.variations.push_back({v.substr(0, eq), *box, std::move(values.texts)});
    } else if (arg == "--jobs") {
      const auto jobs = value(v) ? parseWhole(v) : std::nullopt;
      if (!jobs || *jobs < 1 || *jobs > 64) return fail("--jobs: expected 1 to 64 runs at once");
      o.jobs = static_cast<int>(*jobs);
    } else if (arg == "--trace") {
      if (!value(v) || v.empty()) return fail("--trace needs PATH.csv");
      o.tracePath = v;
    } else if (!arg.empty() && arg[0] == '-') {
      return fail("unknown option '" + arg + "'");
    } else if (!o.parameterFile && i == 0) {
      o.parameterFile = arg;
    } else {
      return fail("unexpected argument '" + arg + "' (FILE.prm must come first)");
    }
  }
  if (const std::string error = sweepUsageError(o, given); !error.empty()) return fail(error);
  return result;
}

std::string usageText() {
  return R"(Usage: tarvex-batch [FILE.prm] [options]
       tarvex-batch [FILE.prm] [options] --vary NAME=VALUES ... [--jobs N]

Runs one simulation of the acceleration/deceleration generator, tick by tick
(8,000,000 ticks per simulated second), without a window. The run starts from
a freshly opened window: the start-up parameters, S-curve, automatic and
symmetric deceleration, recording off. FILE.prm, if given, is loaded as the
Load button would; the options below are then applied in the order given.

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
  Ctrl-C               acts as the Stop button: the run stops at its next yield

Output:
  --log PATH           the data log (default DATA_LOG.txt in the working
                       directory); it is emptied at every run
  --plot PATH          write the speed graph as drawn, .svg or .png
  --points PATH        every plotted point, the starting point first, "x y"
                       per line, in twips of the graph area
  --trace PATH.csv     every plotted point, the starting point first, as CSV:
                       tick,time_s,pulses,speed_counter,speed_pps,
                       accel_counter,state
  --json               print the outcome as one JSON object
  --tick-by-tick       compute every tick, without jumping over quiet ticks
  --help               this text
)" + sweepUsageText() +
         R"(
Exit status: 0 completed or stopped; 1 the run failed with a runtime error
(the message on stderr); 2 bad usage or a parameter file that cannot be loaded.
A sweep: 0 when every run completed or stopped, 1 when any run failed.
)";
}

}  // namespace tarvex::batch
