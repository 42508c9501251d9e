#include "RunFailureMessage.h"

#include "FailureText.h"
#include "FormLayout.h"
#include "QtText.h"

namespace tarvex::window {

QString runFailureMessage(const RunOutcome& outcome, const RunParameters& typed) {
  return fromUtf8(describeFailureJapanese(outcome, typed));
}

QString runFailureTitle() {
  return fromUtf8(kForm1Caption);
}

}  // namespace tarvex::window
