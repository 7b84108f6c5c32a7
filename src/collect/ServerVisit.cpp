#include "collect/ServerVisit.h"

#include "banlists/Banlists.h"
#include "banlists/VersionChecks.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "collect/IndexPage.h"
#include "collect/KnownShots.h"
#include "collect/PageTable.h"
#include "platform/EventWait.h"

#include <QElapsedTimer>
#include <QFile>

namespace vh::collect {

namespace {

using base::Setting;

QByteArrayView trimBlanks(QByteArrayView s)
{
    while (!s.isEmpty() && s.front() == ' ')
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == ' ')
        s.chop(1);
    return s;
}

QString printable(QByteArrayView name)
{
    QString out = QString::fromLatin1(name);
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    }
    return out;
}

} // namespace

bool ServerVisit::isSafeFileName(QByteArrayView name)
{
    if (name.isEmpty() || name.contains(QByteArrayView("..")))
        return false;
    for (char ch : name) {
        const uchar c = uchar(ch);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':')
            return false;
    }
    return true;
}

void ServerVisit::ScanIndexPage(const QString& pageUrl)
{
    base::RunFlags& flags = m_flags;
    DownloadPool& pool = m_pool;
    PageTable& table = m_table;
    const base::Settings& settings = m_settings;

    flags.SkipRequested = false;
    table.clear();
    pool.setStatusText(QStringLiteral("Downloading pbsvss.htm"));
    const QByteArray page = pool.GetFile(pageUrl);
    pool.setStatusText(QString());
    if (page.isEmpty())
        return;

    IndexPageLimits limits;
    limits.limitPerServer = settings.isOn(Setting::LimitPerServer);
    limits.perServerLimit = settings.number(Setting::PerServerLimit);
    limits.limitByAge = settings.isOn(Setting::LimitByAge);
    limits.maxAgeHours = settings.number(Setting::MaxAgeHours);
    const IndexPageScan scan = parseIndexPage(page, pageUrl.toLatin1(), limits, PageTable::Capacity);
    if (scan.outcome == IndexPageScan::Outcome::NotIndex) {
        runDueBanlistChecks();
        return;
    }
    m_log.LogVerbose(QStringLiteral("PBSSentries found in html: ") + QString::number(scan.highestIndex));
    if (!scan.linesChosen)
        return;
    m_log.LogVerbose(QStringLiteral("PBSSentries detected to be valid: ") +
                     QString::number(scan.lastLine - scan.firstLine));

    bool stopped = false;
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (std::size_t i = 0; i < scan.entries.size(); ++i) {
        table.append(scan.entries[i]);
        m_log.LogVerbose(QString::fromLatin1(scan.entries[i].IndexText));
        if (flags.StopRequested == 1) {
            stopped = true;
            break;
        }
        if (sinceYield.elapsed() >= YieldIntervalMs) {
            platform::yieldToEvents();
            sinceYield.restart();
        }
    }
    // the line that could not be read ends the visit once the filling has reached it
    if (scan.outcome == IndexPageScan::Outcome::Abandoned && !stopped)
        return;

    pool.clearQueue();
    if (!CollectPbSS(table.PageEntryCount()))
        return;
    pool.RunDownloadQueue();
    runDueBanlistChecks();
}

void ServerVisit::runDueBanlistChecks()
{
    if (!m_flags.BanlistUpdateDue)
        return;
    if (m_settings.isOn(Setting::EnsureAasaBanlist))
        m_checks.CheckAASAbanlistversion();
    if (m_settings.isOn(Setting::EnsureAciBanlist))
        m_checks.CheckACIbanlistversion();
    m_flags.BanlistUpdateDue = false;
}

bool ServerVisit::CollectPbSS(int count)
{
    const base::Settings& settings = m_settings;
    const base::RunFlags& flags = m_flags;
    const banlists::Banlists& bans = m_banlists;
    DownloadPool& pool = m_pool;
    PageTable& table = m_table;

    KnownShots known;
    known.build(m_database);
    const QString pbssFolder = m_workspace.path(base::Paths::Pbss) + QLatin1Char('/');

    const auto banLine = [](const PageEntry& e, const banlists::BanEntry& ban) {
        // a line without "(-)" is logged whole rather than ending the visit
        const qsizetype mark = e.IndexText.indexOf("(-)");
        const QByteArray shown = mark >= 0 ? e.IndexText.left(mark) : e.IndexText;
        return QString::fromLatin1(shown + " already banned for " + ban.Reason + " as: " + ban.BannedName);
    };
    const auto banned = [&](const banlists::Banlist& list, int i, Setting skipAll, Setting skipPbss) {
        const banlists::BanEntry& ban = list.entry(i);
        return settings.isOn(skipAll) || (settings.isOn(skipPbss) && ban.Reason.toLower().contains("pbss"));
    };

    QElapsedTimer sinceYield;
    sinceYield.start();
    for (int k = 1; k <= count && k <= table.PageEntryCount(); ++k) {
        PageEntry& e = table.entry(k);
        bool skip = trimBlanks(e.GUID) == QByteArrayView("?") || known.contains(e.IndexText);
        if (!skip) {
            if (const int a = bans.FindAasaBan(e.GUID)) {
                skip = banned(bans.AasaBans(), a, Setting::SkipAasaBanned, Setting::SkipAasaPbssOnly);
                m_log.Log(banLine(e, bans.AasaBans().entry(a)), base::Colours::Yellow);
            }
            if (const int c = bans.FindAciBan(e.GUID)) {
                skip = banned(bans.AciBans(), c, Setting::SkipAciBanned, Setting::SkipAciPbssOnly) || skip;
                m_log.Log(banLine(e, bans.AciBans().entry(c)), base::Colours::Cyan);
            }
            if (!skip) {
                if (!isSafeFileName(e.FileName)) {
                    m_log.LogVerbose(QStringLiteral("Skipped screenshot with unsafe file name: ") +
                                     printable(e.FileName));
                } else {
                    // a line too short to hold its shot time cannot be read: the visit ends here
                    if (e.IndexText.size() < 20)
                        return false;
                    e.LocalFile = QFile::encodeName(pbssFolder + QString::fromLatin1(e.FileName));
                    e.ShotTime = e.IndexText.mid(e.IndexText.size() - 20, 19);
                    pool.EnqueueDownload(e);
                }
            }
        }
        if (sinceYield.elapsed() >= YieldIntervalMs) {
            platform::yieldToEvents();
            sinceYield.restart();
        }
        if (flags.StopRequested == 1 || flags.SkipRequested)
            break;
    }
    pool.setStatusText(QString());
    return true;
}

} // namespace vh::collect
