#include "FormRun.h"

namespace tarvex {

RunParameters readRunParameters(const FormControls& form) {
  RunParameters params;
  for (const ParameterField& field : kParameterFields)
    params[field.parameter] = form.text(field.control);
  return params;
}

}  // namespace tarvex
