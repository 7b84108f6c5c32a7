#pragma once

#include <QString>
#include <QStringList>

namespace vh::base {

// The six addresses of data/Links.dat, one per line in this order, and an optional seventh line: the full
// address the ACI upload posts to (for example "http://host:port/verified/index.php?").
struct Links
{
    QString AasaBanlistUrl;
    QString AasaSearchUrl;
    QString AasaReportUrl;
    QString TrollbaitUrl;
    QString ProviderInfoUrl;
    QString AciBanlistUrl;
    QString AciVerifyUrl; // empty when the file has no seventh line

    // Reads the file; every failed step (open, each of the six reads, close) gives one problem line to log
    // and leaves its value empty. A missing seventh line is no problem.
    QStringList LoadLinks(const QString& path);
};

} // namespace vh::base
