// The program's folders: portable or installed, and the path of every data file.
#include "core/QUILL_folders.h"

#include "core/QUILL_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString folderPath(const QString& folder) {
    return quillfs::withTrailingSeparator(QDir(folder).absolutePath());
}

bool insideFolder(const QString& path, const QString& folder) {
    if (folder.isEmpty()) return false;
    const QString cleanFolder = QDir::cleanPath(QDir(folder).absolutePath()) + QLatin1Char('/');
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).startsWith(cleanFolder, Qt::CaseInsensitive);
}

bool fileIsReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

rAppFolders oneFolder(const QString& folder) {
    rAppFolders folders;
    folders.programFolder = folderPath(folder);
    folders.shippedFolder = folders.programFolder;
    folders.userFolder = folders.programFolder;
    return folders;
}

} // namespace

rAppFolders portableFolders(const QString& folder) {
    rAppFolders folders = oneFolder(folder);
    folders.named = true;
    return folders;
}

QString defaultUserDataLocation() {
    QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (location.isEmpty()) location = QDir::home().filePath(QStringLiteral(".quillery"));
    return location;
}

bool folderIsWritable(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quillery-write-test-XXXXXX")));
    return probe.open(); // removed again when the probe goes
}

rAppFolders decideAppFolders(const QString& programFolder, const QString& userDataLocation) {
    const QString program = folderPath(programFolder);
    if (!quillfs::findFileNoCase(program, QLatin1String(kPortableMarkerName)).isEmpty()) return oneFolder(program);
    // The data beside the program makes a program folder (unpacked, or a build); without it, an install's layout
    // keeps the data in share/quillery, whoever runs the program (root may write to /usr/bin, but must not).
    const bool dataBeside = !quillfs::findFileNoCase(program, QStringLiteral("res")).isEmpty();
    const QString installData = QDir::cleanPath(program + QLatin1String(kInstalledDataPath));
    const bool installLayout = !dataBeside && QFileInfo(installData).isDir();
    if (!installLayout && folderIsWritable(program)) return oneFolder(program);

    rAppFolders folders;
    folders.mode = TFolderMode::installed;
    folders.programFolder = program;
    folders.shippedFolder = installLayout ? folderPath(installData) : program;
    folders.userFolder = folderPath(userDataLocation.isEmpty() ? defaultUserDataLocation() : userDataLocation);
    return folders;
}

void applyAppFolders(TAppState& st, const rAppFolders& folders) {
    st.programFolder = folders.programFolder;
    st.folderMode = folders.mode;
    st.shippedDataFolder = folders.shippedFolder;
    st.userDataFolder = folders.userFolder;
    st.cacheFolder = userFilePath(st, QStringLiteral("Cache/"));
    st.userDictionaryFolder = userFilePath(st, QStringLiteral("UserDictionary/"));
    st.dictionaryBackupFolder = st.userDictionaryFolder + QStringLiteral("Backup/");
    st.miscFolder = userFilePath(st, QStringLiteral("misc/"));
    // The batch dialog opens where the rules are: the user's own folder once it holds any, else the shipped ones.
    const QString userBatch = userFilePath(st, QStringLiteral("batch/"));
    const bool userHasRules = !QDir(userBatch).entryList(QDir::Files).isEmpty();
    const QString shippedBatch = quillfs::findFileNoCase(shippedFolder(st), QStringLiteral("batch"));
    st.batchFolder = userHasRules || shippedBatch.isEmpty() ? userBatch : shippedBatch + QLatin1Char('/');
}

QString shippedFolder(const TAppState& state) {
    return state.shippedDataFolder.isEmpty() ? state.programFolder : state.shippedDataFolder;
}

QString userFolder(const TAppState& state) {
    return state.userDataFolder.isEmpty() ? state.programFolder : state.userDataFolder;
}

QString defaultExportFolder(const TAppState& state) {
    if (state.folderMode == TFolderMode::portable) return state.programFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? userFolder(state) : folderPath(documents);
}

bool userCopyWins(const QString& relative) {
    // The lists and rules a translator edits; the interface texts and the samples always come as shipped.
    static const QStringList editable = {
        QStringLiteral("codepage.txt"),     QStringLiteral("vocabulary.txt"),     QStringLiteral("_recorddefs.txt"),
        QStringLiteral("fieldSizeRef.txt"), QStringLiteral("pexNoTransProc.txt"), QStringLiteral("spelling.txt"),
    };
    QString name = relative;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (editable.contains(name, Qt::CaseInsensitive)) return true;
    return name.startsWith(QLatin1String("batch/"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("misc/"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("dictionaries"), Qt::CaseInsensitive);
}

QString findDataFile(const TAppState& state, const QString& relative) {
    const QString user = userFolder(state);
    const QString shipped = shippedFolder(state);
    if (user != shipped && userCopyWins(relative)) {
        const QString own = quillfs::findFileNoCase(user, relative);
        if (!own.isEmpty()) return own;
    }
    return quillfs::findFileNoCase(shipped, relative);
}

QString dataFilePath(const TAppState& state, const QString& relative) {
    const QString found = findDataFile(state, relative);
    return found.isEmpty() ? shippedFolder(state) + relative : found;
}

QString userFilePath(const TAppState& state, const QString& relative) {
    const QString folder = userFolder(state);
    const QString found = quillfs::findFileNoCase(folder, relative);
    if (found.isEmpty()) return folder + relative;
    return relative.endsWith(QLatin1Char('/')) ? found + QLatin1Char('/') : found;
}

bool dataFileIsUsable(const TAppState& state, const QString& path) {
    if (state.folderMode == TFolderMode::installed && !insideFolder(path, userFolder(state)))
        return fileIsReadable(path);
    return quillfs::fileIsUsable(path);
}

QString foldersLogLine(const TAppContext& app) {
    const TAppState& st = app.state;
    if (st.folderMode == TFolderMode::portable)
        return app.uiTextFormat(QStringLiteral("Log_FoldersPortable"), {QDir::toNativeSeparators(userFolder(st))});
    return app.uiTextFormat(QStringLiteral("Log_FoldersInstalled"),
                            {QDir::toNativeSeparators(shippedFolder(st)), QDir::toNativeSeparators(userFolder(st))});
}
