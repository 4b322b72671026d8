// Arbitrary bytes as remote.inf: the reader never fails or hangs. And the same bytes as the
// values of a file the window writes: read back, they give exactly those values.

#include "settings/settings_file.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace settings_file;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    parse(bytes);
    if (size < 9)
        return 0;
    float top = 0;
    qint32 left = 0;
    std::memcpy(&top, data, 4);
    std::memcpy(&left, data + 4, 4);
    // An address as the dialog lets it be stored: Latin-1, no double quote, at most 255 long.
    QString address = QString::fromLatin1(bytes.mid(9, max_address));
    address.remove(QLatin1Char('"'));
    const bool show = data[8] & 1;
    if (!std::isfinite(top) || std::abs(float(left)) >= 2147483520.f)
        return 0; // the window never stands there: it would be off every screen
    const Contents back = parse(format({ Position { top, float(left) }, address, show }));
    if (!back.position || back.position->top != top || back.position->left != float(left)
        || back.address != address || back.show_duration != show)
        std::abort();
    return 0;
}
