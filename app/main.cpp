// tarvex-sim: the acceleration/deceleration waveform simulator's window.
#include <QApplication>
#include <QScreen>

#include "Form1.h"
#include "WindowFonts.h"
#include "WindowLanguage.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Dialogs and menus speak the window's language in the window's font.
  QApplication::setFont(tarvex::window::standardFont());
  tarvex::window::installJapaneseDialogs(app);

  tarvex::Form1 form;
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    form.move(screen->availableGeometry().center() - form.rect().center());
  form.show();
  return QApplication::exec();
}
