// Temporary program folders for tests.
#include "temp_program_dir.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool copyTree(const QString& from, const QString& to) {
    QDir source(from);
    if (!source.exists()) return false;
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QLatin1Char('/') + source.relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(file, target)) return false;
    }
    return true;
}

TTempProgramDir::TTempProgramDir(bool copyData) {
    if (copyData) copyTree(QStringLiteral(QUILL_DATA_DIR), dir_.path());
}

QString TTempProgramDir::write(const QString& relative, const QByteArray& bytes) const {
    const QString target = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(target).path());
    // A new file, as the program and most tools replace files: one rewritten in place would change its backups too
    // (a backup may be a second name of the same file).
    QFile::remove(target);
    QFile f(target);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return target;
}
