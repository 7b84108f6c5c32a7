#include "hunt/PreyList.h"

#include "banlists/Banlist.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QSet>

#include <utility>

namespace vh::hunt {

namespace {

// A prey file of this size is no watch list; reading it whole would only exhaust memory.
constexpr qint64 MaxPreyFileBytes = 64LL * 1024 * 1024;

base::Checked<QByteArray> readFile(const QString& path)
{
    using Result = base::Checked<QByteArray>;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Result::failed(f.errorString());
    if (f.size() > MaxPreyFileBytes)
        return Result::failed(QStringLiteral("the file is larger than %1 bytes").arg(MaxPreyFileBytes));
    return Result::good(f.readAll());
}

} // namespace

QString PreyList::ImportResult::message() const
{
    QString text = QStringLiteral("Added to praylist: ") + QString::number(added);
    if (banned != 0)
        text += QStringLiteral("\r\nAlready on banlist: ") + QString::number(banned);
    if (skipped != 0)
        text += QStringLiteral("\r\nSkipped since already on Praylist: ") + QString::number(skipped);
    return text;
}

QList<QByteArray> PreyList::textLines(const QByteArray& content)
{
    QList<QByteArray> lines = content.split('\n');
    // the text after the last line end is a line only when it is not empty
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

base::Checked<QList<QByteArray>> PreyList::parseFile(const QByteArray& content)
{
    using Result = base::Checked<QList<QByteArray>>;
    QList<QByteArray> lines = textLines(content);
    if (lines.isEmpty())
        return Result::failed(QStringLiteral("the file holds no entry count"));
    const QByteArray countText = lines.takeFirst();
    bool ok = false;
    const int n = countText.trimmed().toInt(&ok);
    // a damaged count must not cost the entries: the next save would write the list without them
    if (!ok || n < 0) {
        return Result::failed(
            QStringLiteral("the entry count \"%1\" is not a number; the %2 lines after it were loaded")
                .arg(QString::fromLatin1(countText))
                .arg(lines.size()),
            lines);
    }
    if (n > lines.size()) {
        return Result::failed(
            QStringLiteral("the file names %1 entries but holds %2; those %2 were loaded").arg(n).arg(lines.size()),
            lines);
    }
    return Result::good(lines.mid(0, n));
}

base::Problems PreyList::LoadPrayList(const QString& path)
{
    const base::Checked<QByteArray> content = readFile(path);
    if (!content.ok())
        return QFile::exists(path) ? content.problems : base::Problems{QStringLiteral("File not found")};
    const base::Checked<QList<QByteArray>> parsed = parseFile(content.value);
    m_entries += parsed.value;
    return parsed.problems;
}

QByteArray PreyList::fileContent(const QList<QByteArray>& entries)
{
    QByteArray out = ' ' + QByteArray::number(entries.size()) + "\r\n";
    for (const QByteArray& e : entries)
        out += e + "\r\n";
    return out;
}

base::Problems PreyList::SavePrayList(const QString& path) const
{
    return platform::writeFileAtomically(path, fileContent(m_entries));
}

bool PreyList::add(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    m_entries.append(text);
    return true;
}

bool PreyList::removeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries.removeAt(index);
    return true;
}

bool PreyList::removeFirst(const QByteArray& text)
{
    return removeAt(int(m_entries.indexOf(text)));
}

QStringList PreyList::banLines(const QByteArray& text, const banlists::Banlist& aasa)
{
    QStringList lines;
    const int first = aasa.findFirst(text);
    const int last = aasa.findLast(text);
    for (int i = first; first > 0 && i <= last; ++i) {
        const banlists::BanEntry& ban = aasa.entry(i);
        if (ban.Guid == text)
            lines << QString::fromLatin1(text + " already on banlist as: " + ban.BannedName +
                                         ", banned for : " + ban.Reason);
    }
    return lines;
}

PreyList::ImportResult PreyList::importLines(const QList<QByteArray>& lines, const banlists::Banlist& aasa,
                                             bool addBanned)
{
    ImportResult result;
    for (const QByteArray& line : lines) {
        bool banned = false;
        if (!addBanned) {
            const QStringList found = banLines(line, aasa);
            result.huntLog += found;
            banned = !found.isEmpty();
        }
        // every equal entry counts, not the line
        const int equal = int(m_entries.count(line));
        if (equal > 0) {
            result.skipped += equal;
            continue;
        }
        if (!banned) {
            if (!line.isEmpty()) {
                m_entries.append(line);
                ++result.added;
            }
        } else {
            ++result.banned;
        }
    }
    return result;
}

QStringList PreyList::replaceWithTrollbait(const QByteArray& page, const banlists::Banlist& aasa, bool addBanned)
{
    QByteArray text = page;
    for (char& c : text) {
        if (c == '<' || c == '>' || c == '"' || c == '\'' || c == '\r' || c == '\n')
            c = ' ';
    }
    QStringList log;
    m_entries.clear();
    QSet<QByteArray> listed;
    for (const QByteArray& word : text.split(' ')) {
        if (word.size() != 32)
            continue;
        if (!addBanned) {
            const QStringList found = banLines(word, aasa);
            log += found;
            if (!found.isEmpty())
                continue;
        }
        if (listed.contains(word))
            continue;
        listed.insert(word);
        m_entries.append(word);
    }
    log << QString::number(m_entries.size()) + QStringLiteral(" added to praylist");
    return log;
}

void PreyList::replaceWithAci(const banlists::Banlist& aasa, const banlists::Banlist& aci)
{
    m_entries.clear();
    QSet<QByteArray> listed;
    for (int i = std::max(1, aci.count() - 1000); i <= aci.count(); ++i) {
        const banlists::BanEntry& ban = aci.entry(i);
        if (!ban.Reason.toLower().contains("pbss") || aasa.findFirst(ban.Guid) > 0 || listed.contains(ban.Guid))
            continue;
        listed.insert(ban.Guid);
        m_entries.append(ban.Guid);
    }
}

base::Problems AddPrayToFile(const QString& path, const QByteArray& guid)
{
    base::Problems problems;
    QList<QByteArray> entries;
    if (QFile::exists(path)) {
        const base::Checked<QByteArray> content = readFile(path);
        // a file that cannot be read is left as it is rather than replaced by a list of one
        if (!content.ok())
            return content.problems;
        base::Checked<QList<QByteArray>> parsed = PreyList::parseFile(content.value);
        entries = std::move(parsed.value);
        problems = std::move(parsed.problems);
    }
    if (entries.size() >= PreyList::AddGuidCapacity) {
        problems << QStringLiteral("the prey list already holds %1 entries, the most it can hold")
                        .arg(PreyList::AddGuidCapacity);
        return problems;
    }
    entries.append(guid);
    return problems + platform::writeFileAtomically(path, PreyList::fileContent(entries));
}

} // namespace vh::hunt
