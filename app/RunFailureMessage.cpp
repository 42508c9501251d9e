#include "RunFailureMessage.h"

#include "FailureText.h"
#include "FormLayout.h"
#include "QtText.h"

namespace tarvex::window {

QString runFailureMessage(const RunOutcome& outcome) {
  return fromUtf8(describeFailureJapanese(outcome));
}

QString runFailureTitle() {
  return fromUtf8(kForm1Caption);
}

}  // namespace tarvex::window
