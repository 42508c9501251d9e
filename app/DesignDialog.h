// 目標から設計 (design from a target): the move the engineer wants in, the
// parameters for it out. 計算 runs the design, which runs the engine on its
// candidates, and shows the proposal beside the fields' present values and
// the figures of the proposal's run against the targets, marking any target
// that is off; 適用 writes the proposal into the fields and boxes. Running
// it is Start's.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QDialog>

#include "Controls.h"
#include "FormControls.h"
#include "MoveSolver.h"
#include "RunFigures.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tarvex::window {

class DesignDialog final : public QDialog {
  Q_OBJECT

 public:
  // The targets start from the fields (pulses, peak and start speeds, the
  // S-curve box) and from the ramp times of `lastRun`, if there is one; the
  // proposal goes to the fields and boxes of `form`.
  DesignDialog(FormControls& form, const std::optional<RunFigures>& lastRun, QWidget* parent);

  // The design of the last 計算, met or only the closest found.
  const std::optional<design::Design>& design() const { return design_; }

 private:
  void calculate();
  void apply();
  // The targets as typed; nothing, with the message shown and the field
  // focused, where one is missing or makes no sense.
  std::optional<design::MoveTargets> typedTargets();
  void showDesign(const design::Design& design);
  void showVerdict(const QString& text, bool met);

  FormControls& form_;
  std::array<QLineEdit*, 7> targets_{};  // by design::Target
  QPushButton* calculate_ = nullptr;
  QPushButton* apply_ = nullptr;
  QLabel* verdict_ = nullptr;
  QTableWidget* achieved_ = nullptr;
  QTableWidget* proposal_ = nullptr;
  std::optional<design::Design> design_;
};

// Adds 目標から設計 to the context menus of the parameter fields: `open`
// opens the dialog; the item is offered while `available` says so.
void offerDesignInFieldMenus(const std::array<QLineEdit*, kTextBoxCount>& boxes,
                             std::function<bool()> available, std::function<void()> open);

}  // namespace tarvex::window
