#include "base/Links.h"

#include <QFile>

namespace vh::base {

namespace {

QString readLine(QFile& file)
{
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLatin1(line);
}

} // namespace

QStringList Links::LoadLinks(const QString& path)
{
    const QString problem = QStringLiteral("Problems in Loading Links, error:");
    QStringList problems;
    QString* const values[] = {&AasaBanlistUrl, &AasaSearchUrl,   &AasaReportUrl,
                               &TrollbaitUrl,   &ProviderInfoUrl, &AciBanlistUrl};
    QFile file(path);
    const bool open = file.open(QIODevice::ReadOnly);
    if (!open)
        problems << problem + file.errorString();
    for (QString* value : values) {
        value->clear();
        if (!open) {
            problems << problem + QStringLiteral("Bad file name or number");
            continue;
        }
        if (file.atEnd()) {
            problems << problem + QStringLiteral("Input past end of file");
            continue;
        }
        *value = readLine(file);
    }
    AciVerifyUrl.clear();
    if (open && !file.atEnd())
        AciVerifyUrl = readLine(file).trimmed();
    if (!open)
        problems << problem + QStringLiteral("Bad file name or number");
    // lines after the six are optional: a missing one is no problem to report
    AlertWebhookUrl = optionalLine(path, 8).trimmed();
    return problems;
}

QString Links::optionalLine(const QString& path, int number)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray line;
    for (int i = 1; i <= number; ++i) {
        if (file.atEnd())
            return {};
        line = file.readLine();
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLatin1(line);
}

} // namespace vh::base
