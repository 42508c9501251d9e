#include "RunFailureMessage.h"

#include <QMessageBox>

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

namespace tarvex::window {

void showRunFailureMessage(QWidget* parent, const RunOutcome& outcome, const QString& message) {
  QMessageBox box(QMessageBox::Critical, runFailureTitle(), message, QMessageBox::Ok, parent);
  box.setInformativeText(QStringLiteral("<small>%1</small>")
                             .arg(fromUtf8(failureDetailJapanese(outcome)).toHtmlEscaped()));
  box.exec();
}

}  // namespace tarvex::window
