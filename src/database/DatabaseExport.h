#pragma once

#include <QByteArray>

namespace vh::database {

class Database;

// Every entry with all fourteen members, for spreadsheets and scripts. Text is decoded as Latin-1, the way
// it is stored, and written as UTF-8.
QByteArray exportCsv(const Database& db);
QByteArray exportJson(const Database& db);

} // namespace vh::database
