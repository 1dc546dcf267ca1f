// Where the program reads the data it ships with and writes its own files: the one place that decides the folders
// and builds the path of every data file.
#pragma once

#include "core/QUILL_main.h"

#include <QString>

// The folders of one run. Every folder ends with '/'.
struct rAppFolders {
    TFolderMode mode = TFolderMode::portable;
    QString programFolder; // the executable's folder (portable: the folder of everything)
    QString shippedFolder; // res/, codepage.txt, samples/ ... as shipped
    QString userFolder;    // prefs.ini, UserDictionary/, Cache/ and the user's own copies of editable data files
    bool named = false;    // the caller named the folder (quillery-cli --program-dir): the log does not repeat it
};

// A file of this name beside the program keeps everything in the program's folder.
inline constexpr const char* kPortableMarkerName = "portable";
// The install's data folder, relative to the folder of the executables (bin/ -> share/quillery/).
inline constexpr const char* kInstalledDataPath = "../share/quillery";

// Everything in one folder the caller names, as `quillery-cli --program-dir` does.
rAppFolders portableFolders(const QString& folder);
// Decides from the executable's folder. Portable when a file named "portable" lies there, or when the folder holds
// the data itself and can be written. Installed otherwise: the shipped data comes from ../share/quillery (an
// install's layout) or from beside the program (a read-only program folder), and the user's files go to
// `userDataLocation` (empty: defaultUserDataLocation()).
rAppFolders decideAppFolders(const QString& programFolder, const QString& userDataLocation = QString());
// The per-user data folder the system gives this program (~/.local/share/Quillery, %APPDATA%\Quillery).
QString defaultUserDataLocation();
// Whether a file can be created in `folder` (tried, not guessed from permission bits).
bool folderIsWritable(const QString& folder);

// Puts the folders in the state: programFolder, the mode, the shipped and user folders, and the folders that
// follow from them (Cache/, UserDictionary/ and its Backup/, batch/, misc/).
void applyAppFolders(TAppState& state, const rAppFolders& folders);

// The folders in force; a state whose folders were never applied has everything in programFolder.
QString shippedFolder(const TAppState& state);
QString userFolder(const TAppState& state);
// Where exports start when the preferences name no folder: the program's folder when portable, else the user's
// documents.
QString defaultExportFolder(const TAppState& state);

// Whether the user may keep an own copy of a data file (`relative` to the data folder, e.g. "codepage.txt" or
// "batch/rules.txt") that wins over the shipped one.
bool userCopyWins(const QString& relative);
// The existing path of the data file or folder `relative` (any letter case): the user's copy when the file is
// editable and the user has one, else the shipped one. Empty when there is none.
QString findDataFile(const TAppState& state, const QString& relative);
// findDataFile, or where the shipped file would be when there is none (for messages that name the file).
QString dataFilePath(const TAppState& state, const QString& relative);
// Where the program writes `relative`: in the user's folder (portable: the program's folder), whatever case an
// existing file there has.
QString userFilePath(const TAppState& state, const QString& relative);
// Whether a data file may be read. Files the program may write must be readable and writable (a read-only file
// counts as absent); the shipped data of an installed program is read only by design and needs only be readable.
bool dataFileIsUsable(const TAppState& state, const QString& path);

// The line the log shows once at start: the mode and its folders.
QString foldersLogLine(const TAppContext& app);
