#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vh::test {

// A real Chromium without a window (Debian's chromium), for the suites that check pages as a browser shows
// them: it opens one address with a fresh profile, lets the page's scripts run, and hands back the document as
// it then stands together with every message the page wrote to the console (errors, refused scripts).
class HeadlessChromium final
{
public:
    struct Page
    {
        bool ran = false;    // the browser started and printed a document
        QString dom;         // the document after its scripts ran
        QStringList console; // console messages, one per entry
        QString problem;     // why it did not run
    };

    // The chromium executable, empty when it is not installed.
    static QString executable();
    // scriptBudgetMs: how long the page's timers and loads may run (virtual time) before the document is taken.
    static Page open(const QUrl& url, int scriptBudgetMs = 5000, int timeoutMs = 90000);
};

} // namespace vh::test
