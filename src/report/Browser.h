#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace vh::base {
class Settings;
}

namespace vh::report {

// Opens addresses in a web browser: the one named in the settings when UseOwnBrowser is on, otherwise the
// program the desktop opens .html files with. The browser runs on its own; nobody waits for it.
class Browser final
{
public:
    // Lookup results as the platform counts them: 32 and above is success.
    static constexpr int LookupFound = 33;
    static constexpr int LookupNoAssociation = 31;

    // Starts program with arguments without waiting; true when a process was started.
    using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

    explicit Browser(const base::Settings& settings);

    bool StartNewBrowser(const QString& url);
    // The program registered for ".html" files; resultCode is below 32 when there is none.
    static QString GetBrowserName(int* resultCode = nullptr);
    // The command-line text placed before the address.
    static QString GetBrowserOptions(const QString& browserPath);
    // The program of a desktop entry's Exec line, found on PATH when it is not a full path; empty when none.
    static QString programOfDesktopEntry(const QByteArray& desktopEntry);

    // Tests see the command line instead of a browser window.
    void setStarter(Starter starter) { m_starter = std::move(starter); }

private:
    const base::Settings& m_settings;
    Starter m_starter;
};

} // namespace vh::report
