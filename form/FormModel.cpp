#include "FormModel.h"

#include "OptionPairs.h"

namespace tarvex {

FormModel::FormModel() {
  for (int n = 1; n <= kTextBoxCount; ++n) texts_[n - 1] = "Text" + std::to_string(n);
  for (TextBox readout : {TextBox::Text14, TextBox::Text15, TextBox::Text16, TextBox::Text17})
    texts_[indexOf(readout)] = "0";
  texts_[indexOf(TextBox::Text8)] = "三角防止作動：";
}

void FormModel::setOptionValue(CheckBox box, std::int16_t value) {
  auto& held = boxes_[indexOf(box)];
  if (held == value) return;
  held = value;
  runPairHandler(*this, box);
}

}  // namespace tarvex
