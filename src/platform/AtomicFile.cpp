#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace vh::platform {

Problems writeFileAtomically(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    // unbuffered, because a buffered write that falls short (a full disk) is not reported by commit()
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {file.errorString()};
    const qint64 written = file.write(content);
    if (written != content.size()) {
        const QString why =
            written < 0 ? file.errorString()
                        : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(content.size());
        file.cancelWriting();
        return {why};
    }
    if (!file.commit())
        return {file.errorString()};
    return {};
}

} // namespace vh::platform
