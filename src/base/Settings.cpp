#include "base/Settings.h"

#include "platform/AtomicFile.h"

#include <QFile>

namespace vh::base {

namespace {
const QString LoadProblem = QStringLiteral("Problems in Loading Settings, error:");
const QString SaveProblem = QStringLiteral("Problems in Saving Settings, error:");
} // namespace

int Settings::number(Setting s, int fallback) const
{
    bool ok = false;
    const int n = value(s).trimmed().toInt(&ok);
    return ok ? n : fallback;
}

void Settings::parse(const QByteArray& content)
{
    const QList<QByteArray> lines = content.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.startsWith('s'))
            continue;
        // the key is the digits up to the colon, so s1: never matches the line s10:1
        const qsizetype colon = line.indexOf(':');
        if (colon < 2)
            continue;
        bool ok = false;
        const int key = line.mid(1, colon - 1).toInt(&ok);
        if (!ok || key < 1 || key > StoredSlots || line.mid(1, colon - 1) != QByteArray::number(key))
            continue;
        m_slots[std::size_t(key - 1)] = QString::fromLatin1(line.mid(colon + 1));
    }
}

QByteArray Settings::serialize() const
{
    QByteArray out;
    for (int k = 1; k <= StoredSlots; ++k) {
        QByteArray value = m_slots[std::size_t(k - 1)].toLatin1();
        // a line break inside a value would end its line early and could set another key on reading
        value.replace('\r', "").replace('\n', "");
        out += 's' + QByteArray::number(k) + ':' + value + "\r\n";
    }
    return out;
}

QStringList Settings::LoadSettings(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {LoadProblem + file.errorString()};
    parse(file.readAll());
    return {};
}

QStringList Settings::SaveSettings(const QString& path) const
{
    QStringList problems = platform::writeFileAtomically(path, serialize());
    for (QString& problem : problems)
        problem.prepend(SaveProblem);
    return problems;
}

} // namespace vh::base
