#include "platform/AtomicFile.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace vh::platform {

Problems writeFileAtomically(const QString& path, const QByteArray& content)
{
    StagedFile file(path, StagedFile::Sync::Durable);
    if (!file.open())
        return {file.errorString()};
    if (!file.writeAll(content)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {why};
    }
    if (!file.commit())
        return {file.errorString()};
    return {};
}

StagedFile::StagedFile(const QString& path, Sync sync) : m_path(path)
{
    if (sync == Sync::Durable)
        m_durable = std::make_unique<QSaveFile>(path);
    else
        m_part = std::make_unique<QFile>(path + QStringLiteral(".part"));
}

StagedFile::~StagedFile()
{
    cancelWriting();
}

// unbuffered, because a buffered write that falls short (a full disk) would not be reported by commit()
bool StagedFile::open()
{
    if (m_durable)
        return m_durable->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return m_part && m_part->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

qint64 StagedFile::write(const QByteArray& data)
{
    if (m_durable)
        return m_durable->write(data);
    return m_part ? m_part->write(data) : -1;
}

bool StagedFile::writeAll(const QByteArray& data)
{
    const qint64 written = write(data);
    if (written == data.size())
        return true;
    m_error = written < 0 ? errorString()
                          : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(data.size());
    return false;
}

bool StagedFile::commit()
{
    if (m_durable) {
        const bool ok = m_durable->commit();
        if (!ok)
            m_error = m_durable->errorString();
        m_durable.reset();
        return ok;
    }
    if (!m_part || !m_part->isOpen())
        return false;
    m_part->close();
    // the target is replaced, as a save replaces it
    QFile::remove(m_path);
    const bool ok = m_part->rename(m_path);
    if (!ok) {
        m_error = m_part->errorString();
        m_part->remove();
    }
    m_part.reset();
    return ok;
}

void StagedFile::cancelWriting()
{
    if (m_durable) {
        m_durable->cancelWriting();
        m_durable.reset();
    }
    if (m_part) {
        m_part->close();
        m_part->remove();
        m_part.reset();
    }
}

QString StagedFile::errorString() const
{
    if (!m_error.isEmpty())
        return m_error;
    if (m_durable)
        return m_durable->errorString();
    return m_part ? m_part->errorString() : QString();
}

Problems flushFileSystem(const QString& path)
{
#ifdef Q_OS_LINUX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    // nothing can have been written below a folder that is not there
    if (fd < 0)
        return errno == ENOENT ? Problems{} : Problems{QString::fromLocal8Bit(std::strerror(errno))};
    const int result = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0)
        return {QString::fromLocal8Bit(std::strerror(error))};
#else
    Q_UNUSED(path);
#endif
    return {};
}

} // namespace vh::platform
