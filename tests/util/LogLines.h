#pragma once

#include "base/ActivityLog.h"

#include <QStringList>

namespace vh::test {

// The messages of the log, oldest first, without their time of day.
inline QStringList logMessages(const base::ActivityLog& log)
{
    QStringList out;
    for (const auto& line : log.lines())
        out << line.text.section(QStringLiteral(" : "), 1);
    return out;
}

} // namespace vh::test
