// Reading and writing remote.inf for the main window.

#include "main/main_window.h"
#include "platform/datagram_socket.h"
#include "settings/globals.h"
#include "settings/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// Far more than three lines ever need; a larger file is read only this far.
constexpr qint64 max_read = 1 << 20;
} // namespace

void Main::read_settings()
{
    std::optional<QByteArray> bytes;
    // Only a plain file is opened: a directory or a pipe under that name reads as missing.
    if (QFileInfo(settings_path).isFile()) {
        QFile file(settings_path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(max_read);
    }
    const settings_file::Contents c = settings_file::parse(bytes);
    if (c.position)
        place_window(c.position->top, float(c.position->left));
    socket->setRemoteHost(c.address);
    Globals::ip_address = c.address;
    Globals::show_duration = c.show_duration;
}

bool Main::write_settings()
{
    // Written beside the old file and renamed over it: a failed or interrupted write leaves
    // the previous settings intact.
    QSaveFile file(settings_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(settings_file::format(top(), left(), Globals::ip_address, Globals::show_duration));
    return file.commit();
}
