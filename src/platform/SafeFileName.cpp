#include "platform/SafeFileName.h"

#include <QFileInfo>

namespace vh::platform {

QByteArray safeFileNamePart(const QByteArray& text, int maxLength)
{
    static const QByteArray refused = QByteArrayLiteral("/\\:*?\"<>|");
    QByteArray out = text.left(maxLength);
    for (char& ch : out) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 32 || u > 126 || refused.contains(ch))
            ch = '_';
    }
    for (qsizetype i = 0; i < out.size() && (out[i] == '.' || out[i] == ' '); ++i)
        out[i] = '_';
    for (qsizetype i = out.size() - 1; i >= 0 && (out[i] == '.' || out[i] == ' '); --i)
        out[i] = '_';
    return out;
}

QString unusedPath(const QString& folder, const QString& baseName, const QString& suffix, int limit)
{
    for (int n = 1; n <= limit; ++n) {
        const QString candidate = folder + QLatin1Char('/') + baseName +
                                  (n == 1 ? QString() : QLatin1Char('_') + QString::number(n)) + suffix;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    return QString();
}

} // namespace vh::platform
