#include "platform/regular_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regular_file {

namespace {

    // Opens without following a link and without waiting for a pipe's other end; only a
    // regular file stays open.
    int open_regular(const QByteArray& path, int flags)
    {
        const int fd
            = ::open(path.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st { };
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    bool write_all(int fd, const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    bool is_regular_or_missing(const QByteArray& path, struct stat* st)
    {
        if (::lstat(path.constData(), st) == 0)
            return S_ISREG(st->st_mode);
        return errno == ENOENT;
    }

} // namespace

std::optional<QByteArray> read(const QString& path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st { };
    // A device is not even opened: opening some has effects of its own.
    if (name.isEmpty() || ::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const int fd = open_regular(name, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[4096];
    while (bytes.size() < limit) {
        const ssize_t n = ::read(fd, buffer, size_t(std::min<qint64>(limit - bytes.size(), 4096)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

bool replace(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat old { };
    if (name.isEmpty() || !is_regular_or_missing(name, &old))
        return false;
    const bool existed = old.st_mode != 0;
    QByteArray temporary = name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        if (!existed || (errno != EACCES && errno != EPERM))
            return false;
        // The directory takes no new file: the file itself, rewritten in place.
        const int in_place = open_regular(name, O_WRONLY);
        if (in_place < 0)
            return false;
        const bool written = ::ftruncate(in_place, 0) == 0 && write_all(in_place, bytes);
        return ::close(in_place) == 0 && written;
    }
    // The new file keeps the old one's owner (a run as root must not take a user's file away)
    // and mode; a new one is for its user alone.
    // Only root may give a file away; for anyone else the old file was theirs already.
    [[maybe_unused]] const bool owner_kept = !existed || ::fchown(fd, old.st_uid, old.st_gid) == 0;
    bool written = ::fchmod(fd, existed ? old.st_mode & 07777 : 0600) == 0;
    written = write_all(fd, bytes) && ::fdatasync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.constData(), name.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace regular_file
