#include "detect/ScreenTextReader.h"

#include "base/Blanks.h"
#include "detect/GlyphTable.h"
#include "review/cDIBSection.h"

#include <limits>

namespace vh::detect {

namespace {

const QString InvalidArgument = QStringLiteral("Invalid procedure call or argument");
const QString OutOfRange = QStringLiteral("Subscript out of range");
const QString TypeMismatch = QStringLiteral("Type mismatch");
const QString Overflow = QStringLiteral("Overflow");

using base::trimBlanks;

QByteArray trimLeadingBlanks(const QByteArray& s)
{
    qsizetype from = 0;
    while (from < s.size() && s.at(from) == ' ')
        ++from;
    return s.mid(from);
}

// A 16-bit whole number with optional blanks and sign around it, the way the size values are written.
base::Checked<qint16> toInteger16(const QByteArray& text)
{
    using Result = base::Checked<qint16>;
    const QByteArray t = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == '+' || t.at(i) == '-')) {
        negative = t.at(i) == '-';
        ++i;
    }
    if (i == t.size())
        return Result::failed(TypeMismatch);
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const char ch = t.at(i);
        if (ch < '0' || ch > '9')
            return Result::failed(TypeMismatch);
        v = v * 10 + (ch - '0');
        if (v > 100000)
            return Result::failed(Overflow);
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        return Result::failed(Overflow);
    return Result::good(qint16(v));
}

// The value after the key ("w=") up to the next blank; the blank after it must be there.
base::Checked<qint16> sizeValue(const QByteArray& t, const char* key)
{
    const qsizetype at = t.indexOf(key);
    const qsizetype pw = at < 0 ? 1 : at + 2;
    const qsizetype sp = t.indexOf(' ', pw + 1);
    if (sp < 0)
        return base::Checked<qint16>::failed(InvalidArgument);
    return toInteger16(t.mid(pw, sp - pw));
}

} // namespace

base::Checked<QByteArray> ScreenTextReader::readLine(const review::cDIBSection& bitmap, int baseRow) const
{
    using Result = base::Checked<QByteArray>;
    QByteArray text;
    const int width = bitmap.Width();
    const int stride = bitmap.BytesPerScanLine();
    const std::uint8_t* bits = bitmap.DIBSectionBitsPtr();
    const int lastCellX = width - 14;
    if (lastCellX < FirstCellX)
        return Result::good(text);
    if (bits == nullptr || baseRow < 0 || baseRow + 11 >= bitmap.Height())
        return Result::failed(OutOfRange);
    int x = FirstCellX;
    while (x <= lastCellX) {
        GlyphTable::CellKey key;
        bool readable = true;
        for (int r = 0; r < 11 && readable; ++r) {
            const std::uint8_t* p = bits + std::ptrdiff_t(baseRow + 11 - r) * stride + 3 * (x + 1);
            for (int c = 0; c < 7; ++c) {
                const std::uint8_t blue = p[3 * c];
                if (blue == 255) {
                    const int bit = r * 7 + c;
                    if (bit < 56)
                        key.low |= std::uint64_t(1) << bit;
                    else
                        key.high |= std::uint64_t(1) << (bit - 56);
                } else if (blue != 0) {
                    readable = false; // no glyph holds anything but 0 and 255
                    break;
                }
            }
        }
        const int code = readable ? m_glyphs.lookup(key) : GlyphTable::NoMatch;
        if (code == SkipCode) {
            x += 4 * CellStep;
            continue;
        }
        text += code == GlyphTable::NoMatch ? '?' : char(code);
        x += CellStep;
    }
    return Result::good(text);
}

base::Problems ScreenTextReader::interpretLine1(const QByteArray& text, database::ScreenshotEntry& slot)
{
    // the map name follows "AAO" and two more characters; without "AAO" it starts at the fifth character
    const qsizetype p = text.indexOf("AAO");
    slot.HeaderInfo = trimBlanks(text.mid(p < 0 ? 4 : p + 5));
    return {};
}

base::Problems ScreenTextReader::interpretLine2(const QByteArray& text, database::ScreenshotEntry& slot)
{
    QByteArray t = trimLeadingBlanks(text);
    const qsizetype a = t.indexOf(' ');
    if (a < 0)
        return {InvalidArgument};
    slot.ShotFile = t.left(a);
    t = trimBlanks(t);
    if (t.size() < 8)
        return {};
    slot.AutoDetected.clear();
    const qsizetype b = t.indexOf(' ', a + 1);
    if (b < 0) {
        slot.ServerAddress = trimBlanks(t.mid(a));
        slot.ServerName = QByteArrayLiteral("Unknown");
    } else {
        slot.ServerAddress = trimBlanks(t.mid(a, b - a));
        slot.ServerName = trimBlanks(t.mid(b + 1));
    }
    return {};
}

base::Problems ScreenTextReader::interpretLine3(const QByteArray& text, database::ScreenshotEntry& slot)
{
    const QByteArray t = trimBlanks(text);
    const qsizetype s1 = t.indexOf('*');
    const qsizetype s2 = s1 < 0 ? -1 : t.indexOf('*', s1 + 1);
    if (s2 < 0)
        return {InvalidArgument};
    slot.GUID = trimBlanks(t.mid(s1 + 1, s2 - s1 - 1));
    slot.PlayerName = trimBlanks(t.mid(s2 + 1));
    return {};
}

bool ScreenTextReader::interpretLine4(const QByteArray& text, database::ScreenshotEntry& slot)
{
    if (trimBlanks(text) != "Captured Solid DDraw Texture")
        return false;
    slot.CaptureWidth = 0;
    slot.CaptureHeight = 0;
    return true;
}

base::Problems ScreenTextReader::interpretLine5(const QByteArray& text, database::ScreenshotEntry& slot)
{
    slot.CaptureWidth = 0;
    slot.CaptureHeight = 0;
    const QByteArray t = trimBlanks(text);
    const base::Checked<qint16> width = sizeValue(t, "w=");
    if (!width.ok())
        return width.problems;
    slot.CaptureWidth = width.value;
    const base::Checked<qint16> height = sizeValue(t, "h=");
    if (!height.ok())
        return height.problems;
    slot.CaptureHeight = height.value;
    return {};
}

base::Problems ScreenTextReader::ReadScreenText(const review::cDIBSection& bitmap,
                                                database::ScreenshotEntry& slot) const
{
    slot.HeaderInfo.clear();
    slot.ShotFile.clear();
    slot.AutoDetected.clear();
    slot.GUID.clear();
    slot.PlayerName.clear();
    slot.ServerName.clear();
    slot.ServerAddress.clear();

    for (int n = 1; n <= 5; ++n) {
        const base::Checked<QByteArray> line = readLine(bitmap, LineBaseRows[std::size_t(n - 1)]);
        if (!line.ok())
            return line.problems;
        const QByteArray& text = line.value;
        base::Problems problems;
        switch (n) {
        case 1:
            problems = interpretLine1(text, slot);
            break;
        case 2:
            problems = interpretLine2(text, slot);
            break;
        case 3:
            problems = interpretLine3(text, slot);
            break;
        case 4:
            if (interpretLine4(text, slot))
                n = 5; // the capture failed: there is no size to read
            break;
        case 5:
            problems = interpretLine5(text, slot);
            break;
        }
        if (!problems.isEmpty())
            return problems;
    }
    if (slot.ServerAddress.endsWith(":1716"))
        slot.ServerAddress.chop(5);
    slot.Cheating = false;
    return {};
}

} // namespace vh::detect
