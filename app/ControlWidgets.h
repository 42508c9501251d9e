// Widgets for the control kinds that the toolkit does not offer as such:
// check boxes and an option button that show only their box or circle, and
// the static line.
#pragma once

#include <cstdint>

#include <QCheckBox>
#include <QRadioButton>
#include <QWidget>

namespace tarvex::window {

// A check box narrower than its caption: it shows only its box, scaled down
// to fit where the control is smaller than the style's box, and the whole
// control answers a click. Its three values are 0 clear, 1 ticked and
// 2 grayed. Grayed is set only by code; a click turns a clear box ticked and
// a ticked or grayed box clear, as the usual three-state cycle does.
class OptionCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit OptionCheckBox(QWidget* parent = nullptr);

  std::int16_t value() const;
  // Sets the value as code would; the box reports the change like a click.
  void setValue(std::int16_t value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
  void nextCheckState() override;
};

// The triangle-prevention indicator: a circle without its caption. A click
// switches it on; only code switches it off.
class IndicatorButton : public QRadioButton {
  Q_OBJECT

 public:
  explicit IndicatorButton(QWidget* parent = nullptr);

  void setOn(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
  void nextCheckState() override;
};

// A straight line in the window-text colour, one pixel wide.
class LineControl : public QWidget {
  Q_OBJECT

 public:
  explicit LineControl(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarvex::window
