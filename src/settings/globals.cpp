#include "settings/globals.h"

namespace Globals {

bool show_duration = false;
QString ip_address;
bool settings_accepted = false;

} // namespace Globals
