// The window's own view of Form1's design (FormDesign.h): the controls'
// rectangles in pixels as Qt places them.
#pragma once

#include <QRect>

#include "FormDesign.h"

namespace tarvex::window {

// The control's rectangle in pixels of the client area. A line becomes a
// rectangle one pixel thick.
QRect pixelRect(const ControlDesign& control);

}  // namespace tarvex::window
