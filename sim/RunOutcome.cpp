#include "RunOutcome.h"

namespace tarvex {

const char* endName(RunEnd end) {
  switch (end) {
    case RunEnd::Completed:
      return "completed";
    case RunEnd::Stopped:
      return "stopped";
    case RunEnd::Failed:
      return "failed";
  }
  return "unknown";
}

std::string describeFailure(const RunOutcome& outcome) {
  if (!outcome.failure) return {};
  const RunFailure& f = outcome.failure.value();
  std::string text(errorDescription(f.error));
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  if (f.field) {
    const auto& info = paramInfo(*f.field);
    const int control = static_cast<int>(info.control);
    text += " in the field " + std::string(info.caption) + " (Text" + std::to_string(control) +
            ", " + std::string(info.name) + ")";
    if (f.error == RunError::TypeMismatch) text += ": the text is not a number";
    if (f.error == RunError::Overflow && f.where.rfind("conversion", 0) == 0)
      text += ": the number is out of range";
    else if (f.error != RunError::TypeMismatch)
      text += " at " + f.where;
  } else if (f.error == RunError::File) {
    text += ": " + f.where;
  } else {
    text += " at " + f.where + " after " + std::to_string(outcome.ticks) + " ticks";
  }
  return text;
}

}  // namespace tarvex
