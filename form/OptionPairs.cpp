#include "OptionPairs.h"

namespace tarvex {

void runPairHandler(OptionBoxes& boxes, CheckBox changed) {
  const auto partner = partnerOf(changed);
  if (!partner) return;
  if (boxes.optionValue(changed) == kChecked) boxes.setOptionValue(*partner, kUnchecked);
  if (boxes.optionValue(changed) == kUnchecked) boxes.setOptionValue(*partner, kChecked);
}

}  // namespace tarvex
