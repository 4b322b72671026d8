#pragma once

#include "platform/lamp.h"

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code: lamps (designed at 16x16), logo (32x32) and window
// icon. Each is drawn for a size in device-independent pixels at a device pixel ratio, so it
// stays crisp at any scale.
namespace pictures {

QPixmap lamp(Lamp kind, int size = 16, qreal dpr = 1);
QPixmap logo(int size = 32, qreal dpr = 1);
QIcon window_icon();

} // namespace pictures
