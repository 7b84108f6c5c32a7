#pragma once

#include <QtGlobal>

namespace vh::test {

// Makes every write past maxBytes fail (as on a full disk) for this process while the object lives.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(qint64 maxBytes);
    ~FileSizeLimit();
    Q_DISABLE_COPY_MOVE(FileSizeLimit)

    bool active() const { return m_active; }

private:
    bool m_active = false;
    quint64 m_oldSoft = 0;
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace vh::test
