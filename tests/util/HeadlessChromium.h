#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vh::test {

// Debian's chromium without a window, for suites that check pages as a browser shows them: opens one address
// with a fresh profile, lets the page's scripts run, and returns the document as it then stands with every
// message the page left on the console (script errors, refused scripts).
class HeadlessChromium final
{
public:
    struct Page
    {
        bool ran = false; // the browser started and printed a document
        QString dom;
        QStringList console;
        QString problem;
    };

    // Empty when chromium is not installed.
    static QString executable();
    // scriptBudgetMs: how long the page's loads and timers may run (virtual time) before the document is taken.
    static Page open(const QUrl& url, int scriptBudgetMs = 5000, int timeoutMs = 90000);
};

} // namespace vh::test
