#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file that people and other programs may have replaced with anything. The name may be a
// symbolic link (dotfile managers put the user's own file in place that way): it is followed,
// link by link (at most 40), while each link belongs to the user or to root; a relative target
// counts from the link's own folder. Only a regular file at the end is read or written, opened
// without following links. A link of anyone else's, a loop, or anything but a regular file at
// the end reads as missing and is never written, nor written through.
namespace regular_file {

// The file's first `limit` bytes; nothing when it is missing, unreadable or refused.
std::optional<QByteArray> read(const QString& path, qint64 limit);

// Replaces the file's contents; empty when they were written or already stood so, else why not:
// the system's error text, "a link that belongs to another user", "not a regular file" or "the
// file is read-only" (no write bit for whoever runs this, root too). A new file in the target's
// own folder, with the old file's owner and mode where that may be kept, is renamed over the
// target, so a failed or interrupted write leaves the old contents and every link stays a link.
// Where that folder takes no new file, the file is rewritten in place (not atomic, not lost).
QString replace(const QString& path, const QByteArray& bytes);

} // namespace regular_file
