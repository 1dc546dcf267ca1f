// File helpers: case-insensitive lookup, atomic writes, usable-file test.
#include "core/QUILL_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <limits>
#include <new>
#include <system_error>

namespace quillfs {

namespace {

QStringList splitComponents(const QString& relative) {
    QString normal = relative;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return normal.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// The entry of `folder` named `name` ignoring case; an exact match is preferred.
QString findEntry(const QString& folder, const QString& name) {
    QDir dir(folder);
    if (name == QLatin1String(".") || name == QLatin1String("..")) return dir.filePath(name);
    if (QFileInfo::exists(dir.filePath(name))) return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

} // namespace

QString findFileNoCase(const QString& folder, const QString& relative) {
    QString current = folder.isEmpty() ? QStringLiteral(".") : folder;
    if (!QFileInfo(current).isDir()) {
        current = findPathNoCase(current);
        if (current.isEmpty() || !QFileInfo(current).isDir()) return {};
    }
    const QStringList parts = splitComponents(relative);
    if (parts.isEmpty()) return {};
    for (const QString& part : parts) {
        current = findEntry(current, part);
        if (current.isEmpty()) return {};
    }
    return current;
}

QString findPathNoCase(const QString& path) {
    if (path.isEmpty()) return {};
    QString normal = path;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo::exists(normal)) return normal;
    // Walk up to the deepest folder that exists as written, then look the rest up ignoring case.
    QStringList rest;
    QString base = normal;
    while (!base.isEmpty() && !QFileInfo::exists(base)) {
        const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) {
            rest.prepend(base);
            base = QStringLiteral(".");
            break;
        }
        rest.prepend(base.mid(slash + 1));
        base = slash == 0 ? QStringLiteral("/") : base.left(slash);
    }
    if (rest.isEmpty()) return QFileInfo::exists(base) ? base : QString();
    return findFileNoCase(base, rest.join(QLatin1Char('/')));
}

bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error) {
    // A device or pipe is written into as it is: renaming a new file over it would replace the device itself.
    const QFileInfo info(path);
    const bool special = info.exists() && !info.isFile() && !info.isDir();
    std::unique_ptr<QFileDevice> file;
    if (special)
        file = std::make_unique<QFile>(path);
    else
        file = std::make_unique<QSaveFile>(path);
    auto* save = special ? nullptr : static_cast<QSaveFile*>(file.get());
    if (!file->open(QIODevice::WriteOnly)) {
        if (error) *error = file->errorString();
        return false;
    }
    if (!writer(*file)) {
        // Taken before the cancel, which replaces the system's reason (a full disk, say) with its own.
        const QString reason = file->error() != QFileDevice::NoError ? file->errorString() : QString();
        if (save) save->cancelWriting();
        if (error && error->isEmpty()) *error = reason.isEmpty() ? file->errorString() : reason;
        return false;
    }
    const bool done = save ? save->commit() : file->flush();
    if (!done) {
        if (error) *error = file->errorString();
        return false;
    }
    return true;
}

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error) {
    return writeFileAtomic(
        path, [&data](QIODevice& device) { return device.write(data) == data.size(); }, error);
}

bool fileIsUsable(const QString& path) {
    if (path.isEmpty()) return false;
    QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
    file.close();
    return true;
}

bool readWholeFile(const QString& path, QByteArray& out, QString* error) {
    // Only a regular file has a size to read up to: a pipe would block the open, a device never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error) *error = QStringLiteral("%1 is not a regular file").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error) *error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size < 0 || size > std::numeric_limits<qsizetype>::max()) {
        if (error) *error = file.errorString();
        return false;
    }
    try {
        QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
        // At most the size the file had when opened: a file that grows meanwhile is read as it was.
        qint64 in = 0;
        while (in < size) {
            const qint64 n = file.read(bytes.data() + in, size - in);
            if (n < 0) {
                if (error) *error = file.errorString();
                return false;
            }
            if (n == 0) break; // shorter than announced: it was cut meanwhile
            in += n;
        }
        bytes.truncate(static_cast<qsizetype>(in));
        out = std::move(bytes);
    } catch (const std::bad_alloc&) {
        if (error) *error = QString::fromStdString(std::make_error_code(std::errc::not_enough_memory).message());
        return false;
    }
    return true;
}

QString withTrailingSeparator(const QString& folder) {
    if (folder.isEmpty()) return folder;
    QString result = QDir::fromNativeSeparators(folder);
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result + QLatin1Char('/');
}

} // namespace quillfs
