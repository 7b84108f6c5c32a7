#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <vector>

namespace vh::database {
class Database;
}

namespace vh::collect {

// Answers whether a page line is already in the database: whether it is part of the IndexText of one
// database entry. Never across the boundary of two entries, and without searching every text per question:
// 8-byte pieces of the texts taken at every 32nd position are hashed into buckets, and a question only
// compares the texts of the smallest bucket its own pieces point to.
class KnownShots final
{
public:
    static constexpr int GramBytes = 8;
    static constexpr int Step = 32; // lines shorter than GramBytes + Step - 1 are answered by a plain scan

    void build(const database::Database& database);
    // Texts of entries 1..n in order; the texts are shared, not copied.
    void build(const std::vector<QByteArray>& texts);
    bool contains(QByteArrayView text) const;
    int size() const { return int(m_texts.size()); }

private:
    void index();
    std::uint32_t bucketOf(const char* gram) const;
    bool present(const char* gram) const;
    static std::uint64_t mix(const char* gram);
    bool containsByScan(QByteArrayView text) const;

    std::vector<QByteArray> m_texts;
    int m_bits = 10;
    std::vector<std::uint32_t> m_bucketStart; // bucket b holds m_ids[start[b] .. start[b + 1])
    std::vector<std::uint32_t> m_ids;
    // one bit per hashed piece, eight bits per piece indexed: most new lines fail here, in cache
    std::vector<std::uint64_t> m_present;
    int m_presentBits = 10;
};

} // namespace vh::collect
