#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vh::base {

// Removes the blanks at both ends. Blanks only: tabs and other white space stay part of the text, the way
// the index pages, banlists, status replies and screenshot texts this program reads are trimmed.
QByteArrayView trimBlanks(QByteArrayView text);
QStringView trimBlanks(QStringView text);
inline QByteArray trimBlanks(const QByteArray& text)
{
    return trimBlanks(QByteArrayView(text)).toByteArray();
}
inline QString trimBlanks(const QString& text)
{
    return trimBlanks(QStringView(text)).toString();
}

} // namespace vh::base
