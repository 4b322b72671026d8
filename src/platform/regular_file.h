#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file that people and other programs may have replaced with anything: only a regular file is
// read or written. A link, pipe, device or directory under the name reads as missing and is
// never written, nor written through.
namespace regular_file {

// The file's first `limit` bytes; nothing when it is missing, unreadable or not a regular file.
std::optional<QByteArray> read(const QString& path, qint64 limit);

// Replaces the file's contents; false when nothing was written. A new file beside it, with the
// old file's owner and mode where that may be kept, is renamed over it, so a failed or
// interrupted write leaves the old contents. Where the directory takes no new file, a writable
// regular file is rewritten in place instead (not atomic, but not lost).
bool replace(const QString& path, const QByteArray& bytes);

} // namespace regular_file
