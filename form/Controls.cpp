#include "Controls.h"

namespace tarvex {

std::string controlName(TextBox box) {
  return "Text" + std::to_string(static_cast<int>(box));
}

std::string controlName(CheckBox box) {
  return "Check" + std::to_string(numberOf(box));
}

std::optional<Parameter> parameterIn(TextBox box) {
  for (const ParameterField& field : kParameterFields)
    if (field.control == box) return field.parameter;
  return std::nullopt;
}

}  // namespace tarvex
