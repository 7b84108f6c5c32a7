#include "util/HeadlessChromium.h"

#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace vh::test {

QString HeadlessChromium::executable()
{
    for (const char* name : {"chromium", "chromium-browser"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

HeadlessChromium::Page HeadlessChromium::open(const QUrl& url, int scriptBudgetMs, int timeoutMs)
{
    Page page;
    const QString program = executable();
    if (program.isEmpty()) {
        page.problem = QStringLiteral("chromium is not installed");
        return page;
    }
    QTemporaryDir profile;
    QProcess browser;
    // nothing but the page's own address: no sync, updates, field trials or other traffic
    browser.start(program,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                   QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                   QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                   QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile.path(),
                   QStringLiteral("--enable-logging=stderr"), QStringLiteral("--v=0"),
                   QStringLiteral("--virtual-time-budget=%1").arg(scriptBudgetMs), QStringLiteral("--dump-dom"),
                   url.toString(QUrl::FullyEncoded)});
    // the suites run the server on their own event loop, so the browser is waited for without blocking it
    QEventLoop wait;
    QObject::connect(&browser, &QProcess::finished, &wait, &QEventLoop::quit);
    QObject::connect(&browser, &QProcess::errorOccurred, &wait, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
    if (browser.state() != QProcess::NotRunning)
        wait.exec();
    if (browser.state() != QProcess::NotRunning) {
        browser.kill();
        browser.waitForFinished(5000);
        page.problem = QStringLiteral("chromium did not finish within %1 ms").arg(timeoutMs);
        return page;
    }
    page.dom = QString::fromUtf8(browser.readAllStandardOutput());
    page.ran = browser.exitStatus() == QProcess::NormalExit && page.dom.contains(QLatin1String("<html"));
    if (!page.ran)
        page.problem = QStringLiteral("chromium ended with %1").arg(browser.exitCode());
    // "[pid:tid:date:INFO:CONSOLE(12)] "message", source: http://... (12)"
    static const QRegularExpression consoleLine(QStringLiteral(":CONSOLE[:(]?\\d*\\)?\\] (.*)$"));
    for (const QString& line : QString::fromUtf8(browser.readAllStandardError()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = consoleLine.match(line);
        if (m.hasMatch())
            page.console << m.captured(1);
    }
    return page;
}

} // namespace vh::test
