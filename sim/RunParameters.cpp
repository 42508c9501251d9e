#include "RunParameters.h"

namespace tarvex {

RunParameters RunParameters::fromForm(const FormControls& form) {
  RunParameters params;
  for (const auto& info : kParamFields) params[info.field] = form.text(info.control);
  return params;
}

}  // namespace tarvex
