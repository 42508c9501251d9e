#include "CandidateRuns.h"

#include <algorithm>

#include "Conversions.h"
#include "FormModel.h"
#include "RunSession.h"
#include "StartupValues.h"

namespace tarvex::design {
namespace {

// The engine's work in a run is the values it shows: every speed step and
// every step of the acceleration counter is one; the pulses and ticks between
// them it applies whole stretches at a time. A run is asked to yield every
// kPulsesBetweenChecks pulses (and the engine yields every 2^22 ticks by
// itself), where its work is charged and a spent budget or a stop ends it;
// kPulsesPerStep pulses cost one step.
constexpr std::int64_t kPulsesBetweenChecks = std::int64_t{1} << 16;
constexpr std::int64_t kPulsesPerStep = 1024;

// Readouts that charge each yield to the budget and end the run once it is
// spent (or, for the proposal's own run, once a stop is asked for);
// `endsEarly` ends it at its first yield after the acceleration.
class CandidateReadouts final : public LiveReadouts {
 public:
  enum class Ends { OnBudget, OnStopOnly };
  CandidateReadouts(Budget& budget, bool endsEarly, Ends ends = Ends::OnBudget)
      : budget_(budget), endsEarly_(endsEarly), onBudget_(ends == Ends::OnBudget) {}
  void clearStop() override {}
  void showReadout(Readout readout, std::int64_t value) override {
    if (readout == Readout::SpeedCounter) lastSpeed = value;
    ++shown_;
  }
  // A run that ends early yields at the first pulse of a new state too; a
  // run once the stop is asked for, at its next pulse.
  YieldRequest nextYield(const RunMoment& at) override {
    if (budget_.stopped()) return YieldRequest::everyPulse(at);
    return {at.pulses + kPulsesBetweenChecks, endsEarly_};
  }
  bool pulseYield(const RunMoment& at) override { return ends(at); }
  bool idleYield(const RunMoment& at) override { return ends(at); }
  // The run has ended: its work since the last yield is charged too (a
  // short run yields never).
  void ended(std::int64_t pulses) {
    budget_.chargeSteps(shown_ + (pulses - lastPulses_) / kPulsesPerStep);
    shown_ = 0;
    lastPulses_ = pulses;
  }
  std::int64_t lastSpeed = 0;  // where the run ended
  bool cut = false;            // the budget or a stop ended the run

 private:
  bool ends(const RunMoment& at) {
    budget_.chargeSteps(shown_ + (at.pulses - lastPulses_) / kPulsesPerStep);
    shown_ = 0;
    lastPulses_ = at.pulses;
    if (endsEarly_ && !isAccelerationState(at.state)) return true;
    cut = onBudget_ ? budget_.spent() : budget_.stopped();
    return cut;
  }
  Budget& budget_;
  bool endsEarly_;
  bool onBudget_;
  std::int64_t shown_ = 0;  // values shown since the last yield
  std::int64_t lastPulses_ = 0;
};

// The run of a proposal as the window would make it.
RunResult runProposal(const Proposal& proposal, LiveReadouts& readouts) {
  FormModel form;
  applyStartupValues(form);
  applyProposal(proposal, form);
  RunSession session(form, readouts);
  return session.run();
}

RunResult runCandidate(const Plan& plan, const Counts& c, std::int64_t pulses,
                       CandidateReadouts& readouts) {
  plan.budget->chargeRun();
  RunResult r = runProposal(proposalOf(plan, c, pulses), readouts);
  readouts.ended(r.outcome.pulses);
  return r;
}

}  // namespace

Proposal proposalOf(const Plan& plan, const Counts& c, std::int64_t pulses) {
  Proposal p;
  p.params = plan.base;
  p.linear = plan.targets.linear();
  p.asymmetric = plan.asymmetric;
  const auto set = [&p](Parameter parameter, std::int64_t value) {
    p.params[parameter] = intToText(value);
  };
  set(Parameter::Range, c.range);
  set(Parameter::Acceleration, c.accel);
  set(Parameter::Deceleration, c.decel);
  if (!p.linear) {
    set(Parameter::JerkAccel, c.jerkAccel);
    set(Parameter::JerkDecel, c.jerkDecel);
  }
  set(Parameter::InitialSpeed, c.initialSpeed);
  set(Parameter::DriveSpeed, c.driveSpeed);
  set(Parameter::OutputPulses, pulses);
  set(Parameter::AccelOffset, c.accelOffset);
  // Candidates plot a point only every 1.6e9 ticks: the graph's scales
  // change nothing else in a run.
  p.params[Parameter::TimeDisplayMax] = "2000000";
  return p;
}

RunFigures proposalRun(const Proposal& proposal, Budget& budget) {
  budget.chargeRun();
  CandidateReadouts readouts(budget, false, CandidateReadouts::Ends::OnStopOnly);
  const RunResult r = runProposal(proposal, readouts);
  readouts.ended(r.outcome.pulses);
  return figuresOf(r);
}

WholeRun wholeRun(const Plan& plan, const Counts& c, std::int64_t pulses) {
  CandidateReadouts readouts(
      *plan.budget, false,
      plan.cutOnBudget ? CandidateReadouts::Ends::OnBudget : CandidateReadouts::Ends::OnStopOnly);
  const RunResult r = runCandidate(plan, c, pulses, readouts);
  WholeRun run;
  run.figures = figuresOf(r);
  run.failed = r.outcome.failed() || readouts.cut;
  run.cutShort = readouts.cut;
  run.cameDown = readouts.lastSpeed == c.initialSpeed;
  run.trailingPulses = run.figures.dragPulses;
  for (const PhaseEntry& p : r.phases)
    if (p.state == AccelState::DecelDone) {
      run.cameDown = true;
      run.trailingPulses = std::max(run.trailingPulses, r.outcome.pulses - p.pulses);
    }
  // A run that came down and then outlasted the longest run trails every
  // pulse it had still to output as well: how far the deceleration started
  // too early, in pulses.
  if (run.cameDown && run.failed && !run.cutShort)
    run.trailingPulses += std::max<std::int64_t>(0, pulses - r.outcome.pulses);
  return run;
}

// The acceleration's course: when it ends and at which speed counter. It
// does not depend on the range: the widest one outputs the fewest pulses on
// the way. Nor on the symmetry, which changes only how the deceleration's
// pulses are estimated on the way: symmetric drive, whose estimate the
// engine applies whole stretches at a time, runs it (asymmetric drive
// converts its estimate every few pulses, each a step of the engine's).
std::optional<AccelFit> accelerationOf(const Plan& plan, const Counts& c) {
  Counts probe = c;
  probe.range = std::numeric_limits<std::int32_t>::max();
  Plan symmetric = plan;
  symmetric.asymmetric = false;
  CandidateReadouts untilAccelerationEnds(*plan.budget, true);
  const RunResult r = runCandidate(symmetric, probe, std::numeric_limits<std::int32_t>::max(),
                                   untilAccelerationEnds);
  const auto end = std::find_if(r.phases.begin(), r.phases.end(),
                                [](const PhaseEntry& p) { return !isAccelerationState(p.state); });
  if (r.outcome.failed() || untilAccelerationEnds.cut || end == r.phases.end()) return std::nullopt;
  AccelFit fit{c, end->tick, end->speedCounter};
  if (!plan.targets.linear())
    fit.triangleNeed = triangleNeed(r.phases, static_cast<std::size_t>(end - r.phases.begin()));
  return fit;
}

}  // namespace tarvex::design
