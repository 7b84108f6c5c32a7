#pragma once

#include <QByteArray>
#include <QString>

namespace vh::test {

// Debian's chromium, headless in a fresh profile with its background services off (loopback only).
struct HeadlessChromium
{
    static QString executable(); // empty when chromium is not installed
    // The document after loading url (scripts run, pictures fetched); empty with the reason in error on failure.
    static QByteArray dumpDom(const QString& url, QString* error, int timeoutMs = 90000);
};

} // namespace vh::test
