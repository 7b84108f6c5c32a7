#pragma once

#include "base/Checked.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vh::banlists {
class Banlist;
}

namespace vh::hunt {

// The prey list: player GUIDs or names to watch for, kept exactly as typed or read (letter case and
// surrounding blanks included), and its file data/Pray.dat: a count line, then one entry per line.
class PreyList final
{
public:
    // "Add GUID to Huntmode" extends a file of at most this many entries.
    static constexpr int AddGuidCapacity = 1001;

    // What an import did: the counts of its message box and the Hunt log lines of banned GUIDs.
    struct ImportResult
    {
        int added = 0;
        int banned = 0;
        int skipped = 0;
        QStringList huntLog;
        QString message() const;
    };

    const QList<QByteArray>& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }

    // Appends the file's entries. A missing file loads nothing; a damaged one loads what it holds. Every
    // problem is one description for the caller's "Problems in ..." line.
    base::Problems LoadPrayList(const QString& path);
    // Replaces the file as a whole; the reason when it could not be written.
    base::Problems SavePrayList(const QString& path) const;
    static QByteArray fileContent(const QList<QByteArray>& entries);
    // The entries of a file's content, with the problems of a damaged count (then the entries it holds).
    static base::Checked<QList<QByteArray>> parseFile(const QByteArray& content);

    // "Add": a non-empty text is appended unchanged; duplicates are allowed.
    bool add(const QByteArray& text);
    bool removeAt(int index);
    bool removeFirst(const QByteArray& text);
    void clear() { m_entries.clear(); }

    // Import prey list: the lines of a chosen file, checked against the AASA banlist unless addBanned.
    ImportResult importLines(const QList<QByteArray>& lines, const banlists::Banlist& aasa, bool addBanned);
    // "Replace Pray with the AASA-trollbait": the 32-character words of the page; returns the Hunt log lines.
    QStringList replaceWithTrollbait(const QByteArray& page, const banlists::Banlist& aasa, bool addBanned);
    // "Add ACI": the GUIDs of the newest 1001 ACI bans for screenshots that AASA has not banned.
    void replaceWithAci(const banlists::Banlist& aasa, const banlists::Banlist& aci);

    // The lines of a text file, each without its line end.
    static QList<QByteArray> textLines(const QByteArray& content);

private:
    bool contains(const QByteArray& text) const { return m_entries.contains(text); }
    // The Hunt log lines for a text equal to AASA bans; empty when it is not banned.
    static QStringList banLines(const QByteArray& text, const banlists::Banlist& aasa);

    QList<QByteArray> m_entries;
};

// "Add GUID to Huntmode": appends the GUID to the prey file and writes the file anew. Returns the problem
// descriptions; the GUID is not added when the file already holds AddGuidCapacity entries.
base::Problems AddPrayToFile(const QString& path, const QByteArray& guid);

} // namespace vh::hunt
