// What differs between platforms: where the game's data folder lives.
#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>

class QFile;
class QFileDevice;

// The game's Data folder with a trailing '/', or empty when none is found (not an error). On Windows it comes from
// the current user's Steam entry (SteamPath); elsewhere from the usual Steam folders and their library folders.
QString findGameDataFolder();

// The "path" entries of a Steam libraryfolders.vdf text (backslash escapes undone).
QStringList steamLibraryPaths(const QString& vdfText);
// Looks for steamapps/common/Fallout 4/Data under each Steam root and the libraries they list, ignoring case.
QString findGameDataFolderIn(const QStringList& steamRoots);

// Asks the system to put what was written to an open file on the disk (so that it survives a power cut); false when
// it could not, with the system's reason in `reason` when given.
bool syncFileToDisk(QFileDevice& file, QString* reason = nullptr);

// Opens `path` (ReadOnly, or WriteOnly with Append) without following a symbolic link there: a link at the path
// itself is refused. False with the system's reason. (Links in the folders above are followed as usual.)
bool openFileNoFollow(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* reason = nullptr);
