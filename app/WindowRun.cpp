#include "WindowRun.h"

#include <QLineEdit>

#include "DataLog.h"
#include "Form1.h"
#include "FormRun.h"
#include "PictureBox.h"
#include "RunFailureMessage.h"
#include "RunSession.h"
#include "WindowReadouts.h"

namespace tarvex::window {
namespace {

// The parameter texts as typed, in UTF-8 for the messages.
RunParameters typedTexts(const RunParameters& params) {
  RunParameters typed;
  for (std::size_t i = 0; i < params.texts.size(); ++i)
    typed.texts[i] = QString::fromLocal8Bit(params.texts[i]).toStdString();
  return typed;
}

}  // namespace

std::shared_ptr<RecordedRun> recordRunStart(const Form1& form) {
  auto record = std::make_shared<RecordedRun>();
  record->recipe.params = readRunParameters(form);
  record->recipe.sCurve = form.optionValue(pairOf(RunOption::SCurve).on);
  record->recipe.startOptions = liveOptionValues(form);
  record->typed = typedTexts(record->recipe.params);
  return record;
}

void makeRun(Form1& form, PictureBox& graph, RecordedRun& record) {
  WindowReadouts readouts(form);
  RunSession session(form, readouts);
  session.drawOn(graph).traceTo(&record.trace).logTo(DataLog::kDefaultPath);
  record.result = session.run(record.recipe.params);
  readouts.showChangedValues();

  const RunOutcome& outcome = record.result.outcome;
  record.recipe.changes = readouts.optionChanges();
  if (outcome.end == RunEnd::Stopped) {
    record.recipe.stopTick = outcome.ticks;
    record.recipe.stopPulses = outcome.pulses;
  }
  for (const ReadoutControl& control : kReadoutControls)
    record.readouts[static_cast<std::size_t>(control.readout)] =
        control.box ? form.textBox(*control.box)->text()
                    : (form.indicatorOn() ? QStringLiteral("1") : QStringLiteral("0"));
  if (outcome.failed()) record.failureMessage = runFailureMessage(outcome, record.typed);
}

}  // namespace tarvex::window
