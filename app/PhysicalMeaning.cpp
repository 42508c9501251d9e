#include "PhysicalMeaning.h"

#include <cmath>
#include <optional>
#include <variant>

#include <QLineEdit>
#include <QLocale>
#include <QStringList>

#include "Conversions.h"
#include "EngineState.h"
#include "FailureText.h"
#include "FormRun.h"
#include "QtText.h"
#include "Units.h"

namespace tarvex::window {
namespace {

// The decimals that give a figure about four significant digits.
int decimalsOf(double value) {
  const double size = std::fabs(value);
  return size >= 1000.0 ? 0 : size >= 10.0 ? 1 : size >= 1.0 ? 2 : 4;
}

QString withoutTrailingZeros(QString text) {
  if (text.contains(QLatin1Char('.'))) {
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  }
  return text;
}

// A figure with its thousands grouped and about four significant digits.
QString amount(double value) {
  return withoutTrailingZeros(
      QLocale(QLocale::Japanese, QLocale::Japan).toString(value, 'f', decimalsOf(value)));
}

QString rangeNote(std::int32_t range) {
  return QStringLiteral("（レンジ %1）").arg(range);
}

QString captionOf(Parameter parameter) {
  QString caption = fromUtf8(fieldOf(parameter).caption);
  caption.chop(1);  // the colon
  return caption;
}

// A parameter as the run converts it, or why it has no physical sense.
template <class T>
using Read = std::variant<T, QString>;

const QString kNoRange = QStringLiteral("レンジが正の整数でないため、速度になりません。");

template <class T>
Read<T> read(Converted<T> value) {
  if (value.status == ConversionStatus::TypeMismatch) return QStringLiteral("数値ではありません。");
  if (value.status == ConversionStatus::Overflow)
    return QStringLiteral("この欄の整数の範囲を超えています。");
  return value.value;
}

Read<std::int32_t> readInt32(const RunParameters& params, Parameter parameter) {
  return read(textToInt32(params[parameter]));
}

// The range the fields hold, if it makes speeds.
std::optional<std::int32_t> usableRange(const RunParameters& params) {
  const Converted<std::int32_t> range = textToInt32(params[Parameter::Range]);
  if (!range.ok() || range.value <= 0) return std::nullopt;
  return range.value;
}

// The value in physical units, or why it has none; `withRange` tells
// whether the range went into it.
struct Physical {
  QString value;
  QString whyNot;  // empty when the value has a physical sense
  bool withRange = false;
};

Physical noSense(const QString& why) {
  return {QString(), why, false};
}

Physical physical(const QString& value, bool withRange = false) {
  return {value, QString(), withRange};
}

Physical rangePhysical(const RunParameters& params) {
  const auto range = readInt32(params, Parameter::Range);
  if (const auto* why = std::get_if<QString>(&range)) return noSense(*why);
  const std::int32_t r = std::get<std::int32_t>(range);
  if (r == 0) return noSense(QStringLiteral("レンジ 0 では速度になりません（0 で除算）。"));
  if (r < 0) return noSense(QStringLiteral("負のレンジでは速度が負になり、意味がありません。"));
  return physical(
      QStringLiteral("速度カウンタ 1 あたり %1 pps").arg(amount(units::pulsesPerSecond(1, r))));
}

Physical speedPhysical(Parameter parameter, const RunParameters& params) {
  const auto speed = read(textToInt16(params[parameter]));
  if (const auto* why = std::get_if<QString>(&speed)) return noSense(*why);
  const std::int16_t s = std::get<std::int16_t>(speed);
  if (s < 0) return noSense(QStringLiteral("負の速度には意味がありません（パルスが出ません）。"));
  if (s == 0) return noSense(QStringLiteral("0 pps：パルスが出ません。"));
  const auto range = usableRange(params);
  if (!range) return noSense(kNoRange);
  return physical(amount(units::pulsesPerSecond(s, *range)) + QStringLiteral(" pps"), true);
}

Physical ratePhysical(Parameter parameter, const RunParameters& params) {
  const bool accel = parameter == Parameter::Acceleration;
  const auto rate = readInt32(params, parameter);
  if (const auto* why = std::get_if<QString>(&rate)) return noSense(*why);
  const std::int32_t a = std::get<std::int32_t>(rate);
  if (a <= 0)
    return noSense(accel ? QStringLiteral("0 以下の加速度では速度が上がりません。")
                         : QStringLiteral("0 以下の減速度では速度が下がりません。"));
  if (a > kSpeedAccumulatorSpan)
    return noSense(QStringLiteral("%1 を超えると速度の変化が追いつかず、オーバーフローします。")
                       .arg(kSpeedAccumulatorSpan));
  const auto range = usableRange(params);
  if (!range) return noSense(kNoRange);
  return physical(amount(units::pulsesPerSecondSquared(a, *range)) + QStringLiteral(" pps/s"),
                  true);
}

Parameter rateOf(Parameter jerk) {
  return jerk == Parameter::JerkAccel ? Parameter::Acceleration : Parameter::Deceleration;
}

// The time the acceleration (or deceleration) needs to build up.
Physical jerkPhysical(Parameter parameter, const RunParameters& params) {
  const auto jerk = readInt32(params, parameter);
  if (const auto* why = std::get_if<QString>(&jerk)) return noSense(*why);
  const std::int32_t k = std::get<std::int32_t>(jerk);
  if (k < 0) return noSense(QStringLiteral("負の増加率には意味がありません。"));
  const Converted<std::int32_t> rate = textToInt32(params[rateOf(parameter)]);
  if (!rate.ok() || rate.value <= 0)
    return noSense(
        QStringLiteral("%1が正でないため、立ち上がりません。").arg(captionOf(rateOf(parameter))));
  return physical(QStringLiteral("%1 %2 まで %3 s で立ち上がり")
                      .arg(captionOf(rateOf(parameter)))
                      .arg(rate.value)
                      .arg(amount(units::buildUpSeconds(rate.value, k))));
}

Physical physicalOf(Parameter parameter, const RunParameters& params) {
  switch (parameter) {
    case Parameter::Range:
      return rangePhysical(params);
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
      return speedPhysical(parameter, params);
    case Parameter::Acceleration:
    case Parameter::Deceleration:
      return ratePhysical(parameter, params);
    case Parameter::JerkAccel:
    case Parameter::JerkDecel:
      return jerkPhysical(parameter, params);
    default:
      return physical(QString());
  }
}

// The further lines of a jerk field's tooltip: the period of one step and
// the jerk in pulses per second cubed.
QStringList jerkDetails(Parameter parameter, const RunParameters& params) {
  const Converted<std::int32_t> jerk = textToInt32(params[parameter]);
  if (!jerk.ok() || jerk.value < 0) return {};
  const std::int64_t ticks = units::ticksPerAccelStep(jerk.value);
  QStringList lines{QStringLiteral("%1が 1 増えるごとに %2 ティック（%3 ms）")
                        .arg(captionOf(rateOf(parameter)))
                        .arg(ticks)
                        .arg(amount(units::secondsOfTicks(ticks) * 1000.0))};
  if (const auto range = usableRange(params))
    lines << QStringLiteral("加加速度 %1 pps/s²")
                     .arg(amount(units::pulsesPerSecondCubed(jerk.value, *range))) +
                 rangeNote(*range);
  return lines;
}

QString countMeaning(Parameter parameter, const RunParameters& params) {
  const auto count = readInt32(params, parameter);
  if (const auto* why = std::get_if<QString>(&count)) return *why;
  const std::int32_t n = std::get<std::int32_t>(count);
  switch (parameter) {
    case Parameter::OutputPulses:
      if (n < 0) return QStringLiteral("負のパルス数では演算が終わりません。");
      return QStringLiteral("%1 パルス").arg(amount(n));
    case Parameter::AccelOffset: {
      // The offset less one, written with its own sign: + 4, − 1.
      const std::int64_t offset = n - std::int64_t{1};
      return QStringLiteral("自動減速は、残りパルスが（加速パルス %1 %2）以下で始まります。")
          .arg(offset < 0 ? QStringLiteral("−") : QStringLiteral("+"))
          .arg(offset < 0 ? -offset : offset);
    }
    default:
      return QStringLiteral("マニュアル減速では %1 パルス目で減速を始めます。").arg(n);
  }
}

QString scaleMeaning(Parameter parameter, const RunParameters& params) {
  const auto scale = read(textToDouble(params[parameter]));
  if (const auto* why = std::get_if<QString>(&scale)) return *why;
  const double value = std::get<double>(scale);
  if (value <= 0.0) return QStringLiteral("0 以下ではグラフを描けません。");
  return parameter == Parameter::TimeDisplayMax
             ? QStringLiteral("グラフの横幅 %1 s").arg(amount(value))
             : QStringLiteral("グラフの高さ %1 pps").arg(amount(value));
}

// A field that holds no number at all: what a run would say about it, with
// the hint on full-width digits and separators.
QString notANumberAdvice(Parameter parameter, const RunParameters& params) {
  if (textToDouble(params[parameter]).status != ConversionStatus::TypeMismatch) return {};
  RunParameters typed = params;
  for (const ParameterField& field : kParameterFields)
    typed[field.parameter] = QString::fromLocal8Bit(params[field.parameter]).toStdString();
  RunOutcome outcome;
  outcome.end = RunEnd::Failed;
  outcome.failure = RunFailure{RunError::TypeMismatch, Step::ConvertParameter, {parameter}, {}};
  const QString message = fromUtf8(describeFailureJapanese(outcome, typed));
  const qsizetype advice = message.indexOf(QStringLiteral("\n\n"));
  return advice < 0 ? message : message.mid(advice + 2);
}

}  // namespace

QString parameterMeaning(Parameter parameter, const RunParameters& params) {
  if (const QString advice = notANumberAdvice(parameter, params); !advice.isEmpty()) return advice;
  switch (parameter) {
    case Parameter::OutputPulses:
    case Parameter::AccelOffset:
    case Parameter::ManualDecelPoint:
      return countMeaning(parameter, params);
    case Parameter::TimeDisplayMax:
    case Parameter::SpeedDisplayMax:
      return scaleMeaning(parameter, params);
    default:
      break;
  }
  const Physical meaning = physicalOf(parameter, params);
  if (!meaning.whyNot.isEmpty()) return meaning.whyNot;
  const QString value = QString::fromLocal8Bit(params[parameter]).trimmed();
  QStringList lines{captionOf(parameter) + QStringLiteral(" ") + value + QStringLiteral(" = ") +
                    meaning.value};
  if (meaning.withRange) lines.front() += rangeNote(*usableRange(params));
  if (parameter == Parameter::Acceleration || parameter == Parameter::Deceleration)
    lines << QStringLiteral("Ｓ字加減速では、この値まで%1が立ち上がります。")
                 .arg(captionOf(parameter));
  if (parameter == Parameter::JerkAccel || parameter == Parameter::JerkDecel)
    lines << jerkDetails(parameter, params);
  return lines.join(QLatin1Char('\n'));
}

Figure figureOf(double value, const QString& unit) {
  return {withoutTrailingZeros(QString::number(value, 'f', decimalsOf(value))), unit};
}

std::optional<Figure> physicalFigure(Parameter parameter, const RunParameters& params) {
  if (!physicalOf(parameter, params).whyNot.isEmpty()) return std::nullopt;
  const auto range = usableRange(params);
  if (!range) return std::nullopt;
  const auto count = [&] { return textToInt32(params[parameter]).value; };
  switch (parameter) {
    case Parameter::Range:
      return figureOf(units::pulsesPerSecond(1, *range),
                      QStringLiteral("pps（速度カウンタ 1 あたり）"));
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
      return figureOf(units::pulsesPerSecond(textToInt16(params[parameter]).value, *range),
                      QStringLiteral("pps"));
    case Parameter::Acceleration:
    case Parameter::Deceleration:
      return figureOf(units::pulsesPerSecondSquared(count(), *range), QStringLiteral("pps/s"));
    case Parameter::JerkAccel:
    case Parameter::JerkDecel:
      return figureOf(units::pulsesPerSecondCubed(count(), *range), QStringLiteral("pps/s²"));
    default:
      return std::nullopt;
  }
}

QString physicalValue(Parameter parameter, const RunParameters& params) {
  const std::optional<Figure> figure = physicalFigure(parameter, params);
  if (!figure) return {};
  return amount(figure->number.toDouble()) + QLatin1Char(' ') + figure->unit;
}

QString readoutMeaning(Readout readout, std::int64_t value, std::int32_t range) {
  if (range <= 0) return {};
  switch (readout) {
    case Readout::SpeedCounter:
    case Readout::PeakSpeed:
      return QStringLiteral("速度カウンタ %1 = %2 pps")
                 .arg(value)
                 .arg(amount(units::pulsesPerSecond(value, range))) +
             rangeNote(range);
    case Readout::AccelCounter:
      return QStringLiteral("加/減速度カウンタ %1 = %2 pps/s")
                 .arg(value)
                 .arg(amount(units::pulsesPerSecondSquared(value, range))) +
             rangeNote(range);
    default:
      return {};
  }
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
