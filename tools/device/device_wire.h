#pragma once

#include "link/wire.h"

// What the simulator sends and logs beyond the client's own codec.
namespace wire {

// A status datagram as the device sends it: type, type, flags, flags.
QByteArray status_bytes(int type, int flags);

// One line of human-readable meaning, for the log: "poll", "status 254 line up, rights 0x18".
QString describe(QByteArrayView datagram);

} // namespace wire
