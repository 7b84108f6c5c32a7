#pragma once

class QIODevice;
class QString;

namespace vh::database {
class Database;
}

namespace vh::cli {

// Writes "varnholt-cli: <message>" and a line break to the error stream.
void say(QIODevice& err, const QString& message);

enum class DatabaseRead
{
    Whole,     // read whole, or there is no database yet (a workspace no run has saved)
    Damaged,   // the entries before the damage were read, and the damage was said
    Unreadable // the file exists but cannot be opened; the reason was said
};

// Reads data/database.dat of the base folder into db and writes nothing anywhere. afterDamage ends the line
// that tells of a damaged file, with %1 for the number of entries read ("only the %1 entries before it are
// exported").
DatabaseRead readDatabaseReadOnly(const QString& baseFolder, database::Database& db, QIODevice& err,
                                  const QString& afterDamage);

} // namespace vh::cli
