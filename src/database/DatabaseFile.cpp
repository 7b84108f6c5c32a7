#include "database/DatabaseFile.h"

#include "database/Database.h"

#include <QtEndian>

#include <cstring>

namespace vh::database {

namespace {

class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_data(bytes.constData()), m_size(bytes.size()) {}

    qsizetype remaining() const { return m_size - m_pos; }

    bool u16(quint16& out)
    {
        if (remaining() < 2)
            return false;
        out = qFromLittleEndian<quint16>(m_data + m_pos);
        m_pos += 2;
        return true;
    }

    bool text(QByteArray& out)
    {
        quint16 n = 0;
        if (!u16(n) || remaining() < n)
            return false;
        out = n == 0 ? QByteArray() : QByteArray::fromRawData(m_data + m_pos, n);
        m_pos += n;
        return true;
    }

    bool entry(ScreenshotEntry& e)
    {
        quint16 cheating = 0;
        quint16 width = 0;
        quint16 height = 0;
        const bool ok = text(e.ShotFile) && text(e.HeaderInfo) && text(e.ServerAddress) && text(e.ServerName) &&
                        text(e.GUID) && text(e.PlayerName) && text(e.ServerURL) && u16(cheating) && text(e.IndexText) &&
                        text(e.AutoDetected) && text(e.VaultName) && text(e.ShotTime) && u16(width) && u16(height);
        e.Cheating = cheating != 0;
        e.CaptureWidth = qint16(width);
        e.CaptureHeight = qint16(height);
        return ok;
    }

    void skip(qsizetype n) { m_pos += n; }

private:
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

class Writer
{
public:
    explicit Writer(char* out) : m_out(out) {}

    void u16(quint16 v)
    {
        qToLittleEndian<quint16>(v, m_out);
        m_out += 2;
    }

    void text(const QByteArray& s)
    {
        const quint16 n = quint16(std::min<qsizetype>(s.size(), DatabaseFile::MaxStringLength));
        u16(n);
        if (n > 0)
            std::memcpy(m_out, s.constData(), n);
        m_out += n;
    }

    char* position() const { return m_out; }

private:
    char* m_out;
};

qsizetype storedSize(const QByteArray& s)
{
    return 2 + std::min<qsizetype>(s.size(), DatabaseFile::MaxStringLength);
}

qsizetype storedSize(const ScreenshotEntry& e)
{
    return storedSize(e.ShotFile) + storedSize(e.HeaderInfo) + storedSize(e.ServerAddress) + storedSize(e.ServerName) +
           storedSize(e.GUID) + storedSize(e.PlayerName) + storedSize(e.ServerURL) + 2 + storedSize(e.IndexText) +
           storedSize(e.AutoDetected) + storedSize(e.VaultName) + storedSize(e.ShotTime) + 4;
}

} // namespace

base::Checked<int> DatabaseFile::parse(const QByteArray& bytes, Database& db)
{
    using Result = base::Checked<int>;
    db.clear();
    if (bytes.isEmpty())
        return Result::good(0);
    db.adoptStorage(bytes);
    if (bytes.size() < 4)
        return Result::failed(QStringLiteral("the entry count is cut off"), 0);
    const qint32 count = qFromLittleEndian<qint32>(bytes.constData());
    if (count < 0)
        return Result::failed(QStringLiteral("the entry count %1 is negative").arg(count), 0);
    // the smallest entry is 28 bytes, so a count the file cannot hold does not reserve memory for it
    const int toRead = int(std::min<qint64>({qint64(count), qint64(Database::Capacity), (bytes.size() - 4) / 28 + 1}));
    db.reserve(toRead);
    Reader reader(bytes);
    reader.skip(4);
    for (int i = 1; i <= count; ++i) {
        if (i > Database::Capacity) {
            return Result::failed(QStringLiteral("the entry count %1 is above the capacity of %2 entries")
                                      .arg(count)
                                      .arg(Database::Capacity),
                                  i);
        }
        ScreenshotEntry e;
        if (!reader.entry(e))
            return Result::failed(QStringLiteral("the entry is cut off at the end of the file"), i);
        db.append(std::move(e));
    }
    if (reader.remaining() > 0) {
        return Result::failed(
            QStringLiteral("%1 bytes follow the last of %2 entries").arg(reader.remaining()).arg(count), count + 1);
    }
    return Result::good(0);
}

QByteArray DatabaseFile::countBytes(int count)
{
    QByteArray bytes(CountBytes, Qt::Uninitialized);
    qToLittleEndian<qint32>(count, bytes.data());
    return bytes;
}

QByteArray DatabaseFile::serialize(const Database& db)
{
    return serialized(db, 1, true);
}

QByteArray DatabaseFile::entriesFrom(const Database& db, int first)
{
    return serialized(db, first, false);
}

QByteArray DatabaseFile::serialized(const Database& db, int first, bool withCount)
{
    const int count = db.EntryCount();
    const qsizetype head = withCount ? CountBytes : 0;
    qsizetype total = head;
    for (int i = first; i <= count; ++i)
        total += storedSize(db.entry(i));
    QByteArray out(total, Qt::Uninitialized);
    if (head != 0)
        qToLittleEndian<qint32>(count, out.data());
    Writer w(out.data() + head);
    for (int i = first; i <= count; ++i) {
        const ScreenshotEntry& e = db.entry(i);
        w.text(e.ShotFile);
        w.text(e.HeaderInfo);
        w.text(e.ServerAddress);
        w.text(e.ServerName);
        w.text(e.GUID);
        w.text(e.PlayerName);
        w.text(e.ServerURL);
        w.u16(e.Cheating ? 0xFFFF : 0x0000);
        w.text(e.IndexText);
        w.text(e.AutoDetected);
        w.text(e.VaultName);
        w.text(e.ShotTime);
        w.u16(quint16(e.CaptureWidth));
        w.u16(quint16(e.CaptureHeight));
    }
    Q_ASSERT(w.position() == out.constData() + total);
    return out;
}

} // namespace vh::database
