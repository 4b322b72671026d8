#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the program, drawn in code: lamps (16x16), logo and window icon (32x32).
namespace pictures {

enum class Lamp { Lit, Unlit, Red };

QPixmap lamp(Lamp kind);
QPixmap logo();
QIcon window_icon();

} // namespace pictures
