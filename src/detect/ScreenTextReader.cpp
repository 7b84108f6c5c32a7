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
QString toInteger16(const QByteArray& text, qint16& value)
{
    const QByteArray t = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == '+' || t.at(i) == '-')) {
        negative = t.at(i) == '-';
        ++i;
    }
    if (i == t.size())
        return TypeMismatch;
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const char ch = t.at(i);
        if (ch < '0' || ch > '9')
            return TypeMismatch;
        v = v * 10 + (ch - '0');
        if (v > 100000)
            return Overflow;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        return Overflow;
    value = qint16(v);
    return QString();
}

// The value after the key ("w=") up to the next blank; the blank after it must be there.
QString sizeValue(const QByteArray& t, const char* key, qint16& value)
{
    const qsizetype at = t.indexOf(key);
    const qsizetype pw = at < 0 ? 1 : at + 2;
    const qsizetype sp = t.indexOf(' ', pw + 1);
    if (sp < 0)
        return InvalidArgument;
    return toInteger16(t.mid(pw, sp - pw), value);
}

} // namespace

QString ScreenTextReader::readLine(const review::cDIBSection& bitmap, int baseRow, QByteArray& text) const
{
    text.clear();
    const int width = bitmap.Width();
    const int stride = bitmap.BytesPerScanLine();
    const std::uint8_t* bits = bitmap.DIBSectionBitsPtr();
    const int lastCellX = width - 14;
    if (lastCellX < FirstCellX)
        return QString();
    if (bits == nullptr || baseRow < 0 || baseRow + 11 >= bitmap.Height())
        return OutOfRange;
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
    return QString();
}

QString ScreenTextReader::interpretLine1(const QByteArray& text, database::ScreenshotEntry& slot)
{
    // the map name follows "AAO" and two more characters; without "AAO" it starts at the fifth character
    const qsizetype p = text.indexOf("AAO");
    slot.HeaderInfo = trimBlanks(text.mid(p < 0 ? 4 : p + 5));
    return QString();
}

QString ScreenTextReader::interpretLine2(const QByteArray& text, database::ScreenshotEntry& slot)
{
    QByteArray t = trimLeadingBlanks(text);
    const qsizetype a = t.indexOf(' ');
    if (a < 0)
        return InvalidArgument;
    slot.ShotFile = t.left(a);
    t = trimBlanks(t);
    if (t.size() < 8)
        return QString();
    slot.AutoDetected.clear();
    const qsizetype b = t.indexOf(' ', a + 1);
    if (b < 0) {
        slot.ServerAddress = trimBlanks(t.mid(a));
        slot.ServerName = QByteArrayLiteral("Unknown");
    } else {
        slot.ServerAddress = trimBlanks(t.mid(a, b - a));
        slot.ServerName = trimBlanks(t.mid(b + 1));
    }
    return QString();
}

QString ScreenTextReader::interpretLine3(const QByteArray& text, database::ScreenshotEntry& slot)
{
    const QByteArray t = trimBlanks(text);
    const qsizetype s1 = t.indexOf('*');
    const qsizetype s2 = s1 < 0 ? -1 : t.indexOf('*', s1 + 1);
    if (s2 < 0)
        return InvalidArgument;
    slot.GUID = trimBlanks(t.mid(s1 + 1, s2 - s1 - 1));
    slot.PlayerName = trimBlanks(t.mid(s2 + 1));
    return QString();
}

bool ScreenTextReader::interpretLine4(const QByteArray& text, database::ScreenshotEntry& slot)
{
    if (trimBlanks(text) != "Captured Solid DDraw Texture")
        return false;
    slot.CaptureWidth = 0;
    slot.CaptureHeight = 0;
    return true;
}

QString ScreenTextReader::interpretLine5(const QByteArray& text, database::ScreenshotEntry& slot)
{
    slot.CaptureWidth = 0;
    slot.CaptureHeight = 0;
    const QByteArray t = trimBlanks(text);
    qint16 value = 0;
    if (QString error = sizeValue(t, "w=", value); !error.isEmpty())
        return error;
    slot.CaptureWidth = value;
    if (QString error = sizeValue(t, "h=", value); !error.isEmpty())
        return error;
    slot.CaptureHeight = value;
    return QString();
}

QString ScreenTextReader::ReadScreenText(const review::cDIBSection& bitmap, database::ScreenshotEntry& slot) const
{
    slot.HeaderInfo.clear();
    slot.ShotFile.clear();
    slot.AutoDetected.clear();
    slot.GUID.clear();
    slot.PlayerName.clear();
    slot.ServerName.clear();
    slot.ServerAddress.clear();

    QByteArray text;
    for (int n = 1; n <= 5; ++n) {
        if (QString error = readLine(bitmap, LineBaseRows[std::size_t(n - 1)], text); !error.isEmpty())
            return error;
        QString error;
        switch (n) {
        case 1:
            error = interpretLine1(text, slot);
            break;
        case 2:
            error = interpretLine2(text, slot);
            break;
        case 3:
            error = interpretLine3(text, slot);
            break;
        case 4:
            if (interpretLine4(text, slot))
                n = 5; // the capture failed: there is no size to read
            break;
        case 5:
            error = interpretLine5(text, slot);
            break;
        }
        if (!error.isEmpty())
            return error;
    }
    if (slot.ServerAddress.endsWith(":1716"))
        slot.ServerAddress.chop(5);
    slot.Cheating = false;
    return QString();
}

} // namespace vh::detect
