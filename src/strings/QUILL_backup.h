// Backups made before a file is replaced: plugins and scripts (timestamped, beside the file or in the backup
// folder) and dictionaries (moved into UserDictionary/Backup).
#pragma once

#include <QDateTime>
#include <QString>

class TAppContext;

// "yyyy_MM_dd_hh_mm_ss" of a local time.
QString backupStamp(const QDateTime& when);

// Moves `from` to `to`; when `to` exists, the target gets " (2)", " (3)" ... before giving up. Returns the path used,
// or an empty string when the move failed.
QString moveWithRenameOnCollision(const QString& from, const QString& to);

// Before a plugin or script is overwritten: nothing when EspBackupOptSimple is off or the file does not exist;
// otherwise the file becomes "<name>.<stamp>", moved into the EspBackup folder with EspBackupOptFolder, else renamed
// in place. A failure reports "Fbk_RenameError" and returns false. `now` is the current time unless given.
bool backupWrittenFile(TAppContext& app, const QString& path, const QDateTime& now = QDateTime());

// Before a dictionary is overwritten: UserDictionary/<fileName> moves to UserDictionary/Backup/<fileName>.<stamp>.
// A failure reports "Fbk_RenameError" and returns false.
bool backupDictionary(TAppContext& app, const QString& fileName, const QDateTime& now = QDateTime());
