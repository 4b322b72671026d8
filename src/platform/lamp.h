#pragma once

#include <QtGlobal>

// The picture a lamp shows, by role.
enum class Lamp : quint8 { Unlit, Lit, Red };
