// tarvex-sim-screenshot PATH.png: opens the window, makes the default run,
// and saves a picture of the window's client area to PATH.png. The run's
// data log goes to a temporary folder.
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include "Form1.h"
#include "WindowFonts.h"

namespace {

void settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(tarvex::window::standardFont());
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvex-sim-screenshot PATH.png\n");
    return 2;
  }
  const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  QTemporaryDir workDir;
  if (!workDir.isValid() || !QDir::setCurrent(workDir.path())) {
    std::fprintf(stderr, "tarvex-sim-screenshot: no temporary folder for the data log\n");
    return 1;
  }

  tarvex::Form1 form;
  form.move(0, 0);
  form.show();
  QElapsedTimer clock;
  clock.start();
  while (!(form.windowHandle() && form.windowHandle()->isExposed()) && clock.elapsed() < 5000)
    settle(20);
  settle(200);

  form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  if (!form.lastOutcome() || form.lastOutcome()->failed()) {
    std::fprintf(stderr, "tarvex-sim-screenshot: the default run did not complete\n");
    return 1;
  }
  settle(300);

  if (!form.grab().save(target, "PNG")) {
    std::fprintf(stderr, "tarvex-sim-screenshot: cannot write %s\n", qPrintable(target));
    return 1;
  }
  std::printf("%s\n", qPrintable(QDir::toNativeSeparators(target)));
  return 0;
}
