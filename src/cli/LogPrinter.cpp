#include "cli/LogPrinter.h"

#include <QIODevice>

namespace vh::cli {

namespace Colours = base::Colours;

LogPrinter::LogPrinter(QIODevice& out, Style style, QObject* parent) : QObject(parent), m_out(out), m_style(style) {}

QString LogPrinter::colourWord(base::Colour colour)
{
    switch (colour) {
    case Colours::Default:
    case Colours::White:
        return QStringLiteral("white");
    case Colours::Red:
        return QStringLiteral("red");
    case Colours::Green:
        return QStringLiteral("green");
    case Colours::Yellow:
        return QStringLiteral("yellow");
    case Colours::Magenta:
        return QStringLiteral("magenta");
    case Colours::Cyan:
        return QStringLiteral("cyan");
    default:
        return base::toQColor(colour).name();
    }
}

QByteArray LogPrinter::format(const QString& text, base::Colour colour, Style style)
{
    QString clean = text;
    for (QChar& c : clean) {
        // an escape sequence in a player name must not reach the terminal
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            c = QLatin1Char('?');
    }
    const QByteArray body = clean.toUtf8();
    if (style == Style::Words)
        return '[' + colourWord(colour).toLatin1() + "] " + body + '\n';

    QByteArray start;
    switch (colour) {
    case Colours::Default:
    case Colours::White:
        // the terminal's own colour: white text on a light background could not be read
        return body + '\n';
    case Colours::Red:
        start = "\x1b[31m";
        break;
    case Colours::Green:
        start = "\x1b[32m";
        break;
    case Colours::Yellow:
        start = "\x1b[33m";
        break;
    case Colours::Magenta:
        start = "\x1b[35m";
        break;
    case Colours::Cyan:
        start = "\x1b[36m";
        break;
    default: {
        const QColor c = base::toQColor(colour);
        start = "\x1b[38;2;" + QByteArray::number(c.red()) + ';' + QByteArray::number(c.green()) + ';' +
                QByteArray::number(c.blue()) + 'm';
    }
    }
    return start + body + "\x1b[0m\n";
}

void LogPrinter::print(const QString& text, base::Colour colour)
{
    if (m_before)
        m_before();
    m_out.write(format(text, colour, m_style));
    if (m_after)
        m_after();
}

void LogPrinter::setAroundPrint(std::function<void()> before, std::function<void()> after)
{
    m_before = std::move(before);
    m_after = std::move(after);
}

} // namespace vh::cli
