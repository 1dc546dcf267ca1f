// Platform lookups: the game data folder through the Steam registry entry or the Steam folders; flushing a file to
// the disk.
#include "core/QUILL_platform.h"

#include "core/QUILL_files.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <cerrno>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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

namespace {

QString systemReason(int code) {
    return QString::fromStdString(std::error_code(code, std::generic_category()).message());
}

} // namespace

bool syncFileToDisk(QFileDevice& file, QString* reason) {
    const int handle = file.handle();
    if (handle < 0) {
        if (reason) *reason = systemReason(EBADF);
        return false;
    }
#ifdef Q_OS_WIN
    if (_commit(handle) == 0) return true;
#else
    int rc;
    do
        rc = fsync(handle);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) return true;
#endif
    if (reason) *reason = systemReason(errno);
    return false;
}

bool openFileNoFollow(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* reason) {
#ifdef Q_OS_WIN
    // Windows links need rights most users lack; the check before the open is what it gets.
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction()) {
        if (reason) *reason = systemReason(ELOOP);
        return false;
    }
    if (info.exists() && !info.isFile()) {
        if (reason) *reason = quillfs::notRegularFileReason(path);
        return false;
    }
    file.setFileName(path);
    if (file.open(mode | QIODevice::ExistingOnly)) return true;
    if (reason) *reason = file.errorString();
    return false;
#else
    const int access =
        mode.testFlag(QIODevice::WriteOnly) ? (O_WRONLY | (mode.testFlag(QIODevice::Append) ? O_APPEND : 0)) : O_RDONLY;
    // Not blocking: a pipe at the path would otherwise hold the open until someone writes into it.
    int handle;
    do
        handle = ::open(QFile::encodeName(path).constData(), access | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        if (reason) *reason = systemReason(errno);
        return false;
    }
    struct stat status {};
    if (fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (reason) *reason = quillfs::notRegularFileReason(path);
        ::close(handle);
        return false;
    }
    fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    if (file.open(handle, mode, QFileDevice::AutoCloseHandle)) return true;
    if (reason) *reason = file.errorString();
    ::close(handle);
    return false;
#endif
}
