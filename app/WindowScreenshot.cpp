// tarvex-sim-screenshot [SCENE] PATH.png: opens the window, sets up SCENE,
// and saves a picture of the screen around the window and any dialog, menu
// or tooltip it shows to PATH.png. Runs' data logs go to a temporary folder.
//
// Scenes (the README's pictures):
//   window             the window after the default run (the default scene)
//   overflow-message   a set-up overflow: 加増加率 2147483647
//   fullwidth-message  初速度 typed with full-width digits
//   drag-pulses        a run ending with a five-digit 引きずりパルス数, its tooltip
//   input-box          the input box of パラメータ保存
//   cursor             the point under the mouse over the default run
//   scales             the default run with the axis scales
//   overlays           three runs with 加増加率 tuned, earlier ones kept
//   comparison         four such runs with the scales, saved as shown (the
//                      saved picture itself, not the screen)
//   fitted             a 2,000,000-pulse run fitted to the graph, with scales
//   report             the run report of the default run
//   design             目標から設計 after 計算: 20,000 pulses at 30,000 pps, 0.17 s
//                      ramps, S-shaped, from 100 pps
//   field-tooltip      the tooltip of ドライブ速度 after the default run
//   zoomed             three runs with 加増加率 and 減増加率 tuned, kept, with the
//                      grid, the scales and a box dragged around the first
//                      ramp's top (the picture as shown)
//   overrun            a 200,000-pulse run, longer than 時間表示最大値 (the
//                      picture as shown)
//   save-dialog        the file dialog of グラフを PNG 形式で保存, chosen from the
//                      graph's menu by its key, after the default run
#include <cstdio>
#include <cstring>
#include <functional>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include "ControlWidgets.h"
#include "DesignDialog.h"
#include "Form1.h"
#include "GraphImage.h"
#include "PictureBox.h"
#include "QtText.h"
#include "WindowFonts.h"
#include "WindowLanguage.h"

namespace {

using tarvex::Form1;
using tarvex::TextBox;
using tarvex::window::DesignDialog;
using tarvex::window::PictureBox;

void settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The screen around every window shown.
QImage screenAroundWindows() {
  QRect area;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) area |= w->frameGeometry();
  QScreen* screen = QGuiApplication::primaryScreen();
  area &= screen->geometry();
  return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// Does `action`; if it opens a dialog, the picture is taken while the dialog
// is open and the dialog is then closed.
QImage pictureOf(const std::function<void()>& action) {
  QImage shot;
  QTimer::singleShot(600, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    shot = screenAroundWindows();
    dialog->close();
  });
  action();
  if (shot.isNull()) {
    settle(700);
    shot = screenAroundWindows();
  }
  return shot;
}

void run(Form1& form) {
  form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
}

void set(Form1& form, TextBox box, const char* text) {
  form.textBox(box)->setText(QString::fromUtf8(text));
}

QImage scene(const char* name, Form1& form) {
  auto* graph = form.findChild<PictureBox*>(QStringLiteral("Picture1"));
  const std::string scene = name;
  if (scene == "overflow-message") set(form, TextBox::Text3, "2147483647");
  if (scene == "fullwidth-message") set(form, TextBox::Text4, "１０");
  if (scene == "overflow-message" || scene == "fullwidth-message")
    return pictureOf([&] { run(form); });
  if (scene == "input-box")
    return pictureOf([&] { form.findChild<QPushButton*>(QStringLiteral("Command3"))->click(); });
  if (scene == "drag-pulses") {
    form.setOptionValue(tarvex::pairOf(tarvex::RunOption::Symmetric).off, tarvex::kChecked);
    set(form, TextBox::Text13, "2000");
    set(form, TextBox::Text6, "100000");
  }
  if (scene == "overlays") {
    graph->setKeepingEarlierRuns(true);
    run(form);
    set(form, TextBox::Text3, "300");
    run(form);
    set(form, TextBox::Text3, "1200");
  }
  if (scene == "comparison") {
    graph->setKeepingEarlierRuns(true);
    graph->setScalesShown(true);
    for (const char* jerk : {"150", "300", "600"}) set(form, TextBox::Text3, jerk), run(form);
    set(form, TextBox::Text3, "1200");
    run(form);
    return graph->imageAsShown();
  }
  if (scene == "zoomed") {
    graph->setKeepingEarlierRuns(true);
    graph->setScalesShown(true);
    graph->setGridShown(true);
    for (const char* jerk : {"150", "300", "600"}) set(form, TextBox::Text3, jerk), run(form);
    set(form, TextBox::Text20, "300");
    run(form);
    graph->zoomInto(QRectF(20, 10, 200, 120));
    return graph->imageAsShown();
  }
  if (scene == "overrun") {
    set(form, TextBox::Text6, "200000");
    run(form);
    return graph->imageAsShown();
  }
  if (scene == "fitted") set(form, TextBox::Text6, "2000000");
  if (scene == "design") {
    // The targets typed and 計算 pressed once the dialog is open; the
    // picture once the design, which runs beside the window, has ended.
    QImage shot;
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<DesignDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      for (const auto& [name, text] : {std::pair{"peak", "30000"}, std::pair{"accel_time", "0.17"},
                                       std::pair{"decel_time", ""}, std::pair{"start", "100"}})
        dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
      dialog->findChild<QPushButton*>(QStringLiteral("calculate"))->click();
      while (dialog->searching()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      settle(300);
      shot = screenAroundWindows();
      dialog->close();
    });
    form.openDesign();
    return shot;
  }
  run(form);
  if (!form.lastOutcome() || form.lastOutcome()->failed()) return {};
  if (scene == "drag-pulses" || scene == "field-tooltip") {
    QLineEdit* drag = form.textBox(scene == "drag-pulses" ? TextBox::Text16 : TextBox::Text5);
    return pictureOf([&] {
      QToolTip::showText(drag->mapToGlobal(QPoint(4, drag->height())), drag->toolTip(), drag);
    });
  }
  if (scene == "cursor") {
    return pictureOf([&] {
      const QPointF at(260, 60);
      QMouseEvent move(QEvent::MouseMove, at, graph->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
      QApplication::sendEvent(graph, &move);
    });
  }
  if (scene == "scales") graph->setScalesShown(true);
  if (scene == "fitted") graph->fitToRun(), graph->setScalesShown(true);
  if (scene == "report") return pictureOf([&] { graph->showReport(); });
  if (scene == "save-dialog") {
    // The working folder with a folder and the data log in it; the menu's
    // item by its key once the menu is open; the picture while the file
    // dialog it opens is shown.
    QDir().mkdir(QStringLiteral("グラフ"));
    form.setOptionValue(tarvex::CheckBox::Check1, tarvex::kChecked);
    run(form);
    QTimer::singleShot(300, [] {
      if (QWidget* menu = QApplication::activePopupWidget()) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"));
        QApplication::sendEvent(menu, &key);
      }
    });
    return pictureOf([&] {
      QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(20, 20),
                             graph->mapToGlobal(QPoint(20, 20)));
      QApplication::sendEvent(graph, &open);
    });
  }
  return pictureOf([] {});
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(tarvex::window::standardFont());
  tarvex::window::installJapaneseDialogs(app);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: tarvex-sim-screenshot [SCENE] PATH.png\n");
    return 2;
  }
  const char* sceneName = argc == 3 ? argv[1] : "window";
  const QString target = QFileInfo(QString::fromLocal8Bit(argv[argc - 1])).absoluteFilePath();
  QTemporaryDir workDir;
  if (!workDir.isValid() || !QDir::setCurrent(workDir.path())) {
    std::fprintf(stderr, "tarvex-sim-screenshot: no temporary folder for the data log\n");
    return 1;
  }
  // Nothing the user's own window remembers.
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, workDir.path());

  Form1 form;
  form.move(0, 0);
  form.show();
  QElapsedTimer clock;
  clock.start();
  while (!(form.windowHandle() && form.windowHandle()->isExposed()) && clock.elapsed() < 5000)
    settle(20);
  form.activateWindow();
  settle(200);

  const QImage shot = std::strcmp(sceneName, "window") == 0
                          ? (run(form), settle(300), form.grab().toImage())
                          : scene(sceneName, form);
  if (shot.isNull()) {
    std::fprintf(stderr, "tarvex-sim-screenshot: the scene's run did not complete\n");
    return 1;
  }
  // Written as every picture the programs save: a regular file (or what a
  // link leads to), never a device or a pipe.
  if (const std::string error = tarvex::writePng(shot, tarvex::window::toPath(target));
      !error.empty()) {
    std::fprintf(stderr, "tarvex-sim-screenshot: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", qPrintable(QDir::toNativeSeparators(target)));
  return 0;
}
