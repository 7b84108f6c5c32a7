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
    // Optional eighth line: the chat webhook that detections are posted to; empty when the file has none.
    QString AlertWebhookUrl;

    // Reads the file; every failed step (open, each of the six reads, close) gives one problem line to log
    // and leaves its value empty. A missing seventh line is no problem.
    QStringList LoadLinks(const QString& path);
    // Line number (from 1) of the file without its line end; empty when the file is shorter or unreadable.
    static QString optionalLine(const QString& path, int number);
};

} // namespace vh::base
