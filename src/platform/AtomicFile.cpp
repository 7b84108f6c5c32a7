#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace vh::platform {

bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    // unbuffered, because a buffered write that falls short (a full disk) is not reported by commit()
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 written = file.write(content);
    if (written != content.size()) {
        if (error) {
            *error = written < 0
                         ? file.errorString()
                         : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(content.size());
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vh::platform
