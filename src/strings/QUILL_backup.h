// Backups made as a file is replaced: plugins and scripts (timestamped, beside the file or in the backup folder) and
// dictionaries (into UserDictionary/Backup). The backup is taken once the new file is complete, just before it is
// renamed over the old one, and keeps the old file under a second name (a hard link, else a copy), so that a failure
// at any step leaves the old file at its path.
#pragma once

#include "core/QUILL_files.h"

#include <QDateTime>
#include <QString>

class TAppContext;
struct TAppState;

// "yyyy_MM_dd_hh_mm_ss" of a local time.
QString backupStamp(const QDateTime& when);

// Keeps `from` also as `to` (quillfs::keepCopyOf); when `to` exists, the name gets " (2)", " (3)" ... before giving
// up. Returns the path used, or an empty string when it failed.
QString keepWithRenameOnCollision(const QString& from, const QString& to);

// As a plugin or script is replaced: nothing when EspBackupOptSimple is off or the file does not exist; otherwise the
// file is kept as "<name>.<stamp>", in the EspBackup folder with EspBackupOptFolder, else beside it. A failure
// reports "Fbk_RenameError" and returns false. `now` is the current time unless given; `keptAt` gets the backup's
// path (empty when none was made). The file must then be replaced, not rewritten in place.
bool backupWrittenFile(TAppContext& app, const QString& path, const QDateTime& now = QDateTime(),
                       QString* keptAt = nullptr);
// backupWrittenFile as the step a write takes just before it replaces its target.
quillfs::tKeepOriginal writtenFileBackup(TAppContext& app);
// The backups backupWrittenFile made of `path` (beside it, and in the EspBackup folder when one is set), newest
// first: "<name>.<stamp>" and its " (2)" ... collision names, the name compared without regard to case.
QStringList writtenFileBackups(const TAppState& state, const QString& path);

// As a dictionary is replaced: UserDictionary/<fileName> is kept as UserDictionary/Backup/<fileName>.<stamp>.
// A failure reports "Fbk_RenameError" and returns false.
bool backupDictionary(TAppContext& app, const QString& fileName, const QDateTime& now = QDateTime(),
                      QString* keptAt = nullptr);
