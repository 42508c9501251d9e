#include "WindowFonts.h"

namespace tarvex::window {
namespace {

QFont pixelFont(const QStringList& families) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(kM9PixelSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QStringList m9Families() {
  return {QStringLiteral("ＭＳ ゴシック"),
          QStringLiteral("MS Gothic"),
          QStringLiteral("IPAGothic"),
          QStringLiteral("IPAゴシック"),
          QStringLiteral("TakaoGothic"),
          QStringLiteral("VL Gothic"),
          QStringLiteral("Noto Sans Mono CJK JP")};
}

QFont m9Font() {
  QFont font = pixelFont(m9Families());
  font.setFixedPitch(true);
  return font;
}

QFont standardFont() {
  QStringList families{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                       QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                       QStringLiteral("Noto Sans CJK JP")};
  families += m9Families();
  return pixelFont(families);
}

}  // namespace tarvex::window
