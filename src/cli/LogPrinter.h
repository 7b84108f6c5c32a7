#pragma once

#include "base/Colours.h"

#include <QObject>
#include <QString>

#include <functional>

class QIODevice;

namespace vh::cli {

// Prints the activity log as it grows, newest last: on a terminal in the line's colour, elsewhere with the
// colour as a word in front, so scripts can still pick out the red lines.
class LogPrinter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogPrinter)

public:
    enum class Style
    {
        Words,
        Ansi
    };

    explicit LogPrinter(QIODevice& out, Style style, QObject* parent = nullptr);

    static Style styleForTerminal(bool isTerminal) { return isTerminal ? Style::Ansi : Style::Words; }
    // "white", "red", "green", "yellow", "magenta", "cyan", or "#rrggbb" for any other colour.
    static QString colourWord(base::Colour colour);
    // One printed line with its line end; control characters of the text (remote player names) become "?".
    static QByteArray format(const QString& text, base::Colour colour, Style style);

    void print(const QString& text, base::Colour colour);
    // Runs around every printed line, so a progress line on the same terminal can step aside.
    void setAroundPrint(std::function<void()> before, std::function<void()> after);

private:
    QIODevice& m_out;
    Style m_style;
    std::function<void()> m_before;
    std::function<void()> m_after;
};

} // namespace vh::cli
