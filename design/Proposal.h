// What a design proposes: a text for every parameter field and the option
// boxes a run needs, exactly as the user would type and tick them.
#pragma once

#include <string>
#include <vector>

#include "FormControls.h"
#include "Parameters.h"

namespace tarvex::design {

struct Proposal {
  // All twelve texts: the ten the run converts, and the two graph scales,
  // rounded up to 1-2-5 steps so that the whole move fits the graph.
  RunParameters params;
  bool linear = false;      // linear drive instead of S-curve
  bool asymmetric = false;  // deceleration after its own rate and jerk
  // Deceleration is always automatic.
};

// The ten parameters a run converts, in the order --set names them.
inline constexpr Parameter kRunParameters[] = {
    Parameter::Range,           Parameter::Acceleration, Parameter::Deceleration,
    Parameter::JerkAccel,       Parameter::JerkDecel,    Parameter::InitialSpeed,
    Parameter::DriveSpeed,      Parameter::OutputPulses, Parameter::AccelOffset,
    Parameter::ManualDecelPoint};

// The texts of a freshly opened window's fields.
RunParameters startupTexts();

// The batch runner's options for the proposal's boxes: "--linear",
// "--asymmetric".
std::vector<std::string> batchFlags(const Proposal& proposal);

// Writes the proposal into the fields and ticks its boxes (automatic
// deceleration, S-curve or linear, symmetric or asymmetric), as the user
// would: each pair's partner follows. Data recording is left as it is.
void applyProposal(const Proposal& proposal, FormControls& form);

// The smallest of 1, 2, 5, 10, 20, 50, ... times a power of ten that is
// not below `value` (above 0).
double roundUpToOneTwoFive(double value);

}  // namespace tarvex::design
