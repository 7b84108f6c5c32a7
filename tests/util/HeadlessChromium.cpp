#include "util/HeadlessChromium.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace vh::test {

QString HeadlessChromium::executable()
{
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

QByteArray HeadlessChromium::dumpDom(const QString& url, QString* error, int timeoutMs)
{
    QTemporaryDir profile;
    QProcess chromium;
    const QString flags = QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                         "--disable-background-networking --disable-component-update "
                                         "--disable-sync --no-proxy-server --dump-dom");
    chromium.start(executable(), flags.split(QLatin1Char(' '))
                                     << QStringLiteral("--user-data-dir=") + profile.path() << url);
    if (!chromium.waitForFinished(timeoutMs) || chromium.exitCode() != 0) {
        chromium.kill();
        chromium.waitForFinished();
        *error = chromium.errorString() + QLatin1Char(' ') + QString::fromLocal8Bit(chromium.readAllStandardError());
        return QByteArray();
    }
    return chromium.readAllStandardOutput();
}

} // namespace vh::test
