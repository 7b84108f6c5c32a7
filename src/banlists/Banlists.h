#pragma once

#include "base/Colours.h"
#include "banlists/Banlist.h"

#include <QObject>
#include <QString>

#include <array>

namespace vh::base {
class ActivityLog;
class Workspace;
} // namespace vh::base

namespace vh::banlists {

// What the review window shows beside "AASA:" and "ACI:" for a GUID.
struct BanStatus
{
    QString aasaText;
    base::Colour aasaColour = 0;
    QString aciText;
    base::Colour aciColour = 0;
};

// The two banlists in memory, AasaBans and AciBans, with their info texts and the status-bar panels 3 to 6
// that show them.
class Banlists final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Banlists)

public:
    static constexpr base::Colour NotBannedColour = 0x00FF00;
    static constexpr base::Colour BannedColour = 0x0000FF;
    static constexpr base::Colour CheatingBackground = 128;    // dark red
    static constexpr base::Colour CleanBackground = 112 * 256; // dark green

    Banlists(base::ActivityLog& log, const base::Workspace& workspace, QObject* parent = nullptr);

    void LoadAasaBanlist();
    void LoadAciBanlist();

    const Banlist& AasaBans() const { return m_aasa; }
    const Banlist& AciBans() const { return m_aci; }
    int AasaBanCount() const { return m_aasa.count(); }
    int AciBanCount() const { return m_aci.count(); }
    QByteArray AasaInfo() const { return m_aasa.info(); }
    QByteArray AciInfo() const { return m_aci.info(); }

    // First entry with exactly this GUID, 0 when none.
    int FindAasaBan(const QByteArray& guid) const { return m_aasa.findFirst(guid); }
    int FindAciBan(const QByteArray& guid) const { return m_aci.findFirst(guid); }
    // The two status texts with their colours; the last matching entry of each list wins.
    BanStatus ShowBanStatus(const QByteArray& guid) const;
    // Background of the entry's detail boxes: dark red for an entry marked cheating, else dark green.
    static base::Colour detailBackground(bool cheating) { return cheating ? CheatingBackground : CleanBackground; }

    // Text of status-bar panel 3 to 6.
    QString panelText(int panel) const;

Q_SIGNALS:
    void panelTextChanged(int panel, const QString& text);

private:
    // The file's bytes; false when it is missing, unreadable or larger than any real list.
    static bool readList(const QString& path, QByteArray* text);
    void setPanel(int panel, const QString& text);
    void logProblems(const QString& file, const QList<int>& rows);

    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    Banlist m_aasa;
    Banlist m_aci;
    std::array<QString, 4> m_panels{};
};

} // namespace vh::banlists
