#include "RunError.h"

namespace tarvex {

std::string_view errorName(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return "overflow";
    case RunError::TypeMismatch:
      return "type-mismatch";
    case RunError::DivisionByZero:
      return "division-by-zero";
    case RunError::File:
      return "file";
  }
  return "unknown";
}

std::string_view errorDescription(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return "overflow";
    case RunError::TypeMismatch:
      return "type mismatch";
    case RunError::DivisionByZero:
      return "division by zero";
    case RunError::File:
      return "file error";
  }
  return "unknown error";
}

void raiseRunError(RunError error, std::string where, std::optional<ParamField> field) {
  throw RunErrorException{RunFailure{error, field, std::move(where)}};
}

}  // namespace tarvex
