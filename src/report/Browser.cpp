#include "report/Browser.h"

#include "base/Settings.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace vh::report {

namespace {

constexpr int LookupTimeoutMs = 5000;

// The first word of a command line, with the quotes around it removed.
QString firstWord(const QString& commandLine)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    return words.isEmpty() ? QString() : words.first();
}

QString desktopDefaultHtmlHandler()
{
#if defined(Q_OS_WIN)
    // the file association: .html names a class whose open command starts the browser
    const QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
    const QString documentClass = classes.value(QStringLiteral(".html/.")).toString();
    if (documentClass.isEmpty())
        return QString();
    return firstWord(classes.value(documentClass + QStringLiteral("/shell/open/command/.")).toString());
#else
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(LookupTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(LookupTimeoutMs);
        return QString();
    }
    const QString entryName = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (entryName.isEmpty() || entryName.contains(QLatin1Char('/')))
        return QString();
    QFile entry(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entryName));
    if (entry.fileName().isEmpty() || !entry.open(QIODevice::ReadOnly))
        return QString();
    return Browser::programOfDesktopEntry(entry.read(1024 * 1024));
#endif
}

} // namespace

Browser::Browser(const base::Settings& settings) : m_settings(settings)
{
    m_starter = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        return process.startDetached();
    };
}

bool Browser::StartNewBrowser(const QString& url)
{
    QString browser;
    if (m_settings.isOn(base::Setting::UseOwnBrowser)) {
        browser = m_settings.value(base::Setting::BrowserPath);
    } else {
        int code = 0;
        browser = GetBrowserName(&code);
        if (code < 32)
            return false;
    }
    if (browser.trimmed().isEmpty())
        return false;
    // the address is one argument of its own, so blanks or quotes in it cannot add options
    QStringList arguments = QProcess::splitCommand(GetBrowserOptions(browser).trimmed());
    arguments << url;
    return m_starter(browser, arguments);
}

QString Browser::GetBrowserName(int* resultCode)
{
    const QString program = desktopDefaultHtmlHandler();
    if (resultCode)
        *resultCode = program.isEmpty() ? LookupNoAssociation : LookupFound;
    return program;
}

QString Browser::GetBrowserOptions(const QString& browserPath)
{
    const QString path = browserPath.toLower();
    if (path.contains(QLatin1String("iexplore.exe")))
        return QStringLiteral(" -nohome ");
    if (path.contains(QLatin1String("netscape.exe")))
        return QStringLiteral(" ");
    if (path.contains(QLatin1String("netscp.exe")) || path.contains(QLatin1String("firefox.exe")))
        return QStringLiteral(" -url ");
    return QStringLiteral(" ");
}

QString Browser::programOfDesktopEntry(const QByteArray& desktopEntry)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : desktopEntry.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || !line.startsWith("Exec="))
            continue;
        const QString program = firstWord(QString::fromUtf8(line.mid(5)));
        if (program.isEmpty() || program.startsWith(QLatin1Char('%')))
            return QString();
        if (QFileInfo(program).isAbsolute())
            return program;
        return QStandardPaths::findExecutable(program);
    }
    return QString();
}

} // namespace vh::report
