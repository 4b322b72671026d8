#include "platform/regular_file.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regular_file {

namespace {

    constexpr int max_links = 40;

    QString system_text(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    // Where a name leads: the end of its links, and whether something stands there.
    struct Target {
        QByteArray path;
        struct stat st { };
        bool exists = false;
        QString refused; // why the name cannot be used
    };

    Target resolve(const QByteArray& name)
    {
        Target t;
        t.path = name;
        if (name.isEmpty()) {
            t.refused = system_text(ENOENT);
            return t;
        }
        for (int links = 0;; ++links) {
            if (::lstat(t.path.constData(), &t.st) != 0) {
                if (errno != ENOENT)
                    t.refused = system_text(errno);
                return t; // missing: a new file goes here
            }
            if (!S_ISLNK(t.st.st_mode)) {
                t.exists = true;
                if (!S_ISREG(t.st.st_mode))
                    t.refused = QStringLiteral("not a regular file");
                return t;
            }
            if (links == max_links) {
                t.refused = system_text(ELOOP);
                return t;
            }
            // Checked before it is followed: anyone may plant a link in a shared folder.
            if (t.st.st_uid != ::geteuid() && t.st.st_uid != 0) {
                t.refused = QStringLiteral("a link that belongs to another user");
                return t;
            }
            char buffer[PATH_MAX];
            const ssize_t n = ::readlink(t.path.constData(), buffer, sizeof buffer);
            if (n <= 0 || n == ssize_t(sizeof buffer)) {
                t.refused = system_text(n < 0 ? errno : ENAMETOOLONG);
                return t;
            }
            const QByteArray target(buffer, n);
            t.path = target.startsWith('/') ? target
                                            : t.path.left(t.path.lastIndexOf('/') + 1) + target;
        }
    }

    // Opens without following a link and without waiting for a pipe's other end; only a
    // regular file stays open.
    int open_regular(const QByteArray& path, int flags)
    {
        const int fd
            = ::open(path.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st { };
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd);
            errno = EINVAL;
            return -1;
        }
        return fd;
    }

    std::optional<QByteArray> read_target(const QByteArray& path, qint64 limit)
    {
        const int fd = open_regular(path, O_RDONLY);
        if (fd < 0)
            return std::nullopt;
        QByteArray bytes;
        char buffer[4096];
        while (bytes.size() < limit) {
            const qint64 wanted = std::min<qint64>(limit - bytes.size(), sizeof buffer);
            const ssize_t n = ::read(fd, buffer, size_t(wanted));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        ::close(fd);
        return bytes;
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

    // Root may write any file, yet one without a write bit was made read-only on purpose.
    bool writable(const Target& t)
    {
        return (t.st.st_mode & 0222) != 0
            && ::faccessat(AT_FDCWD, t.path.constData(), W_OK, AT_EACCESS) == 0;
    }

    QString rewrite_in_place(const QByteArray& path, const QByteArray& bytes)
    {
        const int fd = open_regular(path, O_WRONLY);
        if (fd < 0)
            return system_text(errno);
        const bool written = ::ftruncate(fd, 0) == 0 && write_all(fd, bytes);
        const int error = errno;
        if (::close(fd) != 0 || !written)
            return system_text(written ? errno : error);
        return {};
    }

} // namespace

std::optional<QByteArray> read(const QString& path, qint64 limit)
{
    // A device is not even opened: opening some has effects of their own.
    const Target t = resolve(QFile::encodeName(path));
    if (!t.exists || !t.refused.isEmpty())
        return std::nullopt;
    return read_target(t.path, limit);
}

QString replace(const QString& path, const QByteArray& bytes)
{
    const Target t = resolve(QFile::encodeName(path));
    if (!t.refused.isEmpty())
        return t.refused;
    if (t.exists) {
        // Nothing to write is nothing to refuse: a pinned file that stays as it is.
        if (read_target(t.path, bytes.size() + 1) == bytes)
            return {};
        if (!writable(t))
            return QStringLiteral("the file is read-only");
    }
    QByteArray temporary = t.path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        if (!t.exists || (errno != EACCES && errno != EPERM))
            return system_text(errno);
        // The folder takes no new file: the file itself, rewritten in place.
        return rewrite_in_place(t.path, bytes);
    }
    // The new file keeps the old one's owner (a run as root must not take a user's file away)
    // and mode; a new one is for its user alone. Only root may give a file away; for anyone
    // else the old file was theirs already.
    [[maybe_unused]] const bool owner_kept
        = !t.exists || ::fchown(fd, t.st.st_uid, t.st.st_gid) == 0;
    bool written = ::fchmod(fd, t.exists ? t.st.st_mode & 07777 : 0600) == 0;
    written = write_all(fd, bytes) && ::fdatasync(fd) == 0 && written;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.constData(), t.path.constData()) == 0)
        return {};
    if (written)
        error = errno;
    ::unlink(temporary.constData());
    return system_text(error);
}

} // namespace regular_file
