#include "collect/KnownShots.h"

#include "database/Database.h"

#include <bit>
#include <cstring>
#include <limits>

namespace vh::collect {

void KnownShots::build(const database::Database& database)
{
    std::vector<QByteArray> texts;
    texts.reserve(std::size_t(database.EntryCount()));
    for (int i = 1; i <= database.EntryCount(); ++i)
        texts.push_back(database.entry(i).IndexText);
    m_texts = std::move(texts);
    index();
}

void KnownShots::build(const std::vector<QByteArray>& texts)
{
    m_texts = texts;
    index();
}

std::uint64_t KnownShots::mix(const char* gram)
{
    std::uint64_t x = 0;
    std::memcpy(&x, gram, GramBytes);
    x *= 0x9E3779B97F4A7C15ULL;
    x ^= x >> 32;
    x *= 0xD6E8FEB86659FD93ULL;
    return x;
}

std::uint32_t KnownShots::bucketOf(const char* gram) const
{
    return std::uint32_t(mix(gram) >> (64 - m_bits));
}

bool KnownShots::present(const char* gram) const
{
    const std::uint64_t bit = mix(gram) & ((std::uint64_t(1) << m_presentBits) - 1);
    return (m_present[bit >> 6] >> (bit & 63)) & 1;
}

void KnownShots::index()
{
    std::size_t grams = 0;
    for (const QByteArray& t : m_texts) {
        if (t.size() >= GramBytes)
            grams += std::size_t(t.size() - GramBytes) / Step + 1;
    }
    m_bits = std::max(10, int(std::bit_width(grams)));
    const std::size_t buckets = std::size_t(1) << m_bits;
    m_presentBits = m_bits + 3;
    m_present.assign((std::size_t(1) << m_presentBits) / 64, 0);

    // counting sort by bucket: first the sizes, then each bucket filled from its end
    m_bucketStart.assign(buckets + 1, 0);
    for (const QByteArray& t : m_texts) {
        for (qsizetype p = 0; p + GramBytes <= t.size(); p += Step) {
            const std::uint64_t x = mix(t.constData() + p);
            ++m_bucketStart[x >> (64 - m_bits)];
            const std::uint64_t bit = x & ((std::uint64_t(1) << m_presentBits) - 1);
            m_present[bit >> 6] |= std::uint64_t(1) << (bit & 63);
        }
    }
    std::uint32_t sum = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        sum += m_bucketStart[b];
        m_bucketStart[b] = sum;
    }
    m_bucketStart[buckets] = sum;
    m_ids.assign(grams, 0);
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        const QByteArray& t = m_texts[i];
        for (qsizetype p = 0; p + GramBytes <= t.size(); p += Step)
            m_ids[--m_bucketStart[bucketOf(t.constData() + p)]] = std::uint32_t(i);
    }
}

bool KnownShots::containsByScan(QByteArrayView text) const
{
    for (const QByteArray& t : m_texts) {
        if (t.size() >= text.size() && t.contains(text))
            return true;
    }
    return false;
}

bool KnownShots::contains(QByteArrayView text) const
{
    if (m_texts.empty())
        return false;
    // too short to hold a full piece at every offset: rare, and answered by a plain scan
    if (text.size() < GramBytes + Step - 1)
        return containsByScan(text);
    // If the text sits at offset o of an entry, its pieces at positions t, t + 32, ... with t = (32 - o % 32) % 32
    // were all indexed; so for each t the smallest of their buckets holds every entry that can contain it.
    for (qsizetype t = 0; t < Step; ++t) {
        std::uint32_t bestBucket = 0;
        std::uint32_t bestSize = std::numeric_limits<std::uint32_t>::max();
        bool possible = true;
        for (qsizetype p = t; p + GramBytes <= text.size() && possible; p += Step)
            possible = present(text.data() + p);
        if (!possible)
            continue;
        for (qsizetype p = t; p + GramBytes <= text.size() && bestSize > 0; p += Step) {
            const std::uint32_t b = bucketOf(text.data() + p);
            const std::uint32_t size = m_bucketStart[b + 1] - m_bucketStart[b];
            if (size < bestSize) {
                bestSize = size;
                bestBucket = b;
            }
        }
        if (bestSize == 0)
            continue;
        std::uint32_t previous = std::numeric_limits<std::uint32_t>::max();
        for (std::uint32_t k = m_bucketStart[bestBucket]; k < m_bucketStart[bestBucket + 1]; ++k) {
            const std::uint32_t id = m_ids[k];
            if (id == previous)
                continue;
            previous = id;
            const QByteArray& candidate = m_texts[id];
            if (candidate.size() >= text.size() && candidate.contains(text))
                return true;
        }
    }
    return false;
}

} // namespace vh::collect
