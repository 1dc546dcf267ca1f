// Backups before a file is replaced.
#include "strings/QUILL_backup.h"

#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool reportRenameError(TAppContext& app, const QString& path) {
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_RenameError"), {QDir::toNativeSeparators(path)}), true);
    return false;
}

} // namespace

QString backupStamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
}

QString moveWithRenameOnCollision(const QString& from, const QString& to) {
    QString target = to;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (n > 999) return {};
        target = to + QStringLiteral(" (%1)").arg(n);
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    return QFile::rename(from, target) ? target : QString();
}

bool backupWrittenFile(TAppContext& app, const QString& path, const QDateTime& now) {
    const TAppState& st = app.state;
    if (!st.EspBackupOptSimple) return true;
    const QString existing = quillfs::findPathNoCase(path);
    if (existing.isEmpty() || !QFileInfo(existing).isFile()) return true; // nothing there to keep
    const QFileInfo info(existing);
    const QString backupName =
        info.fileName() + QLatin1Char('.') + backupStamp(now.isValid() ? now : QDateTime::currentDateTime());
    QString target;
    if (st.EspBackupOptFolder && !st.EspBackup.isEmpty())
        target = QDir(st.EspBackup).filePath(backupName);
    else
        target = info.dir().filePath(backupName);
    if (moveWithRenameOnCollision(existing, target).isEmpty()) return reportRenameError(app, existing);
    return true;
}

bool backupDictionary(TAppContext& app, const QString& fileName, const QDateTime& now) {
    const TAppState& st = app.state;
    const QString source = quillfs::findFileNoCase(st.userDictionaryFolder, fileName);
    if (source.isEmpty()) return reportRenameError(app, QDir(st.userDictionaryFolder).filePath(fileName));
    const QString target = QDir(st.dictionaryBackupFolder)
                               .filePath(QFileInfo(source).fileName() + QLatin1Char('.') +
                                         backupStamp(now.isValid() ? now : QDateTime::currentDateTime()));
    if (moveWithRenameOnCollision(source, target).isEmpty()) return reportRenameError(app, source);
    return true;
}
