// Platform lookups: the game data folder through the Steam registry entry or the Steam folders; flushing a file to
// the disk.
#include "core/QUILL_platform.h"

#include "core/QUILL_files.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

QStringList steamLibraryPaths(const QString& vdfText) {
    QStringList out;
    static const QRegularExpression pathEntry(QStringLiteral("\"path\"\\s*\"((?:[^\"\\\\]|\\\\.)*)\""),
                                              QRegularExpression::CaseInsensitiveOption);
    auto it = pathEntry.globalMatch(vdfText);
    while (it.hasNext()) {
        QString path = it.next().captured(1);
        path.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        if (!path.isEmpty()) out.append(path);
    }
    return out;
}

QString findGameDataFolderIn(const QStringList& steamRoots) {
    static const QString gameData = QStringLiteral("steamapps/common/Fallout 4/Data");
    QStringList candidates;
    for (const QString& root : steamRoots) {
        if (root.isEmpty() || !QFileInfo(root).isDir()) continue;
        candidates.append(root);
        const QString vdf = quillfs::findFileNoCase(root, QStringLiteral("steamapps/libraryfolders.vdf"));
        QByteArray bytes;
        if (!vdf.isEmpty() && quillfs::readWholeFile(vdf, bytes))
            candidates.append(steamLibraryPaths(QString::fromUtf8(bytes)));
    }
    for (const QString& candidate : candidates) {
        const QString found = quillfs::findFileNoCase(QDir::fromNativeSeparators(candidate), gameData);
        if (!found.isEmpty() && QFileInfo(found).isDir()) return quillfs::withTrailingSeparator(found);
    }
    return {};
}

QString findGameDataFolder() {
    QStringList roots;
#ifdef Q_OS_WIN
    const QSettings steam(QStringLiteral("HKEY_CURRENT_USER\\Software\\Valve\\Steam"), QSettings::NativeFormat);
    const QString steamPath = steam.value(QStringLiteral("SteamPath")).toString();
    if (steamPath.isEmpty()) return {};
    roots.append(steamPath);
#else
    const QString home = QDir::homePath();
    roots << home + QStringLiteral("/.steam/steam") << home + QStringLiteral("/.local/share/Steam")
          << home + QStringLiteral("/.var/app/com.valvesoftware.Steam/.local/share/Steam");
#endif
    return findGameDataFolderIn(roots);
}

bool syncFileToDisk(QFileDevice& file) {
    const int handle = file.handle();
    if (handle < 0) return false;
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    return fsync(handle) == 0;
#endif
}
