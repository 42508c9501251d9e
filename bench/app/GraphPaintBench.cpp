// The graph area's paint cost, measured inside the window's own painting (a
// filter on the graph times each paint event it passes on):
//   GraphPaint/LongRun  a long run with live readouts (a point at every
//                       fourth tick, stopped after two seconds), over an
//                       earlier run's curve, with the scales and the grid
//                       shown: every paint during the run and at its end;
//   GraphPaint/Resize   after that run, the graph painted again 200 times,
//                       as after a resize or an uncovering, nothing new
//                       drawn.
// Counters: paints, paint_ms (all of them), paint_us (the mean of one).
// Run it also at a scaled screen, e.g. QT_SCALE_FACTOR=1.5.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Form1.h"
#include "PictureBox.h"

namespace {

using namespace tarvex;
using Clock = std::chrono::steady_clock;

// Times each paint event of the widget it watches: the event is handed on
// from inside the filter, while the widget's painting is set up.
class PaintTimer : public QObject {
 public:
  explicit PaintTimer(QWidget* watched) { watched->installEventFilter(this); }
  int paints = 0;
  double ms = 0.0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || inside_) return false;
    inside_ = true;
    const auto begin = Clock::now();
    QCoreApplication::sendEvent(watched, event);
    ms += std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    ++paints;
    inside_ = false;
    return true;
  }

 private:
  bool inside_ = false;
};

struct GraphWindow {
  QTemporaryDir folder;
  std::unique_ptr<Form1> form;
  window::PictureBox* graph = nullptr;
  QPushButton* start = nullptr;
  QPushButton* stop = nullptr;

  GraphWindow() {
    QDir::setCurrent(folder.path());
    form = std::make_unique<Form1>();
    form->show();
    (void)QTest::qWaitForWindowExposed(form.get());
    graph = form->findChild<window::PictureBox*>(QStringLiteral("Picture1"));
    start = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    stop = form->findChild<QPushButton*>(QStringLiteral("Command2"));
    graph->setKeepingEarlierRuns(true);
    graph->setScalesShown(true);
    graph->setGridShown(true);
    start->click();  // the start-up run, kept under the long one
    form->setText(TextBox::Text6, "2000000000");
    form->setText(TextBox::Text11, "0.004");
  }
  ~GraphWindow() {
    graph->setKeepingEarlierRuns(false);
    graph->setScalesShown(false);
    graph->setGridShown(false);
  }
};

void report(benchmark::State& state, const PaintTimer& timer) {
  state.counters["paints"] = timer.paints;
  state.counters["paint_ms"] = timer.ms;
  state.counters["paint_us"] = timer.paints ? 1000.0 * timer.ms / timer.paints : 0.0;
}

void BM_GraphPaint_LongRun(benchmark::State& state) {
  GraphWindow window;
  PaintTimer timer(window.graph);
  for (auto _ : state) {
    const double before = timer.ms;
    QTimer::singleShot(2000, window.stop, &QPushButton::click);
    window.start->click();
    QCoreApplication::processEvents();
    state.SetIterationTime((timer.ms - before) / 1000.0);
    if (window.form->lastOutcome()->end != RunEnd::Stopped) state.SkipWithError("not stopped");
  }
  report(state, timer);
}
BENCHMARK(BM_GraphPaint_LongRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GraphPaint_Resize(benchmark::State& state) {
  GraphWindow window;
  QTimer::singleShot(2000, window.stop, &QPushButton::click);
  window.start->click();
  QCoreApplication::processEvents();
  PaintTimer timer(window.graph);
  for (auto _ : state) {
    const double before = timer.ms;
    for (int i = 0; i < 200; ++i) {
      window.graph->update();
      QCoreApplication::processEvents();
    }
    state.SetIterationTime((timer.ms - before) / 1000.0);
  }
  report(state, timer);
}
BENCHMARK(BM_GraphPaint_Resize)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
