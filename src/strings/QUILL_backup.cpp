// Backups before a file is replaced.
#include "strings/QUILL_backup.h"

#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool reportRenameError(TAppContext& app, const QString& path) {
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_RenameError"), {QDir::toNativeSeparators(path)}), true);
    return false;
}

} // namespace

QString backupStamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
}

QString keepWithRenameOnCollision(const QString& from, const QString& to) {
    QString target = to;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (n > 999) return {};
        target = to + QStringLiteral(" (%1)").arg(n);
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    return quillfs::keepCopyOf(from, target) ? target : QString();
}

namespace {

// backupWrittenFile without the report: the path that could not be kept, or an empty string.
QString keepWrittenFile(const TAppState& st, const QString& path, const QDateTime& now, QString& keptAt) {
    keptAt.clear();
    if (!st.EspBackupOptSimple) return {};
    const QString found = quillfs::findPathNoCase(path);
    if (found.isEmpty() || !QFileInfo(found).isFile()) return {}; // nothing there to keep
    // A link's own file is the one kept (a second name for the link would follow it to the new content).
    const QString existing = QFileInfo(found).canonicalFilePath();
    const QFileInfo info(found);
    const QString backupName =
        info.fileName() + QLatin1Char('.') + backupStamp(now.isValid() ? now : QDateTime::currentDateTime());
    QString target;
    if (st.EspBackupOptFolder && !st.EspBackup.isEmpty())
        target = QDir(st.EspBackup).filePath(backupName);
    else
        target = info.dir().filePath(backupName);
    keptAt = keepWithRenameOnCollision(existing, target);
    return keptAt.isEmpty() ? existing : QString();
}

} // namespace

bool backupWrittenFile(TAppContext& app, const QString& path, const QDateTime& now, QString* keptAt) {
    QString kept;
    const QString failed = keepWrittenFile(app.state, path, now, kept);
    if (keptAt) *keptAt = kept;
    return failed.isEmpty() || reportRenameError(app, failed);
}

quillfs::tKeepOriginal writtenFileBackup(TAppContext& app) {
    return [&app](const QString& target) {
        quillfs::rKeptOriginal kept;
        const QString failed = keepWrittenFile(app.state, target, QDateTime(), kept.path);
        kept.ok = failed.isEmpty();
        if (!kept.ok)
            kept.error = app.uiTextFormat(QStringLiteral("Fbk_RenameError"), {QDir::toNativeSeparators(failed)});
        return kept;
    };
}

QStringList writtenFileBackups(const TAppState& st, const QString& path) {
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}(_\\d{2}){5}( \\((\\d+)\\))?$"));
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QLatin1Char('.');
    QStringList folders{info.absolutePath()};
    if (!st.EspBackup.isEmpty()) folders << QFileInfo(st.EspBackup).absoluteFilePath();
    folders.removeDuplicates();
    // Sorted by stamp, then by the collision number " (n)" (none first).
    QList<std::pair<QString, QString>> found;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            if (const auto match = stamp.match(name.mid(prefix.size()));
                name.startsWith(prefix, Qt::CaseInsensitive) && match.hasMatch()) {
                const QString suffix = name.mid(prefix.size());
                const int collision = match.captured(3).toInt();
                found.append({suffix.left(19) + QString::number(collision).rightJustified(4, QLatin1Char('0')),
                              dir.filePath(name)});
            }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList out;
    for (const auto& item : found)
        out << item.second;
    return out;
}

bool backupDictionary(TAppContext& app, const QString& fileName, const QDateTime& now, QString* keptAt) {
    if (keptAt) keptAt->clear();
    const TAppState& st = app.state;
    const QString source = quillfs::findFileNoCase(st.userDictionaryFolder, fileName);
    if (source.isEmpty()) return reportRenameError(app, QDir(st.userDictionaryFolder).filePath(fileName));
    const QString target = QDir(st.dictionaryBackupFolder)
                               .filePath(QFileInfo(source).fileName() + QLatin1Char('.') +
                                         backupStamp(now.isValid() ? now : QDateTime::currentDateTime()));
    const QString kept = keepWithRenameOnCollision(source, target);
    if (kept.isEmpty()) return reportRenameError(app, source);
    if (keptAt) *keptAt = kept;
    return true;
}
