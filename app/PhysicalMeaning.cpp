#include "PhysicalMeaning.h"

#include <QLineEdit>

#include "FormRun.h"
#include "QtText.h"

namespace tarvex::window {
RunParameters utf8Parameters(const RunParameters& params) {
  RunParameters utf8 = params;
  for (const ParameterField& field : kParameterFields)
    utf8[field.parameter] = QString::fromLocal8Bit(params[field.parameter]).toStdString();
  return utf8;
}

QString parameterMeaning(Parameter parameter, const RunParameters& params) {
  return fromUtf8(meaning::parameterMeaning(parameter, utf8Parameters(params)));
}

QString physicalValue(Parameter parameter, const RunParameters& params) {
  return fromUtf8(meaning::physicalValue(parameter, utf8Parameters(params)));
}

QString readoutMeaning(Readout readout, std::int64_t value, std::int32_t range) {
  return fromUtf8(meaning::readoutMeaning(readout, value, range));
}

void explainParameterFields(FormControls& form,
                            const std::array<QLineEdit*, kTextBoxCount>& boxes) {
  const auto explain = [&form, boxes] {
    const RunParameters params = readRunParameters(form);
    for (const ParameterField& field : kParameterFields)
      boxes[indexOf(field.control)]->setToolTip(parameterMeaning(field.parameter, params));
  };
  for (const ParameterField& field : kParameterFields)
    QObject::connect(boxes[indexOf(field.control)], &QLineEdit::textChanged, explain);
  explain();
}

}  // namespace tarvex::window
