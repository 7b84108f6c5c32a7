#pragma once

#include "base/Checked.h"
#include "database/ScreenshotEntry.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace vh::review {
class cDIBSection;
}

namespace vh::detect {

class GlyphTable;

// Reads the five text lines PunkBuster draws into the bottom of a screenshot and fills an entry from them.
class ScreenTextReader final
{
public:
    // Memory rows (counted from the bottom) of the five lines' bases; line 1 is the highest.
    static constexpr std::array<int, 5> LineBaseRows{63, 50, 37, 24, 11};
    static constexpr int FirstCellX = 14;
    static constexpr int CellStep = 8;
    // The glyph that stands for a skip: nothing is written and the next three cells are passed over.
    static constexpr int SkipCode = 27;

    explicit ScreenTextReader(const GlyphTable& glyphs) : m_glyphs(glyphs) {}

    // Reads the cells of the line whose base is memory row baseRow: the line's text, or an empty text and the
    // error description when the line's rows lie outside the bitmap.
    base::Checked<QByteArray> readLine(const review::cDIBSection& bitmap, int baseRow) const;

    // Fills the entry's text fields from the bitmap. Returns the error description of the first failure (the
    // fields keep what was set before it), nothing when all lines were read.
    base::Problems ReadScreenText(const review::cDIBSection& bitmap, database::ScreenshotEntry& slot) const;

    // What each line contributes to the entry; an error description when the line cannot be taken apart.
    static base::Problems interpretLine1(const QByteArray& text, database::ScreenshotEntry& slot);
    static base::Problems interpretLine2(const QByteArray& text, database::ScreenshotEntry& slot);
    static base::Problems interpretLine3(const QByteArray& text, database::ScreenshotEntry& slot);
    // True when the line reports a failed capture (then line 5 is not read).
    static bool interpretLine4(const QByteArray& text, database::ScreenshotEntry& slot);
    static base::Problems interpretLine5(const QByteArray& text, database::ScreenshotEntry& slot);

private:
    const GlyphTable& m_glyphs;
};

} // namespace vh::detect
