#pragma once

#include <QString>
#include <QtGlobal>

namespace vh::platform {

// An exclusive lock on a file that the system releases when its holder ends, however it ends: a lock file
// left behind by a crash, a kill or a power loss (or emptied by hand) is simply taken over. The file holds
// the holder's process id, only to name it in a message.
class AdvisoryLock final
{
public:
    explicit AdvisoryLock(QString path) : m_path(std::move(path)) {}
    ~AdvisoryLock() { unlock(); }
    AdvisoryLock(const AdvisoryLock&) = delete;
    AdvisoryLock& operator=(const AdvisoryLock&) = delete;

    enum class Result
    {
        Locked,      // this object holds the lock
        HeldByOther, // a living process holds it; holderPid() names it when the file says so
        Failed       // the lock file could not be opened or written; error() says why
    };

    Result tryLock();
    // Releases the lock and removes the file while still holding it, so no later holder's file is removed.
    void unlock();

    qint64 holderPid() const { return m_holderPid; }
    QString error() const { return m_error; }

private:
    QString m_path;
    int m_fd = -1;
    qint64 m_holderPid = 0;
    QString m_error;
};

} // namespace vh::platform
