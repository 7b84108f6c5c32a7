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
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

HeadlessChromium::Page HeadlessChromium::open(const QUrl& url, int scriptBudgetMs, int timeoutMs)
{
    Page page;
    QTemporaryDir profile;
    QProcess browser;
    // nothing but the page's own address: no sync, updates, field trials or other traffic
    QStringList arguments = QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                           "--disable-background-networking --disable-component-update "
                                           "--disable-sync --enable-logging=stderr --v=0 --dump-dom")
                                .split(QLatin1Char(' '));
    arguments << QStringLiteral("--user-data-dir=") + profile.path()
              << QStringLiteral("--virtual-time-budget=%1").arg(scriptBudgetMs) << url.toString(QUrl::FullyEncoded);
    // the suites serve the pages on their own event loop, so the browser is waited for without blocking it
    QEventLoop wait;
    QObject::connect(&browser, &QProcess::finished, &wait, &QEventLoop::quit);
    QObject::connect(&browser, &QProcess::errorOccurred, &wait, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
    browser.start(executable(), arguments);
    if (browser.state() != QProcess::NotRunning)
        wait.exec();
    if (browser.state() != QProcess::NotRunning) {
        browser.kill();
        browser.waitForFinished(5000);
    }
    page.dom = QString::fromUtf8(browser.readAllStandardOutput());
    page.ran = browser.exitStatus() == QProcess::NormalExit && page.dom.contains(QLatin1String("<html"));
    if (!page.ran)
        page.problem = QStringLiteral("chromium gave no document: ") + browser.errorString();
    // "[pid:tid:date:INFO:CONSOLE:12] "message", source: http://... (12)"
    static const QRegularExpression consoleLine(QStringLiteral(":CONSOLE[:(]?\\d*\\)?\\] (.*)$"));
    for (const QString& line : QString::fromUtf8(browser.readAllStandardError()).split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = consoleLine.match(line); m.hasMatch())
            page.console << m.captured(1);
    }
    return page;
}

} // namespace vh::test
