#pragma once

#include "platform/Checked.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <memory>

namespace vh::platform {

// Writes the whole file through a new file renamed over the old one, so a crash or a full disk during a
// save leaves the last good file. Returns the reason when anything failed, nothing when the file was written.
Problems writeFileAtomically(const QString& path, const QByteArray& content);

// A file written piece by piece under another name beside its target and put in place by commit(), so the
// target never holds part of the data. Durable: commit() also waits until the data is on the disk. Cached:
// commit() leaves that to the system (or to flushFileSystem), for the many files a collection writes and
// takes in at once, where a wait on the disk per file would hold up every transfer.
class StagedFile final
{
public:
    enum class Sync
    {
        Durable,
        Cached,
    };
    StagedFile(const QString& path, Sync sync);
    ~StagedFile(); // without commit(): the data is thrown away

    bool open();
    // Returns what was written; less than the data (or -1) when the disk refused some of it.
    qint64 write(const QByteArray& data);
    // Writes all of data, or returns false with errorString() saying how much the disk refused.
    bool writeAll(const QByteArray& data);
    bool commit();
    void cancelWriting();
    QString errorString() const;

private:
    QString m_path;
    std::unique_ptr<QSaveFile> m_durable;
    std::unique_ptr<QFile> m_part; // Cached: the data goes to <path>.part until commit()
    QString m_error;
};

// Waits until everything written to the file system that holds path is on the disk (nothing to do for a path
// that does not exist, or where the system offers no such call).
Problems flushFileSystem(const QString& path);

} // namespace vh::platform
