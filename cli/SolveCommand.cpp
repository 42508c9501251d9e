#include "SolveCommand.h"

#include <cmath>

#include "Console.h"
#include "Conversions.h"
#include "FormModel.h"
#include "JsonWriter.h"
#include "OutputFile.h"
#include "ParameterFile.h"
#include "PrintableText.h"
#include "StartupValues.h"
#include "StopRequest.h"
#include "Units.h"

namespace tarvex::batch {
namespace {

using design::Deviation;
using design::limitText;
using design::numberText;
using design::Shortfall;
using design::Target;
using design::targetName;

constexpr int kExitMet = 0;
constexpr int kExitNotMet = 1;
constexpr int kExitStopped = 3;

std::string unitOf(Target target) {
  switch (target) {
    case Target::Peak:
    case Target::Start:
      return " pps";
    case Target::AccelTime:
    case Target::DecelTime:
      return " s";
    case Target::Pulses:
      return " pulses";
    case Target::SCurve:
    case Target::Range:
      break;
  }
  return "";
}

// "peak: 30000 pps"
std::string stated(const design::MoveTargets& t, Target target) {
  return std::string(targetName(target)) + ": " + numberText(design::targetValue(t, target)) +
         unitOf(target);
}

std::string achievedText(const Deviation& d) {
  if (std::isnan(d.achieved)) return "-";
  if (d.target == Target::Pulses) return std::to_string(std::llround(d.achieved));
  return d.target == Target::Peak || d.target == Target::Start
             ? units::fixedDecimals(d.achieved, 3)
             : units::fixedDecimals(d.achieved, 9);
}

std::string deviationText(const Deviation& d) {
  if (std::isnan(d.achieved)) return "-";
  const double percent = d.percent();
  return (percent >= 0.0 ? "+" : "") + units::fixedDecimals(percent, 2) + " %" +
         (d.within ? "" : "  off target");
}

}  // namespace

std::string solveText(const design::Design& d) {
  const design::MoveTargets& t = d.targets;
  std::string text = "Move: " + std::to_string(t.pulses) + " pulses, " +
                     (t.linear() ? "linear" : "S-curve " + numberText(t.sCurve)) +
                     (d.shareRaised ? " (the smallest share)" : "") +
                     (d.startChosen ? "; start chosen" : "") + "\n\n";
  text += "  target          wanted       achieved       deviation\n";
  for (const Deviation& dev : d.deviations)
    text +=
        "  " +
        padRight(std::string(targetName(dev.target)) + " [" + unitOf(dev.target).substr(1) + "]",
                 16) +
        padRight(numberText(dev.wanted), 13) + padRight(achievedText(dev), 15) +
        deviationText(dev) + "\n";
  text += "  " + padRight("pulses", 16) + padRight(std::to_string(t.pulses), 13) +
          padRight(std::to_string(d.achieved.pulses), 15) +
          (d.achieved.pulses == t.pulses ? "exact" : "off target") + "\n";
  text += "\nThe engine's run: " + units::tableSeconds(d.achieved.ticks) + " s, drag pulses " +
          std::to_string(d.achieved.dragPulses) + ", triangle prevention " +
          (d.achieved.triangle ? "on" : "off") + "\n\nProposal:\n  tarvex-batch";
  for (const Parameter p : design::kRunParameters)
    text += " --set " + std::string(parameterName(p)) + "=" + terminalText(d.proposal.params[p]);
  for (const std::string& flag : design::batchFlags(d.proposal)) text += " " + flag;
  text += "\n\n";
  for (const ParameterField& field : kParameterFields)
    text += "  " + padRight(std::string(parameterName(field.parameter)), 18) +
            terminalText(d.proposal.params[field.parameter]) + "\n";
  text += std::string("  S-curve ") + (d.proposal.linear ? "off (linear)" : "on") +
          ", automatic deceleration, " + (d.proposal.asymmetric ? "asymmetric" : "symmetric") +
          "\n";
  return text;
}

std::string solveJson(const design::Design& d) {
  const design::MoveTargets& t = d.targets;
  const RunFigures& f = d.achieved;
  JsonWriter json;
  json.beginObject().key("set").beginObject();
  for (const Parameter p : design::kRunParameters)
    json.key(parameterName(p)).string(d.proposal.params[p]);
  json.endObject().key("flags").beginArray();
  for (const std::string& flag : design::batchFlags(d.proposal)) json.string(flag);
  json.endArray();
  json.key("achieved").beginObject();
  json.key("peak_pps").number(f.range != 0 ? std::optional(f.peakPulsesPerSecond()) : std::nullopt);
  json.key("accel_end_s").number(f.accelEndSeconds());
  json.key("decel_start_s").number(f.decelStartSeconds());
  json.key("seconds").number(f.seconds());
  json.key("pulses").integer(f.pulses).key("triangle").boolean(f.triangle);
  json.key("drag_pulses").integer(f.dragPulses).endObject();
  json.key("targets").beginObject();
  json.key("pulses").integer(t.pulses).key("peak").number(t.peak);
  json.key("accel_time").number(t.accelTime).key("decel_time").number(t.decelTimeOrAccel());
  json.key("start").number(t.start.value_or(0.0)).key("s_curve").number(t.sCurve).key("range");
  if (t.range)
    json.integer(*t.range);
  else
    json.null();
  return json.endObject().endObject().line();
}

std::string unreachableText(const design::MoveTargets& t, const design::Unreachable& u) {
  // A chosen start is named with the figure the design chose.
  const bool startChosen = u.target == Target::Start && !t.start;
  const std::string what =
      startChosen ? "start (chosen: " +
                        (u.closest ? numberText(*u.closest->targets.start) + " pps" : "none") + ")"
                  : stated(t, u.target);
  const std::string unit = unitOf(u.target);
  // A reachable figure is given only where the design met it.
  const auto instead = [&](const std::string& bound) {
    if (u.reachable <= 0.0)
      return std::string(", and no figure for it that the design meets was found");
    return ": " + bound + " " + limitText(u.reachable, u.atLeast) + unit;
  };
  // Other targets that fail on their own as well, or that the closest
  // design met has too, and their figures.
  std::string also;
  for (const design::AlsoReachable& other : u.also)
    also += (also.empty() ? ", together with " : ", ") + std::string(targetName(other.target)) +
            ": " + (other.atLeast ? "at least " : "at most ") +
            numberText(design::reachableFigure(other)) + unitOf(other.target);
  if (u.closestMet)
    also += " (the closest design found that is met has these figures)";
  else if (!also.empty())
    also += u.also.size() == 1 ? " (which fails on its own as well)"
                               : " (which fail on their own as well)";
  const auto atMost = [&] { return instead("at most") + also; };
  const auto atLeast = [&] { return instead("at least") + also; };
  // The start a ramp's time is too short from: given, or chosen.
  const std::string from = u.start > 0.0 ? " from a start of " + numberText(u.start) + " pps" +
                                               (t.start ? "" : " (chosen)")
                                         : std::string();
  switch (u.why) {
    case Shortfall::PeakOutOfReach:
      return what + " is beyond the chip's speeds (" +
             (u.atLeast ? std::string("the slowest is two counts at the widest range")
                        : "the fastest is one pulse per tick, " +
                              numberText(static_cast<double>(units::kTicksPerSecond)) + " pps") +
             ")" + (u.atLeast ? atLeast() : atMost());
    case Shortfall::StartNotBelowPeak:
      return what + " is not below the peak of " + numberText(t.peak) + " pps" + atMost();
    case Shortfall::StartTooLow:
      return what + " is too low for a peak of " + numberText(t.peak) +
             " pps in these times (the run ends a start-speed period after its last pulse)" +
             atLeast();
    case Shortfall::TooShort:
      return what + " is too short for " + numberText(t.peak) + " pps" + from + " on this chip" +
             atLeast();
    case Shortfall::TooLong:
      return what + " is too long for the chip's counters" + atMost();
    case Shortfall::RunTooLong:
      if (u.target != Target::Pulses)
        return what + " is too long for " + numberText(t.peak) +
               " pps: no pulse count completes both ramps without triangle prevention within the "
               "longest run (" +
               units::tableSeconds(2147483647) + " s)" + atMost();
      return what + " outlast the longest run (" + units::tableSeconds(2147483647) + " s) at " +
             numberText(t.peak) + " pps" + atMost();
    case Shortfall::TooFewPulses: {
      std::string text = what + " are too few to reach " + numberText(t.peak) + " pps in " +
                         numberText(t.accelTime) + " s and come down in " +
                         numberText(t.decelTimeOrAccel()) + " s without triangle prevention";
      if (u.pulsesNeeded > 0)
        text += ": at least " + std::to_string(u.pulsesNeeded) + " pulses" + also;
      if (u.reachable > 0.0)
        text += "; in " + std::to_string(t.pulses) + " pulses a peak of " +
                limitText(u.reachable, false) + " pps is reachable" +
                (u.pulsesNeeded > 0 ? std::string() : also);
      return text;
    }
    case Shortfall::RangeTooSmall:
      return what + " is too small for these speeds" + atLeast();
    case Shortfall::RangeTooLarge:
      return what + " needs a speed counter above 32767 for " + numberText(t.peak) + " pps" +
             atMost();
    case Shortfall::OffTarget:
      if (!u.closest)
        return what + " is not met: no candidate run completed both ramps within the design's work";
      return what + " is not met within its tolerance: the closest run found reaches " +
             achievedText(Deviation{u.target, 0.0, u.reachable, false}) + unit;
  }
  return what;
}

int runSolve(const BatchOptions& options) {
  const design::MoveTargets& targets = *options.solve;
  const design::Solution solution = design::solve(targets, design::startupTexts(), &stopRequest());
  if (std::holds_alternative<design::Stopped>(solution)) {
    writeMessage("the design was stopped before it was done; nothing was proposed");
    return kExitStopped;
  }
  if (const auto* u = std::get_if<design::Unreachable>(&solution)) {
    // The closest run is printed where no target stands out as beyond the
    // chip: every candidate ran, and none met the tolerances.
    if (u->closest && u->why == Shortfall::OffTarget) {
      const std::string closest = options.json ? solveJson(*u->closest) : solveText(*u->closest);
      if (const std::string error = writeStandardOutput(closest); !error.empty())
        writeMessage("cannot write the closest run to standard output: " + error);
    }
    writeMessage(unreachableText(targets, *u));
    return kExitNotMet;
  }
  const auto& design = std::get<design::Design>(solution);
  int status = kExitMet;
  if (options.savePath) {
    FormModel form;
    applyStartupValues(form);
    design::applyProposal(design.proposal, form);
    if (const SaveResult saved = saveParameterFile(*options.savePath, form); !saved.ok()) {
      writeMessage(pathText(*options.savePath) + ": cannot save the proposal: " +
                   (saved.status == SaveStatus::NotRegularFile
                        ? "not a regular file (" + saved.fileKind + ")"
                        : saved.error.message()));
      status = kExitNotMet;
    }
  }
  if (const std::string error =
          writeStandardOutput(options.json ? solveJson(design) : solveText(design));
      !error.empty()) {
    writeMessage("cannot write the design to standard output: " + error);
    status = kExitNotMet;
  }
  return status;
}

}  // namespace tarvex::batch
