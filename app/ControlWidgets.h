// Widgets for the control kinds that the toolkit does not offer as such:
// check boxes and an option button that show only their box or circle, and
// the static line.
#pragma once

#include <cstdint>

#include <QCheckBox>
#include <QFont>
#include <QLineEdit>
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

// A readout: a text box that only shows a number. It takes focus, selects
// and copies like any text box, but nothing typed reaches it. A value wider
// than the box is shown whole in a smaller size of the same face, down to
// kSmallestPixelSize; one wider still shows its leading digits followed by
// "…", never digits that could read as another number. Whenever the value
// is not shown at the design size, the tooltip holds it whole.
class ReadoutBox : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr int kSmallestPixelSize = 8;

  explicit ReadoutBox(const QString& text, QWidget* parent = nullptr);

  // Shows `value`; `meaning` (what it is in physical units) joins the
  // tooltip.
  void showValue(std::int64_t value, const QString& meaning = {});
  // What the box shows: the value, or its leading digits and "…".
  QString shownText() const { return elided_.isEmpty() ? text() : elided_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The room for the text inside the frame and the text margins.
  QRect textRoom() const;

  QFont designFont_;
  bool designFontKept_ = false;
  QString elided_;
};

// The triangle-prevention indicator: a circle without its caption, set only
// by the run; clicks and keys leave it as it is.
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
