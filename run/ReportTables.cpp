#include "ReportTables.h"

#include <optional>

#include "Controls.h"
#include "FieldMeaning.h"
#include "Units.h"

namespace tarvex::report {
namespace {

using meaning::Figure;

std::string outcomeText(const ReportedRun& run) {
  switch (run.outcome.end) {
    case RunEnd::Completed:
      return "完了";
    case RunEnd::Stopped:
      return "停止（出力パルス " + std::to_string(run.outcome.pulses) + " で停止）";
    case RunEnd::Failed:
      break;
  }
  // The message on one line: its paragraphs and lines joined by blanks.
  std::string message;
  const std::string& shown = run.failureMessage;
  for (std::size_t at = 0; at < shown.size(); ++at) {
    if (shown[at] != '\n') {
      message += shown[at];
    } else {
      message += ' ';
      if (at + 1 < shown.size() && shown[at + 1] == '\n') ++at;
    }
  }
  return "エラー: " + message;
}

bool deceleratingState(AccelState state) {
  return state >= AccelState::DecelRising && state <= AccelState::DecelFalling;
}

// The points of the run's trace in its acceleration (or deceleration)
// states.
template <class Visit>
void forRampPoints(const RunTrace& trace, bool deceleration, Visit visit) {
  for (const TracePoint& p : trace.points())
    if (deceleration ? deceleratingState(p.state) : isAccelerationState(p.state)) visit(p);
}

// The highest acceleration counter the run reached in its acceleration (or
// deceleration), in pulses per second per second.
std::optional<Figure> peakRate(const ReportedRun& run, bool deceleration) {
  std::optional<std::int16_t> peak;
  forRampPoints(run.trace, deceleration, [&](const TracePoint& p) {
    if (!peak || p.accelCounter > *peak) peak = p.accelCounter;
  });
  if (!peak || run.range <= 0) return std::nullopt;
  return meaning::figureOf(units::pulsesPerSecondSquared(*peak, run.range), "pps/s");
}

// The jerk of an S-curve ramp as the run made it: how fast the acceleration
// counter rose from the first to the last point of the rising state, in
// pulses per second per second per second.
std::optional<Figure> jerkOf(const ReportedRun& run, bool deceleration) {
  const AccelState rising = deceleration ? AccelState::DecelRising : AccelState::AccelRising;
  const TracePoint* first = nullptr;
  const TracePoint* last = nullptr;
  for (const TracePoint& p : run.trace.points())
    if (p.state == rising) {
      if (!first) first = &p;
      last = &p;
    }
  if (!first || last->tick == first->tick || run.range <= 0) return std::nullopt;
  const double perSecond =
      units::pulsesPerSecondSquared(last->accelCounter - first->accelCounter, run.range);
  return meaning::figureOf(perSecond / units::secondsOfTicks(last->tick - first->tick), "pps/s²");
}

}  // namespace

std::vector<Row> summaryRows(const ReportedRun& run) {
  const auto shown = [&](Readout r) { return run.readouts[static_cast<std::size_t>(r)]; };
  return {
      {"結果", outcomeText(run)},
      {"移動時間 [s]", units::summarySeconds(run.outcome.ticks)},
      {"ティック数", std::to_string(run.outcome.ticks)},
      {"出力パルス", std::to_string(run.outcome.pulses)},
      {"ピーク速度（速度カウンタ）", std::to_string(run.peakSpeed)},
      {"ピーク速度 [pps]", units::summaryPulsesPerSecond(run.peakSpeed, run.range)},
      {"加速パルス", shown(Readout::AccelPulses)},
      {"引きずりパルス数", shown(Readout::DragPulses)},
      {"三角防止作動", shown(Readout::TriangleIndicator) == "1" ? "あり" : "なし"},
  };
}

const Row& registerHeader() {
  static const Row header{"レジスタ", "設定値", "物理量", "単位", "実測", "単位"};
  return header;
}

std::vector<Row> registerRows(const ReportedRun& run) {
  std::vector<Row> rows;
  for (const Parameter p :
       {Parameter::Range, Parameter::InitialSpeed, Parameter::DriveSpeed, Parameter::Acceleration,
        Parameter::Deceleration, Parameter::JerkAccel, Parameter::JerkDecel}) {
    const bool jerk = p == Parameter::JerkAccel || p == Parameter::JerkDecel;
    const bool ofDeceleration = p == Parameter::Deceleration || p == Parameter::JerkDecel;
    if ((jerk && !run.sCurve) || (ofDeceleration && run.symmetric)) continue;
    Row row{meaning::captionOf(p), meaning::trimmed(run.params[p])};
    const std::optional<Figure> physical = meaning::physicalFigure(p, run.params);
    row.push_back(physical ? physical->number : std::string());
    row.push_back(physical ? physical->unit : std::string());
    std::optional<Figure> achieved;
    if (p == Parameter::Acceleration || p == Parameter::Deceleration)
      achieved = peakRate(run, ofDeceleration);
    if (jerk) achieved = jerkOf(run, ofDeceleration);
    row.push_back(achieved ? achieved->number : std::string());
    row.push_back(achieved ? achieved->unit : std::string());
    rows.push_back(std::move(row));
  }
  return rows;
}

const Row& phaseHeader() {
  static const Row header{"ステート",   "ティック",     "時間 [s]",
                          "出力パルス", "速度カウンタ", "速度 [pps]"};
  return header;
}

Row phaseRow(const PhaseEntry& p, std::int32_t range) {
  return {
      std::to_string(stateNumber(p.state)), std::to_string(p.tick),
      units::summarySeconds(p.tick),        std::to_string(p.pulses),
      std::to_string(p.speedCounter),       units::summaryPulsesPerSecond(p.speedCounter, range)};
}

namespace {

std::string line(const Row& row) {
  std::string text;
  for (const std::string& cell : row) text += (&cell == &row.front() ? "" : "\t") + cell;
  return text + '\n';
}

}  // namespace

std::string reportText(const ReportedRun& run) {
  std::string text;
  for (const Row& row : summaryRows(run)) text += line(row);
  text += '\n' + line(registerHeader());
  for (const Row& row : registerRows(run)) text += line(row);
  text += '\n' + line(phaseHeader());
  for (const PhaseEntry& p : run.phases) text += line(phaseRow(p, run.range));
  return text;
}

}  // namespace tarvex::report
