#pragma once

#include <QString>

// The process-wide settings values. The settings file gives the first two their values at
// start, the settings dialog changes them, the main window reads them.
namespace Globals {

// The duration labels are shown (wide window).
extern bool show_duration;
// The device's address as the user typed it.
extern QString ip_address;
// The settings dialog was last closed with OK (true) or with Abbrechen (false).
extern bool settings_accepted;

} // namespace Globals
