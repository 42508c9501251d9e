#include "ControlWidgets.h"

#include <algorithm>

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "Controls.h"

namespace tarvex::window {
namespace {

// The indicator's square: the style's size, shrunk to fit the control, at
// its left edge and centred vertically.
QRect indicatorRect(const QWidget& w, QStyle::PixelMetric widthMetric,
                    QStyle::PixelMetric heightMetric) {
  const int styleSize = std::max(w.style()->pixelMetric(widthMetric, nullptr, &w),
                                 w.style()->pixelMetric(heightMetric, nullptr, &w));
  const int size = std::min({styleSize, w.width(), w.height()});
  return QRect(0, (w.height() - size) / 2, size, size);
}

template <class Button>
void paintIndicator(Button& button, QStyle::PrimitiveElement element,
                    QStyle::PixelMetric widthMetric, QStyle::PixelMetric heightMetric,
                    const QStyleOptionButton& option) {
  QStylePainter painter(&button);
  QStyleOptionButton indicator = option;
  indicator.rect = indicatorRect(button, widthMetric, heightMetric);
  indicator.text.clear();
  painter.drawPrimitive(element, indicator);
  if (button.hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(&button);
    focus.rect = indicator.rect.adjusted(-1, -1, 1, 1) & button.rect();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace

OptionCheckBox::OptionCheckBox(QWidget* parent) : QCheckBox(parent) {
  setTristate(true);
}

std::int16_t OptionCheckBox::value() const {
  switch (checkState()) {
    case Qt::Unchecked:
      return kUnchecked;
    case Qt::Checked:
      return kChecked;
    case Qt::PartiallyChecked:
      return kGrayed;
  }
  return kUnchecked;
}

void OptionCheckBox::setValue(std::int16_t value) {
  setCheckState(value == kChecked  ? Qt::Checked
                : value == kGrayed ? Qt::PartiallyChecked
                                   : Qt::Unchecked);
}

void OptionCheckBox::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  initStyleOption(&option);
  paintIndicator(*this, QStyle::PE_IndicatorCheckBox, QStyle::PM_IndicatorWidth,
                 QStyle::PM_IndicatorHeight, option);
}

bool OptionCheckBox::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

void OptionCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

IndicatorButton::IndicatorButton(QWidget* parent) : QRadioButton(parent) {}

void IndicatorButton::setOn(bool on) {
  setChecked(on);
}

void IndicatorButton::nextCheckState() {
  // A click switches the indicator on, never off.
  setChecked(true);
}

void IndicatorButton::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  initStyleOption(&option);
  paintIndicator(*this, QStyle::PE_IndicatorRadioButton, QStyle::PM_ExclusiveIndicatorWidth,
                 QStyle::PM_ExclusiveIndicatorHeight, option);
}

bool IndicatorButton::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void LineControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::WindowText));
}

}  // namespace tarvex::window
