// An installed program's layout in a temporary folder, for tests of the installed mode: bin/, the shipped data in
// share/quillery/ made read-only as a system folder is, and a home whose data folder takes the user's files.
#pragma once

#include "core/QUILL_folders.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TInstalledLayout {
public:
    // The bundled data is copied into share/quillery; with withCli the built quillery-cli is copied into bin/.
    // XDG_DATA_HOME points into the layout's home while it lives, so the system's user folder lies there too.
    explicit TInstalledLayout(bool withCli = false);
    ~TInstalledLayout();
    TInstalledLayout(const TInstalledLayout&) = delete;
    TInstalledLayout& operator=(const TInstalledLayout&) = delete;

    QString binFolder() const { return root() + QStringLiteral("bin/"); }
    QString shippedFolder() const { return root() + QStringLiteral("share/quillery/"); }
    QString dataHome() const { return root() + QStringLiteral("home/.local/share/"); }
    // The user's folder the layout's programs get (dataHome()/Quillery/).
    QString userFolder() const { return dataHome() + QStringLiteral("Quillery/"); }
    // The folders as decided for bin/, with userFolder() as the user's folder.
    rAppFolders folders() const;
    // Every file of the shipped data with its size and time, to show that nothing was written there.
    QStringList shippedSnapshot() const;
    // Writes a file of the user's folder (folders created); returns its full path.
    QString writeUserFile(const QString& relative, const QByteArray& bytes) const;

private:
    QString root() const { return dir_.path() + QLatin1Char('/'); }
    void setShippedWritable(bool writable) const;

    QTemporaryDir dir_;
    QByteArray savedDataHome_;
    bool hadDataHome_ = false;
};
