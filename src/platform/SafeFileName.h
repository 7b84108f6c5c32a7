#pragma once

#include <QByteArray>
#include <QString>

namespace vh::platform {

// Makes text read from a remote screenshot or page usable as part of a file name that stays in its folder:
// path separators, characters Windows refuses, control and non-ASCII bytes become "_", leading and trailing
// dots and blanks become "_" (so "." and ".." are never the result), and the result is at most maxLength long.
QByteArray safeFileNamePart(const QByteArray& text, int maxLength = 100);

// A path in folder for baseName + suffix that no file takes yet: baseName, then baseName_2, baseName_3, ...
// Empty when every candidate up to the limit is taken.
QString unusedPath(const QString& folder, const QString& baseName, const QString& suffix, int limit = 10000);

} // namespace vh::platform
