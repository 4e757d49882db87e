#pragma once

#include <QSqlDatabase>
#include <QString>

namespace archive {

// The layout the program writes, kept in the file's PRAGMA user_version. A file with a higher
// number comes from a newer program and is not touched.
constexpr int kArchiveSchemaVersion = 1;

// Brings the file's layout from `fromVersion` (0 for a new file) up to kArchiveSchemaVersion, one
// step per version, in one transaction: a step that fails leaves the file as it was.
bool MigrateArchive(QSqlDatabase &db, int fromVersion, QString *error);

} // namespace archive
