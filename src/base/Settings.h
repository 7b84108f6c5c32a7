#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace vh::base {

// Every stored setting by name; the value is its slot in the table and (plus one) its key in Settings.dat.
enum class Setting : int {
    SkipAasaPbssOnly = 0,
    BanlistUpdateMinutes = 1,
    ReportOnAutoDetect = 2,
    SkipAasaBanned = 3,
    ScanSsCleaner = 4,
    ScanNameChanger = 5,
    ScanNoFog = 6,
    DisplayMode = 7,
    StopOnDetection = 8,
    ScanColorCodes = 9,
    WarnReportResponsibility = 10,
    AutoBanlistUpdate = 11,
    LimitPerServer = 12,
    UnusedText1 = 13, // stored only, read by nothing
    Threads = 14,
    VerboseLogging = 15,
    LogOnClose = 16,
    SlideshowTenths = 17,
    DownloadedCount = 18,
    LoopScan = 19,
    PlayEnemySpotted = 20,
    PerServerLimit = 21,
    UseOwnBrowser = 22,
    DiscoveryCursor = 23,
    BrowserPath = 24,
    LimitByAge = 25,
    MaxAgeHours = 26,
    ServerDiscovery = 27,
    UseGameSpy = 28,
    EnsureAciBanlist = 29,
    SkipAciBanned = 30,
    SkipAciPbssOnly = 31,
    EnsureAasaBanlist = 32,
};

// The table of setting slots. A slot is empty until set; a switch is on only when its slot holds "1".
class Settings final
{
public:
    static constexpr int SlotCount = 100;
    static constexpr int StoredSlots = 40;

    QString value(Setting s) const { return m_slots[std::size_t(s)]; }
    void setValue(Setting s, const QString& v) { m_slots[std::size_t(s)] = v; }
    bool isOn(Setting s) const { return value(s) == QLatin1String("1"); }
    // The slot as a whole number, or fallback when it holds none.
    int number(Setting s, int fallback = 0) const;

    QString slot(int index) const { return m_slots.at(std::size_t(index)); }
    void setSlot(int index, const QString& v) { m_slots.at(std::size_t(index)) = v; }

    // Reads the file; keys that do not occur leave their slot unchanged. Returns the problem lines to log.
    QStringList LoadSettings(const QString& path);
    // Writes the 40 stored slots; returns the problem lines to log (empty on success).
    QStringList SaveSettings(const QString& path) const;

    // The parsing and formatting behind the two, over bytes.
    void parse(const QByteArray& content);
    QByteArray serialize() const;

private:
    std::array<QString, SlotCount> m_slots{};
};

} // namespace vh::base
