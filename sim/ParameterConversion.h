// A parameter text converted for the run: to a 16- or 32-bit integer or to a
// double. A text that is no number ends the run with the type-mismatch error,
// a value outside the width with the overflow error, both blaming the
// parameter.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "Conversions.h"
#include "Parameters.h"
#include "RunError.h"

namespace tarvex {

template <class T>
T convertParameter(std::string_view text, Parameter parameter) {
  Converted<T> converted;
  if constexpr (std::is_same_v<T, std::int16_t>)
    converted = textToInt16(text);
  else if constexpr (std::is_same_v<T, std::int32_t>)
    converted = textToInt32(text);
  else
    converted = textToDouble(text);
  if (converted.status == ConversionStatus::TypeMismatch)
    raiseRunError(RunError::TypeMismatch, Step::ConvertParameter, {parameter});
  if (converted.status == ConversionStatus::Overflow)
    raiseRunError(RunError::Overflow, Step::ConvertParameter, {parameter});
  return converted.value;
}

}  // namespace tarvex
