#include "platform/AdvisoryLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vh::platform {

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

qint64 readPid(int fd)
{
    char buffer[32] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (n <= 0)
        return 0;
    bool ok = false;
    // the first line, so a lock file written by another locking scheme still names its holder
    const qint64 pid = QByteArray(buffer, n).split('\n').value(0).trimmed().toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

} // namespace

AdvisoryLock::Result AdvisoryLock::tryLock()
{
    if (m_fd >= 0)
        return Result::Locked;
    m_holderPid = 0;
    m_error.clear();
    const QByteArray path = QFile::encodeName(m_path);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            m_error = QStringLiteral("cannot open the lock file %1: %2").arg(m_path, systemError(errno));
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            m_holderPid = readPid(fd);
            ::close(fd);
            if (code == EWOULDBLOCK)
                return Result::HeldByOther;
            m_error = QStringLiteral("cannot lock %1: %2").arg(m_path, systemError(code));
            return Result::Failed;
        }
        // the holder before us may have removed the file between our open and our lock: lock the file that
        // is there now, not the one that was unlinked
        struct stat opened = {};
        struct stat named = {};
        if (::fstat(fd, &opened) != 0 || ::stat(path.constData(), &named) != 0 || opened.st_ino != named.st_ino ||
            opened.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) != pid.size()) {
            const int code = errno;
            ::unlink(path.constData());
            ::close(fd);
            m_error = QStringLiteral("cannot write the lock file %1: %2").arg(m_path, systemError(code));
            return Result::Failed;
        }
        m_fd = fd;
        return Result::Locked;
    }
    m_error = QStringLiteral("cannot lock %1: the file keeps being replaced").arg(m_path);
    return Result::Failed;
}

void AdvisoryLock::unlock()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace vh::platform
