#pragma once

class QByteArray;
class QIODevice;
class QString;

namespace vh::database {
class Database;
}

namespace vh::cli {

struct CliOptions;

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

// The opening the read-only commands share: the workspace check, then the database read. When proceed is false
// the command ends at once with status; otherwise status is 1 after damage (the entries before it are still
// used) and 0 when the file was read whole.
struct WorkspaceRead
{
    bool proceed;
    int status;
};
WorkspaceRead openWorkspaceReadOnly(const CliOptions& options, const QString& executablePath, database::Database& db,
                                    QIODevice& err, const QString& afterDamage);

// Writes all of content to standard output, or says why it could not.
bool writeOut(QIODevice& out, const QByteArray& content, QIODevice& err);

} // namespace vh::cli
