// Arbitrary bytes as remote.inf: the reader never fails or hangs and always gives an address
// and a switch; what it read, written and read again, gives the same values.

#include "settings/settings_file.h"

#include <cstdlib>

using namespace settings_file;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Contents read = parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!can_hold(read.address))
        return 0; // unquoted text with a quote inside: the dialog never lets such an address be
                  // stored
    // A left beyond the 32-bit range once widened to single precision is refused on reading by
    // design; the window never stands there (it would be off every screen).
    if (read.position && std::abs(read.position->left) >= 2147483520.f)
        return 0;
    const Contents again = parse(format(read));
    if (again.address != read.address || again.show_duration != read.show_duration)
        std::abort();
    if (!again.position)
        std::abort();
    if (read.position
        && (again.position->top != read.position->top
            || again.position->left != read.position->left))
        std::abort();
    return 0;
}
