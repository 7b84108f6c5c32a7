#include "banlists/Banlist.h"

#include "base/Blanks.h"

#include <algorithm>
#include <optional>

namespace vh::banlists {

namespace {

// Position (from 1) of needle at or after start in text, 0 when absent; the arithmetic of the list format is
// written in these positions.
qsizetype inStr(qsizetype start, const QByteArray& text, const char* needle)
{
    if (start > text.size())
        return 0;
    const qsizetype at = text.indexOf(needle, std::max<qsizetype>(start, 1) - 1);
    return at < 0 ? 0 : at + 1;
}

// The length characters from start (from 1); nothing when the piece cannot be cut.
std::optional<QByteArray> mid(const QByteArray& text, qsizetype start, qsizetype length)
{
    if (start < 1 || length < 0)
        return std::nullopt;
    return text.mid(start - 1, length);
}

using base::trimBlanks;

} // namespace

void Banlist::clear(bool keepInfo)
{
    m_entries.assign(1, BanEntry{});
    m_index.clear();
    m_capacity = 0;
    if (!keepInfo)
        m_info.clear();
}

void Banlist::reset(qsizetype pieces)
{
    m_entries.assign(1, BanEntry{});
    m_capacity = int(std::min<qsizetype>(pieces + 9, MaxCount));
}

bool Banlist::roomForRow(QList<int>& problems)
{
    if (count() < m_capacity)
        return true;
    problems.append(count());
    return false;
}

QList<int> Banlist::parseAasa(const QByteArray& text)
{
    QList<int> problems;
    m_info.clear();
    const qsizetype bracket = inStr(1, text, "[");
    if (bracket == 0) {
        problems.append(0);
    } else {
        QByteArray info = text.left(bracket - 1);
        info.replace(";", "").replace("\n", "").replace("\r", "");
        m_info = trimBlanks(info);
    }
    reset(text.count('\n') + 1);

    for (qsizetype p = inStr(1, text, "] "); p > 0; p = inStr(p + 1, text, "] ")) {
        // a list with more rows than its table holds is cut with one problem line, not one per row
        if (!roomForRow(problems))
            break;
        BanEntry e;
        e.Guid = text.mid(p + 1, 32);
        const qsizetype a = inStr(p + 5, text, " ");
        const qsizetype b = inStr(a + 1, text, " ");
        const qsizetype c = inStr(b + 1, text, " ");
        qsizetype end = inStr(c + 1, text, "\n");
        if (end == 0)
            end = text.size() + 1;
        if (const auto name = mid(text, a + 1, b - a - 1))
            e.BannedName = QByteArray(*name).replace("\"", "");
        else
            problems.append(count() + 1);
        if (const auto reason = mid(text, c + 1, end - c - 1))
            e.Reason = QByteArray(*reason).replace('\t', ' ').replace("\r", "").replace("\n", "").replace("\"", "");
        else
            problems.append(count() + 1);
        m_entries.push_back(std::move(e));
    }
    buildIndex();
    return problems;
}

QList<int> Banlist::parseAci(const QByteArray& raw)
{
    QList<int> problems;
    if (raw.isEmpty()) {
        problems.append(0);
        reset(0);
        buildIndex();
        return problems;
    }
    QByteArray text = raw;
    text.replace("\"", "");
    const QList<QByteArray> pieces = text.split('\n');
    m_info = pieces.first();
    reset(pieces.size());
    for (qsizetype r = 2; r <= pieces.size() - 2; ++r) {
        if (!roomForRow(problems))
            break;
        const QList<QByteArray> tokens = pieces[r].split(' ');
        BanEntry e;
        const auto token = [&](qsizetype k, QByteArray& field) {
            if (k < tokens.size())
                field = tokens[k];
            else
                problems.append(count() + 1);
        };
        token(2, e.Guid);
        token(3, e.BannedName);
        token(5, e.Reason);
        m_entries.push_back(std::move(e));
    }
    buildIndex();
    return problems;
}

void Banlist::buildIndex()
{
    m_index.clear();
    m_index.reserve(count());
    for (int i = 1; i <= count(); ++i) {
        auto it = m_index.find(m_entries[std::size_t(i)].Guid);
        if (it == m_index.end())
            m_index.insert(m_entries[std::size_t(i)].Guid, {i, i});
        else
            it->second = i;
    }
}

int Banlist::findFirst(const QByteArray& guid) const
{
    const auto it = m_index.constFind(guid);
    return it == m_index.cend() ? 0 : it->first;
}

int Banlist::findLast(const QByteArray& guid) const
{
    const auto it = m_index.constFind(guid);
    return it == m_index.cend() ? 0 : it->second;
}

} // namespace vh::banlists
