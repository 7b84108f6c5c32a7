#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace vh::database {

class Database;
struct ScreenshotEntry;

// Every entry with all fourteen members, for spreadsheets and scripts. Text is decoded as Latin-1, the way
// it is stored, and written as UTF-8.
QByteArray exportCsv(const Database& db);
QByteArray exportJson(const Database& db);
// One entry's fourteen members under their names, as exportJson writes each entry.
QJsonObject exportJsonObject(const ScreenshotEntry& e);

} // namespace vh::database
