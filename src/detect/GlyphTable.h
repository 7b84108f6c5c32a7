#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace vh::detect {

// The bitmap font PunkBuster draws its text with: 256 glyphs of 13 rows by 8 columns, background 0 and ink 255,
// so a glyph compares directly with the blue bytes of a screenshot.
class GlyphTable final
{
public:
    static constexpr int GlyphCount = 256;
    static constexpr int Rows = 13;
    static constexpr int Columns = 8;
    static constexpr int Size = Rows * Columns;
    // Code 255 is never tried when a cell is read.
    static constexpr int LastReadableCode = 254;
    static constexpr int NoMatch = -1;

    using Glyph = std::array<std::uint8_t, Size>;

    // The 77 positions a read cell can set (rows 1 to 11, columns 1 to 7), one bit each, row by row.
    struct CellKey
    {
        std::uint64_t low = 0;  // rows 1 to 8
        std::uint64_t high = 0; // rows 9 to 11
        bool operator==(const CellKey&) const = default;
    };

    GlyphTable();

    // The program's font as strings of 104 characters "0" (background) and "1" (ink), codes 0 to 255.
    static QList<QByteArray> glyphStrings();

    // Fills the table from the strings; a string that cannot be a glyph is reported and that glyph then never
    // matches. Returns the problem lines to log.
    QStringList LoadGlyphTable(const QList<QByteArray>& strings = glyphStrings());

    const Glyph& glyph(int code) const { return m_glyphs.at(std::size_t(code)); }
    bool isLoaded(int code) const { return m_loaded.at(std::size_t(code)); }

    // The first code from 0 to 254 whose glyph equals the cell in all 104 positions, or NoMatch: the plain
    // comparison, kept as the reference for lookup().
    int match(const Glyph& cell) const;
    // The same answer for a cell whose readable positions all hold 0 or 255 and whose other positions are
    // background, found by hashing its 77 bits instead of comparing it with every glyph.
    int lookup(const CellKey& key) const
    {
        std::size_t i = hash(key);
        for (;;) {
            const Bucket& b = m_buckets[i];
            if (b.code == NoMatch)
                return NoMatch;
            if (b.key == key)
                return b.code;
            i = (i + 1) & (BucketCount - 1);
        }
    }

    // The key of a glyph's readable positions; false when the glyph has ink where a cell is never written.
    static bool keyOf(const Glyph& glyph, CellKey& key);

private:
    static constexpr std::size_t BucketCount = 1024;
    struct Bucket
    {
        CellKey key;
        int code = NoMatch;
    };
    static std::size_t hash(const CellKey& key)
    {
        const std::uint64_t h =
            key.low * 0x9E3779B97F4A7C15ULL ^ (key.high + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
        return std::size_t(h >> 54);
    }
    void rebuildIndex();

    std::array<Glyph, GlyphCount> m_glyphs{};
    std::array<bool, GlyphCount> m_loaded{};
    std::vector<Bucket> m_buckets;
};

} // namespace vh::detect
