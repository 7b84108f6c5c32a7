// data/database.dat: whatever the file holds, what was read saves and reads back alike.
#include "FuzzInput.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"

using vh::database::Database;
using vh::database::DatabaseFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Database db;
    // the table keeps referring to the bytes, so they are copied as the loader's file buffer would be
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    DatabaseFile::parse(file, db);
    const QByteArray saved = DatabaseFile::serialize(db);
    Database again;
    const vh::base::Checked<int> reread = DatabaseFile::parse(saved, again);
    FUZZ_REQUIRE(reread.ok());
    FUZZ_REQUIRE(again.EntryCount() == db.EntryCount());
    FUZZ_REQUIRE(DatabaseFile::serialize(again) == saved);
    return 0;
}
