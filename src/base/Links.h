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

    // Reads the file; every failed step (open, each of the six reads, close) gives one problem line to log
    // and leaves its value empty.
    QStringList LoadLinks(const QString& path);
};

} // namespace vh::base
