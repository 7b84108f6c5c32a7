#include "banlists/Banlists.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Workspace.h"

#include <QFile>

namespace vh::banlists {

Banlists::Banlists(base::ActivityLog& log, const base::Workspace& workspace, QObject* parent)
    : QObject(parent), m_log(log), m_workspace(workspace)
{
}

bool Banlists::readList(const QString& path, QByteArray* text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > Banlist::MaxFileBytes)
        return false;
    *text = file.readAll();
    return true;
}

void Banlists::logProblems(const QString& file, const QList<int>& rows)
{
    for (int row : rows)
        m_log.Log(QStringLiteral("Problem loading ") + file + QStringLiteral(", row ") + QString::number(row));
}

void Banlists::LoadAasaBanlist()
{
    const QString name = QStringLiteral("aasaprivbanguid.txt");
    QByteArray text;
    if (readList(m_workspace.path(base::Paths::AasaBanlistFile), &text)) {
        logProblems(name, m_aasa.parseAasa(text));
    } else {
        m_aasa.clear(false);
        logProblems(name, {0});
    }
    setPanel(4, QStringLiteral("AASA Info: ") + QString::fromLatin1(m_aasa.info()));
    setPanel(3, QStringLiteral("AASA bans: ") + QString::number(m_aasa.count()));
}

void Banlists::LoadAciBanlist()
{
    const QString name = QStringLiteral("pbbans.txt");
    QByteArray text;
    const bool read = readList(m_workspace.path(base::Paths::AciBanlistFile), &text);
    if (read && !text.isEmpty()) {
        logProblems(name, m_aci.parseAci(text));
        setPanel(6, QStringLiteral("ACI Info: ") + QString::fromLatin1(m_aci.info()));
    } else {
        // without a first line the info text and its panel keep what they showed
        m_aci.clear(true);
        logProblems(name, {0});
    }
    setPanel(5, QStringLiteral("ACI bans: ") + QString::number(m_aci.count()));
}

BanStatus Banlists::ShowBanStatus(const QByteArray& guid) const
{
    BanStatus status;
    const auto describe = [&guid](const Banlist& list, QString* text, base::Colour* colour) {
        const int i = list.findLast(guid);
        if (i == 0) {
            *text = QStringLiteral("Not Banned");
            *colour = NotBannedColour;
        } else {
            *text = QString::fromLatin1(list.entry(i).BannedName + ", " + list.entry(i).Reason);
            *colour = BannedColour;
        }
    };
    describe(m_aasa, &status.aasaText, &status.aasaColour);
    describe(m_aci, &status.aciText, &status.aciColour);
    return status;
}

QString Banlists::panelText(int panel) const
{
    return panel >= 3 && panel <= 6 ? m_panels[std::size_t(panel - 3)] : QString();
}

void Banlists::setPanel(int panel, const QString& text)
{
    m_panels[std::size_t(panel - 3)] = text;
    Q_EMIT panelTextChanged(panel, text);
}

} // namespace vh::banlists
