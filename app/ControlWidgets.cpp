#include "ControlWidgets.h"

#include <algorithm>

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
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

ReadoutBox::ReadoutBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
  setReadOnly(true);
}

QRect ReadoutBox::textRoom() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  // A text box keeps two pixels clear on either side of its text.
  constexpr int kTextBoxMargin = 2;
  const QMargins margins = textMargins();
  return style()
      ->subElementRect(QStyle::SE_LineEditContents, &option, this)
      .adjusted(kTextBoxMargin + margins.left(), margins.top(), -kTextBoxMargin - margins.right(),
                -margins.bottom());
}

void ReadoutBox::showValue(std::int64_t value, const QString& meaning) {
  if (!designFontKept_) {
    designFont_ = font();
    designFontKept_ = true;
  }
  const QString text = QString::number(value);
  const int room = textRoom().width();
  QFont fitted = designFont_;
  for (int size = designFont_.pixelSize();
       size > kSmallestPixelSize && QFontMetrics(fitted).horizontalAdvance(text) > room; --size)
    fitted.setPixelSize(size - 1);
  const QFontMetrics metrics(fitted);
  elided_ = metrics.horizontalAdvance(text) > room
                ? metrics.elidedText(text, Qt::ElideRight, room, Qt::TextSingleLine)
                : QString();
  if (fitted != font()) setFont(fitted);
  setText(text);
  setCursorPosition(0);
  QString tip = fitted == designFont_ ? QString() : text;
  if (!meaning.isEmpty()) tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + meaning;
  setToolTip(tip);
}

void ReadoutBox::paintEvent(QPaintEvent* event) {
  if (elided_.isEmpty()) {
    QLineEdit::paintEvent(event);
    return;
  }
  // Too wide even in the smallest size: the frame as the box draws it, and
  // the leading digits with the elision mark.
  QPainter painter(this);
  QStyleOptionFrame option;
  initStyleOption(&option);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(textRoom(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, elided_);
}

IndicatorButton::IndicatorButton(QWidget* parent) : QRadioButton(parent) {}

void IndicatorButton::setOn(bool on) {
  setChecked(on);
}

void IndicatorButton::nextCheckState() {
  // Only the run switches the indicator.
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
