#pragma once

#include <QString>
#include <QStringList>

namespace vh::base {

// The six addresses of data/Links.dat, one per line in this order.
struct Links
{
    QString AasaBanlistUrl;
    QString AasaSearchUrl;
    QString AasaReportUrl;
    QString TrollbaitUrl;
    QString ProviderInfoUrl;
    QString AciBanlistUrl;
    // Optional eighth line: the chat webhook that detections are posted to; empty when the file has none.
    QString AlertWebhookUrl;

    // Reads the file; every failed step (open, each of the six reads, close) gives one problem line to log
    // and leaves its value empty.
    QStringList LoadLinks(const QString& path);
    // Line number (from 1) of the file without its line end; empty when the file is shorter or unreadable.
    static QString optionalLine(const QString& path, int number);
};

} // namespace vh::base
