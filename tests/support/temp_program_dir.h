// A temporary program folder with the bundled data files copied in, for tests that start the application.
#pragma once

#include "core/QUILL_files.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

class TTempProgramDir {
public:
    // With copyData the build's data folder (res/, codepage.txt ...) is copied in.
    explicit TTempProgramDir(bool copyData = true);
    QString path() const { return dir_.path() + QLatin1Char('/'); }
    QString file(const QString& relative) const { return dir_.filePath(relative); }
    // Writes a file (folders created); returns its full path.
    QString write(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
};

// Copies a folder tree.
bool copyTree(const QString& from, const QString& to);

// A file's bytes, or empty bytes when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QByteArray bytes;
    quillfs::readWholeFile(path, bytes);
    return bytes;
}
