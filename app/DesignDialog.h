// 目標から設計 (design from a target): the move the engineer wants in, the
// parameters for it out. 計算 runs the design, which runs the engine on its
// candidates, and shows the proposal beside the fields' present values and
// the figures of the proposal's run against the targets, marking any target
// that is off; 適用 writes the proposal into the fields and boxes, and 元に戻す
// puts back what they held before. Running it is Start's.
//
// The design runs the engine on many candidates, which takes up to seconds:
// it runs on a thread of its own while the dialog shows that it is busy and
// how many candidates it has run, and キャンセル (or Escape) stops it at the
// next yield of the candidate running. Nothing of the window is touched from
// that thread: it gets the targets and the fields' texts as values.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QDialog>
#include <QString>

#include "Controls.h"
#include "FormControls.h"
#include "MoveSolver.h"
#include "RunFigures.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QTableWidget;
class QTimer;

namespace tarvex::window {

// The targets as typed, by design::Target.
using TargetTexts = std::array<QString, 7>;

// Where the dialog keeps the targets as typed from one opening to the next.
class TargetMemory {
 public:
  virtual ~TargetMemory() = default;
  virtual std::optional<TargetTexts> recall() const = 0;
  virtual void remember(const TargetTexts& texts) = 0;
};

// From one start of the program to the next: the window's settings
// (WindowSettings, the targets by their names), written at each remember.
class SettingsTargetMemory final : public TargetMemory {
 public:
  std::optional<TargetTexts> recall() const override;
  void remember(const TargetTexts& texts) override;
};

struct DesignSearch;

class DesignDialog final : public QDialog {
  Q_OBJECT

 public:
  // The targets start as they were last typed (`memory`); the first time
  // from `lastRun`, the last completed run, if there is one, else from the
  // fields (pulses, peak and start speeds), and the S-curve box. The
  // proposal goes to the fields and boxes of `form`.
  DesignDialog(FormControls& form, const std::optional<RunFigures>& lastRun, TargetMemory& memory,
               QWidget* parent);
  // A search still going is stopped and waited for.
  ~DesignDialog() override;

  // The design shown, met or only the closest found; none once a target
  // has been edited since.
  const std::optional<design::Design>& design() const { return design_; }
  bool searching() const { return search_ != nullptr; }

  // Escape and キャンセル stop a search; otherwise they close the dialog.
  void reject() override;
  void done(int result) override;

 private:
  void calculate();
  void searchEnded();
  void showProgress();
  void cancel();
  void apply();
  void undo();
  // A target edited: the design shown is no longer the targets'.
  void targetsEdited();
  void setSearching(bool searching);
  // The targets as typed; nothing, with the message shown and the field
  // focused, where one is missing or makes no sense.
  std::optional<design::MoveTargets> typedTargets();
  TargetTexts typedTexts() const;
  void clearTables();
  void showDesign(const design::Design& design);
  enum class Tone { Plain, Met, Failed };
  void showVerdict(const QString& text, Tone tone);
  bool eventFilter(QObject* watched, QEvent* event) override;

  // What the parameter fields (by indexOf) and boxes held before 適用.
  struct FormSnapshot {
    std::array<std::string, kTextBoxCount> texts;
    std::array<std::int16_t, kCheckBoxCount> boxes{};
  };

  FormControls& form_;
  TargetMemory& memory_;
  std::array<QLineEdit*, 7> targets_{};  // by design::Target
  QPushButton* calculate_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* undo_ = nullptr;
  QPushButton* close_ = nullptr;
  QLabel* verdict_ = nullptr;
  QProgressBar* busy_ = nullptr;
  QTimer* progress_ = nullptr;
  QTableWidget* achieved_ = nullptr;
  QTableWidget* proposal_ = nullptr;
  std::optional<design::Design> design_;
  std::optional<FormSnapshot> beforeApply_;
  std::shared_ptr<DesignSearch> search_;
  bool filling_ = false;  // the dialog itself sets the targets' texts
};

// Adds 目標から設計 to the context menus of the parameter fields: `open`
// opens the dialog; the item is offered while `available` says so.
void offerDesignInFieldMenus(const std::array<QLineEdit*, kTextBoxCount>& boxes,
                             std::function<bool()> available, std::function<void()> open);

}  // namespace tarvex::window
