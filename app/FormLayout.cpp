#include "FormLayout.h"

#include <algorithm>

namespace tarvex::window {

QRect pixelRect(const ControlDesign& c) {
  const int left = twipsToPixels(c.left);
  const int top = twipsToPixels(c.top);
  const int right = twipsToPixels(c.left + c.width);
  const int bottom = twipsToPixels(c.top + c.height);
  if (c.kind == ControlKind::Line) {
    // Both end points belong to the line.
    return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                 QPoint(std::max(left, right), std::max(top, bottom)));
  }
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace tarvex::window
