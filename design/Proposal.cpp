#include "Proposal.h"

#include <cmath>

#include "FormModel.h"
#include "FormRun.h"
#include "StartupValues.h"

namespace tarvex::design {

RunParameters startupTexts() {
  FormModel form;
  applyStartupValues(form);
  return readRunParameters(form);
}

std::vector<std::string> batchFlags(const Proposal& proposal) {
  std::vector<std::string> flags;
  if (proposal.linear) flags.emplace_back("--linear");
  if (proposal.asymmetric) flags.emplace_back("--asymmetric");
  return flags;
}

void applyProposal(const Proposal& proposal, FormControls& form) {
  for (const ParameterField& field : kParameterFields)
    form.setText(field.control, proposal.params[field.parameter]);
  const auto tick = [&](RunOption option, bool on) {
    form.setOptionValue(on ? pairOf(option).on : pairOf(option).off, kChecked);
  };
  tick(RunOption::AutomaticDeceleration, true);
  tick(RunOption::SCurve, !proposal.linear);
  tick(RunOption::Symmetric, !proposal.asymmetric);
}

double roundUpToOneTwoFive(double value) {
  // Powers of ten below 1 divide, so that 0.2 is the double nearest 0.2.
  for (int exponent = static_cast<int>(std::floor(std::log10(value)));; ++exponent) {
    const double decade = std::pow(10.0, std::abs(exponent));
    for (const double step : {1.0, 2.0, 5.0}) {
      const double candidate = exponent >= 0 ? step * decade : step / decade;
      if (candidate >= value) return candidate;
    }
  }
}

}  // namespace tarvex::design
